#include "sheets/xlsx_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "sheets/xlsx_reader.h"

namespace quorvex::sheets {
namespace {

constexpr double kMinWidth = 6;
constexpr double kMaxWidth = 80;

// Decodes one UTF-8 character at `i`; 0xFFFD (and one byte) for a malformed one.
char32_t Decode(const std::string& s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  int extra = 0;
  char32_t c = 0;
  if (b < 0x80) {
    ++i;
    return b;
  }
  if (b >= 0xC2 && b <= 0xDF) {
    extra = 1;
    c = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2;
    c = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3;
    c = b & 0x07u;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((n & 0xC0u) != 0x80u) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (n & 0x3Fu);
  }
  const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<std::size_t>(extra) + 1;
  return c;
}

bool Wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether `text` at `at` reads like the escape of a character ("_x0041_").
bool LooksEscaped(const std::string& text, std::size_t at) {
  return text.size() - at >= 7 && text[at + 1] == 'x' && text[at + 6] == '_' && IsHex(text[at + 2]) &&
         IsHex(text[at + 3]) && IsHex(text[at + 4]) && IsHex(text[at + 5]);
}

// Characters XML 1.0 cannot carry: the C0 controls but tab and the line breaks, U+FFFE and
// U+FFFF. A workbook stores them as "_xHHHH_" escapes.
bool NotXml(char32_t c) { return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF; }

void AppendEscape(std::string& out, char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "_x";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
  out += '_';
}

// The text as a worksheet can hold it: a malformed UTF-8 byte becomes U+FFFD (a workbook
// must be UTF-8 throughout, or Excel refuses the whole file), a character XML cannot carry
// its escape, and a text that reads like such an escape ("_x0041_") gets its "_" escaped
// ("_x005F_x0041_"), or a reader would show the character instead of the text. `chars`
// counts the characters of the text as read back.
std::string CellText(const std::string& text, std::size_t& chars) {
  chars = 0;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t c = Decode(text, i);
    if (c == 0xFFFD && !(i - start == 3 && text.compare(start, 3, "\xEF\xBF\xBD") == 0)) {
      Append(out, c);
    } else if (NotXml(c)) {
      AppendEscape(out, c);
    } else {
      if (c == '_' && LooksEscaped(text, start)) out += "_x005F";
      out.append(text, start, i - start);
    }
    chars += c >= 0x10000 ? 2 : 1;  // Excel counts UTF-16 units
  }
  return out;
}

// The folder of `path`, where the library keeps its scratch files.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::size_t DisplayWidth(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) width += Wide(Decode(text, i)) ? 2 : 1;
  return width;
}

std::size_t ShownWidth(const std::string& text, const WrittenCell& cell) {
  // A number shows through its format, which may be wider than its text ("42064" shown as
  // 2015-03-01): a column too narrow for a date shows ####. The format's code is about as
  // wide as what it shows; the built-in dates and times at most "2015/12/31 18:00".
  std::size_t width = DisplayWidth(text);
  if (!cell.code.empty()) return std::max(width, DisplayWidth(std::string(cell.code)));
  constexpr std::uint16_t kFirstDate = 14, kLastDate = 22, kDateTime = 22;
  if (cell.builtin >= kFirstDate && cell.builtin <= kLastDate)
    width = std::max<std::size_t>(width, cell.builtin == kDateTime ? 16 : 10);
  return width;
}

XlsxWriter::~XlsxWriter() {
  // Not closed: nothing is written; the rows already in the temporary file are dropped.
  if (workbook_ != nullptr) lxw_workbook_free(workbook_);
}

bool XlsxWriter::Fail(const std::string& reason) {
  if (error_.empty()) error_ = name_ + "：" + reason;
  return false;
}

bool XlsxWriter::Open(const std::string& path, const std::string& shownName) {
  name_ = shownName.empty() ? path : shownName;
  path_ = path;
  // The rows wait in scratch files beside the workbook, on the disk that is to hold it, not in
  // a shared temporary folder that may be smaller or in memory.
  scratch_ = FolderOf(path);
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = scratch_.data();
  options.use_zip64 = LXW_TRUE;  // a sheet of a million rows inflates past 4 GiB
  workbook_ = workbook_new_opt(path.c_str(), &options);
  if (workbook_ == nullptr) return Fail("无法创建工作簿");
  bold_ = workbook_add_format(workbook_);
  format_set_bold(bold_);
  return true;
}

