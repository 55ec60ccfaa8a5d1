// The Excel 97-2003 reader on arbitrary files: never crash, never hang, never allocate by what
// the file claims; a workbook it opens gives each sheet's rows in order, each ending with a
// cell that holds something, no wider than the format's 256 columns, with a kind for each
// cell; one it refuses says why.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sheets/workbook/xls_reader.h"

namespace {

// The input goes to one file, rewritten for each run.
const std::string& InputFile() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir != nullptr ? dir : "/tmp") + "/xls_fuzz_XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) std::abort();
    close(fd);
    return name;
  }();
  return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
  const int fd = open(InputFile().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    ok = n > 0;
    done += ok ? static_cast<size_t>(n) : 0;
  }
  close(fd);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) std::abort();
  quorvex::sheets::XlsReader reader;
  if (!reader.Open(InputFile())) {
    if (reader.Error().empty()) std::abort();
    return 0;
  }
  std::vector<std::string> row;
  for (size_t sheet = 0; sheet < reader.Sheets().size(); ++sheet) {
    if (!reader.Select(sheet)) std::abort();  // every sheet was read through when opened
    size_t line = 0;
    while (reader.Next(row)) {
      if (reader.Line() <= line || row.empty() || row.back().empty() || row.size() > 256 ||
          reader.Types().size() != row.size() || reader.BytesRead() > reader.BytesTotal())
        std::abort();
      line = reader.Line();
    }
    if (!reader.Error().empty()) std::abort();
  }
  return 0;
}
