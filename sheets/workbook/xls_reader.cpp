#include "sheets/workbook/xls_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "sheets/sheet_messages.h"
#include "sheets/text/utf8.h"
#include "sheets/workbook/compound_file.h"
#include "sheets/workbook/xlsx_parts.h"

namespace quorvex::sheets {
namespace {

// The records read; the others are passed over.
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kRecalcId = 0x01C1;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof = 0x0809;

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kGlobals = 0x0005;
constexpr std::uint16_t kWorksheet = 0x0010;
constexpr std::size_t kColumns = 256;  // A to IV
// Texts are placed by 32-bit offsets: a stream this long could not hold a sheet Excel wrote.
constexpr std::uint64_t kMaxStream = (std::uint64_t{1} << 31) - 1;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::uint16_t U16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}
std::uint32_t U32(const char* p) { return U16(p) | static_cast<std::uint32_t>(U16(p + 2)) << 16; }

double F64(const char* p) {
  const std::uint64_t bits = U32(p) | static_cast<std::uint64_t>(U32(p + 4)) << 32;
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A number stored in 30 bits: an integer, or a double's high 30 bits; either may be hundredths.
double RkValue(std::uint32_t rk) {
  double value = 0;
  if ((rk & 2) != 0) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 1) != 0 ? value / 100 : value;
}

// The text Excel shows for an error code; null for a code it has none for.
const char* ErrorText(std::uint32_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return nullptr;
  }
}

// A number as the .xlsx reader gives the same stored double: its shortest text, rounded to
// the 15 significant digits Excel shows.
std::string NumberText(double value) {
  if (value == 0) return "0";  // -0 too
  std::string text;
  xlsx::AppendNumber(text, value);
  return xlsx::ExcelNumber(std::move(text));
}

struct Record {
  std::uint16_t type = 0;
  const char* data = nullptr;
  std::size_t size = 0;
  std::size_t next = 0;  // where the record after it starts
};

// The record at `at`; false when its header or data would run past the end of `bytes`.
bool RecordAt(std::string_view bytes, std::size_t at, Record& r) {
  if (at > bytes.size() || bytes.size() - at < 4) return false;
  r.type = U16(bytes.data() + at);
  r.size = U16(bytes.data() + at + 2);
  if (bytes.size() - at - 4 < r.size) return false;
  r.data = bytes.data() + at + 4;
  r.next = at + 4 + r.size;
  return true;
}

// Appends UTF-16 code unit `unit` as UTF-8, pairing surrogates through `high`; half of a pair
// alone becomes U+FFFD.
void AppendUnit(std::string& out, char32_t unit, char32_t& high) {
  if (high != 0) {
    if (unit >= 0xDC00 && unit < 0xE000) {
      AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      high = 0;
      return;
    }
    AppendUtf8(out, kReplacementCharacter);
    high = 0;
  }
  if (unit >= 0xD800 && unit < 0xDC00) {
    high = unit;
  } else {
    AppendUtf8(out, unit >= 0xDC00 && unit < 0xE000 ? kReplacementCharacter : unit);
  }
}

// A record's data read on, where the record allows it, into the CONTINUE records after it (the
// shared strings, a formula's long text result). A text split between two records goes on in
// the next with an option byte of its own: its characters may be one byte (Latin-1) there and
// two (UTF-16) before, or the other way round.
class Continued {
 public:
  Continued(std::string_view bytes, const Record& first, bool continues)
      : bytes_(bytes),
        at_(static_cast<std::size_t>(first.data - bytes.data())),
        end_(at_ + first.size),
        next_(first.next),
        continues_(continues) {}

  // Whether all was read: the record and any CONTINUE records after it.
  bool AtEnd() { return at_ == end_ && !NextPiece(); }
  // The bytes left in the record (or CONTINUE record) being read.
  [[nodiscard]] std::size_t Left() const { return end_ - at_; }