bool XlsxWriter::StartSheet(const std::string& name) {
  if (workbook_ == nullptr || !error_.empty()) return false;
  EndSheet();
  sheet_ = workbook_add_worksheet(workbook_, name.empty() ? nullptr : name.c_str());
  if (sheet_ == nullptr) return Fail("无法创建工作表" + name);
  sheets_.push_back(sheet_);
  worksheet_freeze_panes(sheet_, 1, 0);
  rows_ = 0;
  headerRow_ = 0;
  filledRows_.push_back(0);
  return true;
}

void XlsxWriter::EndSheet() {
  if (sheet_ == nullptr) return;
  for (std::size_t col = 0; col < widths_.size(); ++col) {
    const double width = std::clamp(static_cast<double>(widths_[col]) + 2, kMinWidth, kMaxWidth);
    worksheet_set_column(sheet_, static_cast<lxw_col_t>(col), static_cast<lxw_col_t>(col), width, nullptr);
  }
  widths_.clear();
}

lxw_format* XlsxWriter::FormatOf(const WrittenCell& cell) {
  if (cell.code.empty()) {
    // Ids past the built-in ones name a workbook's own formats, which only their code carries.
    constexpr std::uint16_t kBuiltins = 164;
    if (cell.builtin == 0 || cell.builtin >= kBuiltins) return nullptr;
    if (builtins_.empty()) builtins_.resize(kBuiltins);
    lxw_format*& format = builtins_[cell.builtin];
    if (format == nullptr) {
      format = workbook_add_format(workbook_);
      format_set_num_format_index(format, static_cast<std::uint8_t>(cell.builtin));
    }
    return format;
  }
  const auto found = formats_.find(std::string(cell.code));
  if (found != formats_.end()) return found->second;
  if (formats_.size() >= kMaxFormats) return nullptr;
  lxw_format* format = workbook_add_format(workbook_);
  const std::string code(cell.code);
  format_set_num_format(format, code.c_str());
  formats_.emplace(code, format);
  return format;
}

bool XlsxWriter::WriteRow(const std::vector<std::string>& cells, const std::vector<WrittenCell>* kinds) {
  if (sheet_ == nullptr && !StartSheet({})) return false;
  if (!error_.empty()) return false;
  if (rows_ >= kMaxRows) return Fail("超过 Excel 工作表的行数上限（" + std::to_string(kMaxRows) + "行）");
  if (cells.size() > kMaxColumns) return Fail("超过 Excel 工作表的列数上限（" + std::to_string(kMaxColumns) + "列）");
  if (widths_.size() < cells.size()) widths_.resize(cells.size());
  const auto row = static_cast<lxw_row_t>(rows_);
  bool filled = false;
  for (std::size_t col = 0; col < cells.size(); ++col) {
    if (cells[col].empty()) continue;
    filled = true;
    const WrittenCell* kind = kinds != nullptr && rows_ != headerRow_ && col < kinds->size() ? &(*kinds)[col] : nullptr;
    if (kind != nullptr && kind->kind != CellKind::kText) {
      const auto c = static_cast<lxw_col_t>(col);
      const lxw_error e = kind->kind == CellKind::kNumber
                              ? worksheet_write_number(sheet_, row, c, kind->number, FormatOf(*kind))
                              : worksheet_write_boolean(sheet_, row, c, kind->number != 0 ? 1 : 0, FormatOf(*kind));
      if (e != LXW_NO_ERROR) return Fail(std::string("无法写入单元格（") + lxw_strerror(e) + "）");
      widths_[col] = std::max(widths_[col], ShownWidth(cells[col], *kind));
      continue;
    }
    std::size_t chars = 0;
    const std::string text = CellText(cells[col], chars);
    if (chars > kMaxCellChars) {
      return Fail("第" + std::to_string(rows_ + 1) + "行第" + std::to_string(col + 1) + "列超过 Excel 单元格的上限（" +
                  std::to_string(kMaxCellChars) + "个字符）");
    }
    const lxw_error e = worksheet_write_string(sheet_, row, static_cast<lxw_col_t>(col), text.c_str(),
                                               rows_ == headerRow_ ? bold_ : nullptr);
    if (e != LXW_NO_ERROR) return Fail(std::string("无法写入单元格（") + lxw_strerror(e) + "）");
    widths_[col] = std::max(widths_[col], DisplayWidth(text));
  }
  // The library writes a row to its scratch file when the next one starts, and does not look
  // at the outcome: a failed write leaves the stream's error flag (and errno) set.
  if (sheet_->optimize_tmpfile != nullptr && std::ferror(sheet_->optimize_tmpfile) != 0) return ScratchFailed(errno);
  ++rows_;
  filledRows_.back() += filled ? 1 : 0;
  return true;
}

