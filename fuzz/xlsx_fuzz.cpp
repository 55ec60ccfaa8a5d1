// The .xlsx reader on arbitrary parts of a workbook: the input is split at \x01 into the
// first worksheet, the shared strings, the styles and the workbook part (a usual one where a
// part is not given), zipped as a workbook, and every worksheet is read through. Never crash,
// never hang; a read either ends or says why, and every row lies within a worksheet's limits.
#include <unistd.h>
#include <zip.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/engine/sheet_format.h"
#include "sheets/workbook/xlsx_reader.h"

namespace {

constexpr char kRels[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationships() {
  std::string r = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
  r += std::string(R"(<Relationship Id="rId1" Type=")") + kRels + R"(worksheet" Target="worksheets/sheet1.xml"/>)";
  r += std::string(R"(<Relationship Id="rId2" Type=")") + kRels + R"(worksheet" Target="worksheets/sheet2.xml"/>)";
  r += std::string(R"(<Relationship Id="rId3" Type=")") + kRels + R"(sharedStrings" Target="sharedStrings.xml"/>)";
  r += std::string(R"(<Relationship Id="rId4" Type=")") + kRels + R"(styles" Target="styles.xml"/>)";
  return r + "</Relationships>";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = input.find('\x01', start);
    parts.emplace_back(input.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos || parts.size() == 4) break;
    start = end + 1;
  }
  parts.resize(4);
  if (parts[3].empty()) {
    parts[3] =
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<sheets><sheet name="一月" sheetId="1" r:id="rId1"/><sheet name="二月" sheetId="2" r:id="rId2" state="hidden"/></sheets></workbook>)";
  }
  char path[] = "/tmp/xlsx_fuzz-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  close(fd);
  int error = 0;
  zip_t* zip = zip_open(path, ZIP_TRUNCATE, &error);
  if (zip == nullptr) {
    unlink(path);
    return 0;
  }
  const std::string rels = Relationships();
  const std::array<std::pair<const char*, const std::string*>, 6> entries{{{"xl/workbook.xml", &parts[3]},
                                                                           {"xl/_rels/workbook.xml.rels", &rels},
                                                                           {"xl/worksheets/sheet1.xml", &parts[0]},
                                                                           {"xl/worksheets/sheet2.xml", &parts[0]},
                                                                           {"xl/sharedStrings.xml", &parts[1]},
                                                                           {"xl/styles.xml", &parts[2]}}};
  for (const auto& [name, text] : entries) {
    zip_source_t* source = zip_source_buffer(zip, text->data(), text->size(), 0);
    if (zip_file_add(zip, name, source, ZIP_FL_OVERWRITE) < 0) zip_source_free(source);
  }
  zip_close(zip);
  quorvex::sheets::XlsxReader reader;
  if (reader.Open(path)) {
    std::vector<std::string> row;
    for (std::size_t sheet = 0; sheet < reader.Sheets().size(); ++sheet) {
      if (!reader.Select(sheet)) continue;
      while (reader.Next(row)) {
        if (row.size() > quorvex::sheets::kMaxColumns || reader.Line() > quorvex::sheets::kMaxRows) std::abort();
        for (std::size_t i = 0; i < reader.Types().size() && i < row.size(); ++i)
          (void)reader.FormatCode(reader.Types()[i].format);
      }
    }
  }
  unlink(path);
  return 0;
}