  bool Byte(std::uint8_t& b) {
    if (at_ == end_ && !NextPiece()) return false;
    b = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
  }
  bool Short(std::uint16_t& v) {
    std::uint8_t lo = 0;
    std::uint8_t hi = 0;
    if (!Byte(lo) || !Byte(hi)) return false;
    v = static_cast<std::uint16_t>(lo | hi << 8);
    return true;
  }
  bool Long(std::uint32_t& v) {
    std::uint16_t lo = 0;
    std::uint16_t hi = 0;
    if (!Short(lo) || !Short(hi)) return false;
    v = lo | static_cast<std::uint32_t>(hi) << 16;
    return true;
  }
  // Passes over `n` bytes (phonetic data and formatting runs may go on in the next record).
  bool Skip(std::uint64_t n) {
    while (n > 0) {
      if (at_ == end_ && !NextPiece()) return false;
      const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - at_));
      at_ += k;
      n -= k;
    }
    return true;
  }
  // Appends `count` characters, of two bytes each when `wide`, as UTF-8.
  bool Chars(std::size_t count, bool wide, std::string& out) {
    char32_t high = 0;
    while (count > 0) {
      if (at_ == end_) {
        if (!NextPiece() || at_ == end_) return false;
        wide = (bytes_[at_++] & 1) != 0;
      }
      const std::size_t unit = wide ? 2 : 1;
      const std::size_t n = std::min(count, (end_ - at_) / unit);
      if (n == 0) return false;  // half a character
      const char* p = bytes_.data() + at_;
      for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = wide ? U16(p + 2 * i) : static_cast<unsigned char>(p[i]);
        AppendUnit(out, c, high);
      }
      at_ += n * unit;
      count -= n;
    }
    if (high != 0) AppendUtf8(out, kReplacementCharacter);
    return true;
  }

 private:
  bool NextPiece() {
    Record r;
    if (!continues_ || !RecordAt(bytes_, next_, r) || r.type != kContinue) return false;
    at_ = static_cast<std::size_t>(r.data - bytes_.data());
    end_ = at_ + r.size;
    next_ = r.next;
    return true;
  }

  std::string_view bytes_;
  std::size_t at_;
  std::size_t end_;
  std::size_t next_;
  bool continues_;
};

// A text of `count` characters after its count: an option byte (1: two bytes a character; 8:
// formatting runs follow the characters, 4: phonetic data, each counted before them), the
// characters, and the runs and phonetic data, which are passed over.
bool ReadText(Continued& c, std::size_t count, std::string& out) {
  std::uint8_t flags = 0;
  std::uint16_t runs = 0;
  std::uint32_t phonetic = 0;
  if (!c.Byte(flags) || ((flags & 8) != 0 && !c.Short(runs)) || ((flags & 4) != 0 && !c.Long(phonetic))) return false;
  return c.Chars(count, (flags & 1) != 0, out) && c.Skip(std::uint64_t{4} * runs) && c.Skip(phonetic);
}

// What a cell holds, as read; its text is made when its row is given. kEmptyResult: a formula
// whose saved result is an empty text, which script writers save for every formula, computing
// none (see XlsReader::Impl::Unsaved).
enum class Held : std::uint8_t { kNumber, kShared, kText, kBoolean, kError, kEmptyResult };

struct Cell {
  std::uint16_t row = 0;
  std::uint16_t column = 0;
  std::uint16_t format = 0;
  Held held = Held::kNumber;
  std::uint32_t at =
      0;  // kShared: the string's index; kText: where it starts in the texts; kBoolean, kError: the value
  std::uint32_t size = 0;  // kText: its bytes
  double number = 0;
};

bool IsCellRecord(std::uint16_t type) {
  switch (type) {
    case kFormula:
    case kMulRk:
    case kMulBlank:
    case kRString:
    case kLabelSst:
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kRk:
      return true;
    default:
      return false;
  }
}

}  // namespace

struct XlsReader::Impl {
  bool Fail(std::string_view why) {
    reason = why;
    error = path + "：" + reason;
    cells.clear();
    texts.clear();
    return false;
  }

