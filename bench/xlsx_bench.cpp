// Cost of the workbook reader and writer alone, per row of a payroll sheet (8 text cells,
// the figures as the pages show them).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sheets/workbook/xlsx_reader.h"
#include "sheets/workbook/xlsx_writer.h"

namespace {

using quorvex::sheets::XlsxReader;
using quorvex::sheets::XlsxWriter;

std::vector<std::string> Row(long i) {
  return {"员工" + std::to_string(i),
          "工资、薪金所得",
          std::to_string(5000 + i % 90000) + ".45",
          "523.45",
          "3500",
          "正常",
          "1500.00",
          "3%"};
}

std::string TempName() {
  char name[] = "/tmp/quorvex-xlsx-bench-XXXXXX";
  const int fd = ::mkstemp(name);
  if (fd >= 0) ::close(fd);
  return name;
}

void WriteBook(const std::string& path, long rows) {
  XlsxWriter writer;
  writer.Open(path);
  for (long i = 0; i < rows; ++i) writer.WriteRow(Row(i));
  writer.Close();
}

void XlsxWrite(benchmark::State& state) {
  const std::string path = TempName();
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    WriteBook(path, state.range(0));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

void XlsxRead(benchmark::State& state) {
  const std::string path = TempName();
  WriteBook(path, state.range(0));
  std::vector<std::string> row;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
    XlsxReader reader;
    reader.Open(path);
    while (reader.Next(row)) benchmark::DoNotOptimize(row.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
}

BENCHMARK(XlsxWrite)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(XlsxRead)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