void XlsxWriter::SetHeaderRow(std::size_t row) {
  headerRow_ = row;
  if (sheet_ != nullptr) worksheet_freeze_panes(sheet_, static_cast<lxw_row_t>(row + 1), 0);
}

bool XlsxWriter::AddChoices(std::size_t column, std::size_t lastRow, const std::vector<std::string>& choices,
                            const std::string& advice) {
  if (sheet_ == nullptr && !StartSheet({})) return false;
  if (!error_.empty()) return false;
  // Given as the list's formula, a quoted text of the choices between commas: the library's
  // own list of texts overruns a buffer on texts of more bytes than characters.
  std::string list = "\"";
  for (const std::string& c : choices) list.append(list.size() > 1 ? "," : "").append(c);
  list += '"';
  lxw_data_validation validation{};
  validation.validate = LXW_VALIDATION_TYPE_LIST_FORMULA;
  validation.value_formula = list.data();
  validation.error_type = LXW_VALIDATION_ERROR_TYPE_WARNING;
  validation.error_title = const_cast<char*>("不在下拉列表中");
  validation.error_message = const_cast<char*>(advice.c_str());
  const auto col = static_cast<lxw_col_t>(column);
  const lxw_error e =
      worksheet_data_validation_range(sheet_, 1, col, static_cast<lxw_row_t>(lastRow - 1), col, &validation);
  if (e != LXW_NO_ERROR) return Fail(std::string("无法写入下拉列表（") + lxw_strerror(e) + "）");
  return true;
}

bool XlsxWriter::ScratchFailed(int why) {
  return Fail(std::string("无法写入工作簿的临时文件（") + (why != 0 ? std::strerror(why) : "写入失败") + "）");
}

bool XlsxWriter::Close() {
  if (workbook_ == nullptr) return Fail("无法创建工作簿");
  if (!error_.empty()) return false;
  if (sheet_ == nullptr && !StartSheet({})) return false;  // a workbook holds a sheet, if empty
  EndSheet();
  errno = 0;
  // Every sheet's rows wait in a scratch file of its own.
  for (lxw_worksheet* sheet : sheets_) {
    if (sheet->optimize_tmpfile != nullptr &&
        (std::fflush(sheet->optimize_tmpfile) != 0 || std::ferror(sheet->optimize_tmpfile) != 0))
      return ScratchFailed(errno);
  }
  const lxw_error e = workbook_close(workbook_);  // frees the workbook whatever the outcome
  workbook_ = nullptr;
  sheet_ = nullptr;
  sheets_.clear();
  if (e != LXW_NO_ERROR) return Fail(std::string("无法写入（") + lxw_strerror(e) + "）");
  return ReadBack();
}

bool XlsxWriter::ReadBack() {
  // The library copies its scratch files into the workbook without checking what it read:
  // only reading the workbook through shows that every row reached it.
  XlsxLimits limits;
  limits.maxPartSize = std::numeric_limits<std::uint64_t>::max();
  limits.maxSharedStrings = std::numeric_limits<std::uint64_t>::max();
  limits.maxRatio = std::numeric_limits<double>::infinity();  // our own rows compress as they may
  limits.maxCellBytes = 4 * kMaxCellChars;
  XlsxReader reader;
  std::uint64_t rows = 0;
  std::size_t sheet = 0;
  if (reader.Open(path_, limits)) {
    for (; reader.CountRows(rows) && rows == filledRows_[sheet] && sheet + 1 < filledRows_.size(); ++sheet) {
      if (!reader.Select(sheet + 1)) break;
    }
  }
  if (!reader.Error().empty()) {
    // The reader names the file by its temporary name: the reason alone is told.
    const std::string prefix = path_ + "：";
    const std::string& error = reader.Error();
    return Fail("写出的工作簿读回时已损坏（" + (error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error) +
                "）");
  }
  if (reader.Sheets().size() != filledRows_.size() || rows != filledRows_[sheet]) {
    return Fail("写出的工作簿读回时不完整（写入" + std::to_string(filledRows_[sheet]) + "行，读回" +
                std::to_string(rows) + "行）");
  }
  return true;
}

}  // namespace quorvex::sheets