  bool ReadGlobals();
  bool ReadShared(const Record& sst);
  bool ReadSheet(std::size_t index);
  // Reads cell record `r` of `bytes` (the sheet's); false when it is damaged.
  bool AddCells(const Record& r, std::string_view bytes, std::size_t& awaitingText);
  Cell& Add(std::uint16_t row, std::uint16_t column, std::uint16_t xf, Held held) {
    Cell& cell = cells.emplace_back();
    cell.row = row;
    cell.column = column;
    cell.format = xf < formatOfXf.size() ? formatOfXf[xf] : 0;
    cell.held = held;
    return cell;
  }
  [[nodiscard]] std::string TextOf(const Cell& cell) const;
  // Whether `cell` is a formula without a result. Script writers save an empty text as every
  // formula's result; a workbook a program computed says so with a RECALCID record (Excel since
  // 2000, LibreOffice) or shows it by a formula with another result, and there an empty text
  // is what the formula gives.
  [[nodiscard]] bool Unsaved(const Cell& cell) const {
    return cell.held == Held::kEmptyResult && !recalculated && !computed;
  }

  std::string path;
  std::string error;
  std::string reason;  // the error without the file's name
  std::string stream;  // the Workbook stream
  bool encrypted = false;
  bool date1904 = false;
  bool recalculated = false;  // a RECALCID record: saved by a program that computes formulas
  bool computed = false;      // a formula of a worksheet has a result other than an empty text
  std::vector<WorkbookSheet> sheets;
  std::vector<std::size_t> starts;  // where each worksheet's records start in the stream
  std::vector<std::size_t> bounds;  // where every sheet's records start, in order, and the stream's end
  std::string shared;               // the shared strings, one after the other
  std::vector<std::size_t> sharedEnds;
  std::vector<std::uint16_t> formatOfXf;  // the number format of each cell format
  std::unordered_map<std::uint16_t, std::string> codes;

  // The selected worksheet.
  std::vector<Cell> cells;  // by row and column
  std::string texts;        // the texts its cells hold themselves
  std::size_t next = 0;     // the next cell Next() reads
  std::size_t line = 0;
  std::vector<CellInfo> types;
};

bool XlsReader::Impl::ReadGlobals() {
  Record r;
  if (!RecordAt(stream, 0, r) || r.type != kBof || r.size < 4 || U16(r.data) != kBiff8 || U16(r.data + 2) != kGlobals)
    return false;
  std::size_t at = r.next;
  std::size_t sheetRecords = 0;
  for (;;) {
    if (!RecordAt(stream, at, r)) return false;
    at = r.next;
    if (r.type == kEof) break;
    switch (r.type) {
      case kFilePass:
        // What follows is encrypted.
        encrypted = true;
        return false;
      case kDateMode:
        if (r.size < 2) return false;
        date1904 = U16(r.data) != 0;
        break;
      case kRecalcId:
        recalculated = true;
        break;
      case kXf:
        if (r.size < 4) return false;
        formatOfXf.push_back(U16(r.data + 2));
        break;
      case kFormat: {
        Continued c(stream, r, false);
        std::uint16_t id = 0;
        std::uint16_t count = 0;
        std::string code;
        if (!c.Short(id) || !c.Short(count) || !ReadText(c, count, code)) return false;
        codes[id] = std::move(code);
        break;
      }
      case kBoundSheet: {
        // Where its records start, whether it is shown, its type (0: a worksheet), its name.
        Continued c(stream, r, false);
        std::uint8_t count = 0;
        std::string name;
        if (r.size < 8 || !c.Skip(6) || !c.Byte(count) || !ReadText(c, count, name)) return false;
        ++sheetRecords;
        bounds.push_back(U32(r.data));
        if (r.data[5] != 0) break;
        starts.push_back(U32(r.data));
        sheets.push_back({name.empty() ? "Sheet" + std::to_string(sheetRecords) : name, (r.data[4] & 3) != 0});
        break;
      }
      case kSst:
        if (!ReadShared(r)) return false;
        break;
      default:
        break;
    }
  }
  // The sheets' records follow these, each sheet's up to the next one's: one that starts
  // within another's would be read twice.
  std::sort(bounds.begin(), bounds.end());
  if (sheets.empty() || bounds.front() < at || bounds.back() >= stream.size() ||
      std::adjacent_find(bounds.begin(), bounds.end()) != bounds.end())
    return false;
  bounds.push_back(stream.size());
  return true;
}

