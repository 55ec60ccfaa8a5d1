#include "sheets/workbook/sheet_template.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "forms/categories.h"
#include "sheets/engine/sheet_headers.h"
#include "sheets/output_file.h"
#include "sheets/sheet_job.h"
#include "sheets/sheet_messages.h"
#include "sheets/workbook/xlsx_writer.h"

namespace quorvex::sheets {
namespace {

namespace fs = std::filesystem;

// Example rows of the template, one for each category in the order of the window's list, a
// reverse calculation and the year-end bonus planner: category, calc, amount, salary,
// contributions, threshold, months, planned bonus.
struct Example {
  const char* name;
  std::array<const char*, 8> fields;
};
constexpr Example kExamples[] = {
    {"张三", {"工资、薪金所得", "", "8000", "", "800", "3500", "", ""}},
    {"李四", {"年终奖所得", "", "24000", "", "", "", "", ""}},
    {"王五", {"工资、年终奖所得", "", "30000", "8000", "800", "3500", "", ""}},
    {"赵六", {"劳务报酬所得", "", "5000", "", "", "", "", ""}},
    {"钱七", {"稿酬所得", "", "5000", "", "", "", "", ""}},
    {"孙八", {"财产租赁所得", "", "3000", "", "", "", "", ""}},
    {"周九", {"财产转让所得", "", "100000", "", "", "", "", ""}},
    {"吴十", {"特许权使用费所得", "", "6000", "", "", "", "", ""}},
    {"郑一", {"个体工商户生产、经营所得", "", "100000", "", "", "", "", ""}},
    {"冯二", {"对企事业单位的承包经营、承租经营所得", "", "80000", "", "", "", "12", ""}},
    {"陈三", {"利息、股息、红利所得", "", "1000", "", "", "", "", ""}},
    {"褚四", {"偶然所得（如中奖、中彩）", "", "10000", "", "", "", "", ""}},
    {"卫五", {"被确定征税的其他部分", "", "2000", "", "", "", "", ""}},
    {"蒋六", {"工资、薪金所得", "由实发工资反算", "6000", "", "500", "3500", "", ""}},
    {"沈七", {"年终奖筹划", "", "120000", "", "800", "3500", "", "19000"}},
};
constexpr char kNameCaption[] = "姓名";
constexpr char kSheetName[] = "工资表";

// How an example's field `k` (its place in kRequestKeys) is stored: amounts as numbers shown
// with two decimals, the months as a whole number, the rest (the threshold is chosen from its
// list) as texts.
WrittenCell HowOf(std::size_t k, std::string_view text) {
  double value = 0;
  if (text.empty() || k < 2 || k == 5) return {};
  std::from_chars(text.data(), text.data() + text.size(), value);
  return {CellKind::kNumber, value, static_cast<std::uint16_t>(k == 6 ? 1 : 2), {}};
}

// The drop-down lists: the column (after 姓名) and what it offers.
std::vector<std::string> CategoryChoices() {
  std::vector<std::string> texts;
  for (const forms::Category& c : forms::Categories()) texts.emplace_back(c.listText);
  texts.emplace_back(forms::CategoryOf(forms::CategoryId::kPlan).listText);
  return texts;
}
std::vector<std::string> KindChoices() { return {forms::kKindNames.begin(), forms::kKindNames.end()}; }
std::vector<std::string> ThresholdChoices() { return {"3500", "4800"}; }

// The template's column of the input field `key` (姓名 comes first).
std::size_t ColumnOf(std::string_view key) {
  const std::vector<InputColumn> columns = InputColumns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].key == key) return i + 1;
  }
  return 0;
}

}  // namespace

std::string ResultObstacle(const std::string& output) {
  const fs::path path(output);
  struct stat st {};
  if (::stat(output.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return messages::CannotWrite(output, messages::SystemText(EISDIR));
    // Marked read-only by its owner: not replaced, whoever runs the program (root too).
    if (S_ISREG(st.st_mode) && ((st.st_mode & 0222) == 0 || ::access(output.c_str(), W_OK) != 0))
      return messages::CannotWrite(output, messages::kReadOnly);
  }
  // Office programs mark a workbook they hold open with an owner file beside it.
  std::error_code ec;
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const std::string name = path.filename().string();
  for (const std::string& owner : {".~lock." + name + "#", "~$" + name}) {
    if (fs::exists(folder / owner, ec)) return messages::CannotWrite(output, messages::kHeldOpen);
  }
  return {};
}

std::string WriteSheetTemplate(const std::string& path) {
  if (std::string obstacle = ResultObstacle(path); !obstacle.empty()) return obstacle;
  // Only a regular file or a new name is written, as a workbook result is: never a device, a
  // FIFO or a socket (nor a file with other names, which OutputFile refuses).
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return messages::CannotWrite(path, messages::kWorkbookToRegularFile);
  OutputFile output;
  std::string error;
  if (!output.Open(path, error)) return error;
  if (output.Temporary().empty()) return messages::CannotWrite(path, messages::kWorkbookToRegularFile);
  XlsxWriter writer;
  bool ok = writer.Open(output.Temporary(), path, output.Folder());
  std::vector<std::string> row{kNameCaption};
  for (const InputColumn& c : InputColumns()) row.emplace_back(c.caption);
  ok = ok && writer.StartSheet(kSheetName) && writer.WriteRow(row);
  for (const Example& e : kExamples) {
    CellRows cells;
    cells.Add(e.name);
    for (std::size_t k = 0; k < e.fields.size(); ++k) cells.Add(e.fields[k], HowOf(k, e.fields[k]));
    cells.EndRow();
    ok = ok && writer.WriteRow(cells, 0);
  }
  ok = ok &&
       writer.AddChoices(ColumnOf("category"), XlsxWriter::kMaxRows, CategoryChoices(), messages::kChooseACategory) &&
       writer.AddChoices(ColumnOf("calc"), XlsxWriter::kMaxRows, KindChoices(), messages::kKindsOffered) &&
       writer.AddChoices(ColumnOf("threshold"), XlsxWriter::kMaxRows, ThresholdChoices(), messages::kBadThreshold);
  ok = ok && writer.Close();
  if (!ok) return writer.Error().empty() ? messages::CannotWrite(path, messages::kNothingWritten) : writer.Error();
  return output.Commit(error) ? std::string() : error;
}

std::optional<Format> FormatOfPath(const std::string& path) {
  const std::string ext = AsciiLower(fs::path(path).extension().string());
  if (ext == ".csv") return Format::kCsv;
  if (ext == ".jsonl" || ext == ".json" || ext == ".ndjson") return Format::kJsonLines;
  if (ext == ".xlsx") return Format::kXlsx;
  return std::nullopt;
}

std::optional<Format> InputFormatOfPath(const std::string& path) {
  const std::string ext = AsciiLower(fs::path(path).extension().string());
  if (ext == ".xlsm" || ext == ".xls") return Format::kXlsx;
  if (ext == ".txt") return Format::kCsv;
  return FormatOfPath(path);
}

bool NamesUnwrittenWorkbook(const std::string& path) {
  const std::string ext = AsciiLower(fs::path(path).extension().string());
  for (const char* kind : {".xls", ".xlsm", ".xlsb", ".xlt", ".xltx", ".xltm", ".ods", ".et", ".ett", ".numbers"}) {
    if (ext == kind) return true;
  }
  return false;
}

}  // namespace quorvex::sheets
