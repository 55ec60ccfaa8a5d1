#!/bin/sh
# The training run of a profile-guided build: the instrumented quorvex-calc computes generated
# sheets (salaries, and every category and kind mixed) in every pair of formats, and the counts
# of its branches and calls are left in PROFILE_DIR for the optimized build.
#   pgo_train.sh CALC PROFILE_DIR SHEETS_DIR MAKE_SHEETS STAMP
set -eu
calc=$1 profile=$2 sheets=$3 make_sheets=$4 stamp=$5
rm -rf "$profile"
mkdir -p "$profile" "$sheets"
# Other sheets than the benchmark's: a seed of their own.
[ -f "$sheets/mixed.jsonl" ] || python3 "$make_sheets" "$sheets" 100000 training
for sheet in salary mixed; do
  for from in csv jsonl; do
    for to in csv jsonl; do
      # Status 1: some records were rejected, as the mixed sheet has them.
      "$calc" batch "$sheets/$sheet.$from" --format "$to" -o /dev/null -j 1 --quiet || [ $? -eq 1 ]
    done
  done
done
touch "$stamp"