bool XlsReader::Impl::ReadShared(const Record& sst) {
  Continued c(stream, sst, true);
  std::uint32_t total = 0;
  std::uint32_t unique = 0;
  if (!c.Long(total) || !c.Long(unique)) return false;
  // As many as the records hold, whatever the count says; a cell naming one beyond is damaged.
  for (std::uint32_t i = 0; i < unique && !c.AtEnd(); ++i) {
    std::uint16_t count = 0;
    if (!c.Short(count) || !ReadText(c, count, shared)) return false;
    sharedEnds.push_back(shared.size());
  }
  return true;
}

bool XlsReader::Impl::AddCells(const Record& r, std::string_view bytes, std::size_t& awaitingText) {
  const char* d = r.data;
  if (r.size < 6 || awaitingText != kNone) return false;
  const std::uint16_t row = U16(d);
  const std::uint16_t column = U16(d + 2);
  switch (r.type) {
    case kNumber: {
      const double value = r.size == 14 ? F64(d + 6) : NAN;
      if (column >= kColumns || !std::isfinite(value)) return false;
      Add(row, column, U16(d + 4), Held::kNumber).number = value;
      return true;
    }
    case kRk: {
      const double value = r.size == 10 ? RkValue(U32(d + 6)) : NAN;
      if (column >= kColumns || !std::isfinite(value)) return false;
      Add(row, column, U16(d + 4), Held::kNumber).number = value;
      return true;
    }
    case kMulRk: {
      // Format and number of each cell from `column` on, then the last cell's column.
      const std::size_t n = (r.size - 6) / 6;
      if (r.size < 12 || (r.size - 6) % 6 != 0 || U16(d + r.size - 2) != column + n - 1 || column + n > kColumns)
        return false;
      for (std::size_t i = 0; i < n; ++i) {
        const double value = RkValue(U32(d + 6 + 6 * i));
        if (!std::isfinite(value)) return false;
        Add(row, static_cast<std::uint16_t>(column + i), U16(d + 4 + 6 * i), Held::kNumber).number = value;
      }
      return true;
    }
    case kLabelSst: {
      if (r.size != 10 || column >= kColumns || U32(d + 6) >= sharedEnds.size()) return false;
      Add(row, column, U16(d + 4), Held::kShared).at = U32(d + 6);
      return true;
    }
    case kLabel:
    case kRString: {
      // The text, then for RSTRING its formatting runs; nothing after them.
      Continued c(bytes, r, false);
      std::uint16_t count = 0;
      std::uint16_t runs = 0;
      const std::size_t start = texts.size();
      if (column >= kColumns || !c.Skip(6) || !c.Short(count) || !ReadText(c, count, texts) ||
          (r.type == kRString && (!c.Short(runs) || !c.Skip(std::uint64_t{4} * runs))) || c.Left() != 0)
        return false;
      Cell& cell = Add(row, column, U16(d + 4), Held::kText);
      cell.at = static_cast<std::uint32_t>(start);
      cell.size = static_cast<std::uint32_t>(texts.size() - start);
      return true;
    }
    case kBoolErr: {
      // The value, then whether it is an error's code.
      if (r.size != 8 || column >= kColumns) return false;
      const auto value = static_cast<std::uint8_t>(d[6]);
      if (d[7] != 0 && ErrorText(value) == nullptr) return false;
      Add(row, column, U16(d + 4), d[7] != 0 ? Held::kError : Held::kBoolean).at = d[7] != 0 ? value : value != 0;
      return true;
    }
    case kFormula: {
      // The saved result (8 bytes), options, a reserved field, then the formula's own size and
      // tokens. A result whose last two bytes are FFFF is no number: its first byte says what
      // it is (0 a text, in the STRING record that follows; 1 a boolean, 2 an error, with the
      // value in its third byte; 3 an empty text).
      if (r.size < 22 || r.size - 22 < U16(d + 20) || column >= kColumns) return false;
      const char* result = d + 6;
      const std::uint16_t xf = U16(d + 4);
      if (U16(result + 6) != 0xFFFF) {
        const double value = F64(result);
        if (!std::isfinite(value)) return false;
        Add(row, column, xf, Held::kNumber).number = value;
        computed = true;
        return true;
      }
      const auto value = static_cast<std::uint8_t>(result[2]);
      computed = computed || result[0] != 3;
      switch (result[0]) {
        case 0:
          awaitingText = cells.size();
          Add(row, column, xf, Held::kText);
          return true;
        case 1:
          Add(row, column, xf, Held::kBoolean).at = value != 0;
          return true;
        case 2:
          if (ErrorText(value) == nullptr) return false;
          Add(row, column, xf, Held::kError).at = value;
          return true;
        case 3:
          Add(row, column, xf, Held::kEmptyResult);
          return true;
        default:
          return false;
      }
    }
    case kBlank:
      return r.size == 6 && column < kColumns;
    case kMulBlank: {
      const std::size_t n = (r.size - 6) / 2;
      return r.size >= 8 && (r.size - 6) % 2 == 0 && U16(d + r.size - 2) == column + n - 1 && column + n <= kColumns;
    }
    default:
      return false;
  }
}

bool XlsReader::Impl::ReadSheet(std::size_t index) {
  cells.clear();
  texts.clear();
  types.clear();
  next = line = 0;
  error.clear();
  const std::string& name = sheets[index].name;
  // The sheet's records, up to where the next sheet's start.
  const std::size_t start = starts[index];
  const std::string_view bytes(stream.data(), *std::upper_bound(bounds.begin(), bounds.end(), start));
  Record r;
  if (!RecordAt(bytes, start, r) || r.type != kBof || r.size < 4 || U16(r.data) != kBiff8 ||
      U16(r.data + 2) != kWorksheet)
    return Fail(messages::DamagedSheet(name));
  std::size_t at = r.next;
  std::size_t depth = 0;             // within a chart's records inside the sheet
  std::size_t awaitingText = kNone;  // the cell of a formula whose text result comes next
  for (;;) {
    if (!RecordAt(bytes, at, r)) return Fail(messages::DamagedSheet(name));
    at = r.next;
    if (r.type == kBof) {
      ++depth;
    } else if (r.type == kEof) {
      if (depth == 0) break;
      --depth;
    } else if (depth > 0) {
      continue;
    } else if (r.type == kString && awaitingText != kNone) {
      Continued c(bytes, r, true);
      std::uint16_t count = 0;
      const std::size_t begin = texts.size();
      if (!c.Short(count) || !ReadText(c, count, texts))
        return Fail(messages::DamagedCellInRow(cells[awaitingText].row + std::uint64_t{1}));
      cells[awaitingText].at = static_cast<std::uint32_t>(begin);
      cells[awaitingText].size = static_cast<std::uint32_t>(texts.size() - begin);
      awaitingText = kNone;
    } else if (IsCellRecord(r.type) && !AddCells(r, bytes, awaitingText)) {
      const std::uint64_t row = awaitingText != kNone ? cells[awaitingText].row
                                : r.size >= 2         ? U16(r.data)
                                                      : std::uint64_t{0};
      return Fail(messages::DamagedCellInRow(row + 1));
    }
  }
  if (awaitingText != kNone) return Fail(messages::DamagedCellInRow(cells[awaitingText].row + std::uint64_t{1}));
  // Rows in order, and a cell given twice (which no program writes) keeps its last value.
  const auto before = [](const Cell& a, const Cell& b) { return a.row != b.row ? a.row < b.row : a.column < b.column; };
  if (!std::is_sorted(cells.begin(), cells.end(), before)) std::stable_sort(cells.begin(), cells.end(), before);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i + 1 < cells.size() && !before(cells[i], cells[i + 1])) continue;
    cells[kept++] = cells[i];
  }
  cells.resize(kept);
  return true;
}

std::string XlsReader::Impl::TextOf(const Cell& cell) const {
  switch (cell.held) {
    case Held::kNumber:
      return NumberText(cell.number);
    case Held::kShared: {
      const std::size_t begin = cell.at == 0 ? 0 : sharedEnds[cell.at - 1];
      return shared.substr(begin, sharedEnds[cell.at] - begin);
    }
    case Held::kText:
      return texts.substr(cell.at, cell.size);
    case Held::kEmptyResult:
      return Unsaved(cell) ? xlsx::ColumnName(cell.column) + std::to_string(cell.row + 1) : std::string();
    case Held::kBoolean:
      return cell.at != 0 ? "TRUE" : "FALSE";
    case Held::kError:
      return ErrorText(cell.at);
  }
  return {};
}

XlsReader::XlsReader() : impl_(std::make_unique<Impl>()) {}
XlsReader::~XlsReader() = default;

bool XlsReader::Open(const std::string& path) {
  impl_ = std::make_unique<Impl>();
  Impl& d = *impl_;
  d.path = path;
  CompoundFile file;
  if (!file.Open(path) || file.Read("Workbook", d.stream, kMaxStream) != CompoundFile::Found::kRead ||
      !d.ReadGlobals()) {
    d.sheets.clear();
    return d.Fail(d.encrypted ? messages::kEncrypted : messages::kUnreadableWorkbook);
  }
  // Every worksheet is read through now: a damaged one refuses the workbook rather than being
  // left out of it. The last read is the first sheet, which is then selected.
  for (std::size_t i = d.sheets.size(); i-- > 0;) {
    if (!d.ReadSheet(i)) {
      d.sheets.clear();
      return false;
    }
  }
  return true;
}

bool XlsReader::Encrypted() const { return impl_->encrypted; }

bool XlsReader::Select(std::size_t index) { return index < impl_->sheets.size() && impl_->ReadSheet(index); }

bool XlsReader::Next(std::vector<std::string>& row) {
  Impl& d = *impl_;
  if (!d.error.empty()) return false;
  while (d.next < d.cells.size()) {
    const std::uint16_t number = d.cells[d.next].row;
    std::size_t end = d.next;
    while (end < d.cells.size() && d.cells[end].row == number) ++end;
    const std::size_t width = d.cells[end - 1].column + std::size_t{1};
    row.assign(width, std::string());
    d.types.assign(width, CellInfo{});
    for (std::size_t i = d.next; i < end; ++i) {
      const Cell& cell = d.cells[i];
      row[cell.column] = d.TextOf(cell);
      CellInfo& info = d.types[cell.column];
      info.format = cell.format;
      if (cell.held == Held::kNumber) info.kind = CellKind::kNumber;
      if (cell.held == Held::kBoolean) info.kind = CellKind::kBoolean;
      if (d.Unsaved(cell)) info = {CellKind::kUnsavedFormula, 0};
    }
    d.next = end;
    while (!row.empty() && row.back().empty()) {
      row.pop_back();
      d.types.pop_back();
    }
    if (row.empty()) continue;  // a row without a cell, as the .xlsx reader leaves it out
    d.line = number + std::size_t{1};
    return true;
  }
  return false;
}

const std::vector<WorkbookSheet>& XlsReader::Sheets() const { return impl_->sheets; }
const std::vector<CellInfo>& XlsReader::Types() const { return impl_->types; }
const std::string& XlsReader::Reason() const { return impl_->reason; }

const std::string& XlsReader::Error() const { return impl_->error; }
std::size_t XlsReader::Line() const { return impl_->line; }
std::uint64_t XlsReader::BytesRead() const { return impl_->next; }
std::uint64_t XlsReader::BytesTotal() const { return impl_->cells.size(); }
bool XlsReader::Date1904() const { return impl_->date1904; }

std::string_view XlsReader::FormatCode(std::uint16_t id) const {
  const auto found = impl_->codes.find(id);
  return found != impl_->codes.end() ? std::string_view(found->second) : std::string_view();
}

}  // namespace quorvex::sheets
