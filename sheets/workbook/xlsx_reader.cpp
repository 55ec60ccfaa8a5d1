#include "sheets/workbook/xlsx_reader.h"

#include <expat.h>
#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "sheets/engine/sheet_format.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/utf8.h"
#include "sheets/workbook/xlsx_parts.h"

namespace quorvex::sheets {
namespace {

constexpr std::size_t kChunk = std::size_t{64} * 1024;
constexpr std::uint64_t kMaxSmallPart = std::uint64_t{64} << 20;  // workbook.xml and the relationship parts
constexpr std::size_t kMaxFormatCode = 255;                       // bytes of a number format's code
constexpr std::size_t kMaxDepth = 64;                             // elements within elements
constexpr std::size_t kMaxSheetName = 255;                        // bytes of a worksheet's name

// The name of an element or attribute without its prefix ("x:row" -> "row", "r:id" -> "id").
// Workbooks use the spreadsheet names whatever prefix they give them, so prefixes are not
// resolved to namespaces (which would cost a third of the parse).
std::string_view Local(const XML_Char* name) {
  std::string_view n(name);
  const std::size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const XML_Char* Attribute(const XML_Char** attrs, std::string_view local) {
  for (; *attrs != nullptr; attrs += 2) {
    if (Local(attrs[0]) == local) return attrs[1];
  }
  return nullptr;
}

// Folder part of a part name ("xl/workbook.xml" -> "xl/").
std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship target resolved against the folder of its source part, "." and ".." removed.
std::string Resolve(const std::string& folder, std::string_view target) {
  std::string joined =
      !target.empty() && target[0] == '/' ? std::string(target.substr(1)) : folder + std::string(target);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string piece = joined.substr(start, end - start);
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

// Column number (1-based) of a cell reference such as "AB7"; 0 when it has no letters.
std::size_t ColumnOf(std::string_view ref) {
  std::size_t col = 0;
  for (char c : ref) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    col = col * 26 + static_cast<std::size_t>(c - 'A' + 1);
    if (col > kMaxColumns) return kMaxColumns + 1;
  }
  return col;
}

// A cell's reference from its column and row numbers (28, 2 -> "AB2").
std::string CellReference(std::size_t column, std::size_t row) {
  std::string letters;
  for (; column > 0; column = (column - 1) / 26)
    letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
  return letters + std::to_string(row);
}

// A whole number written in digits only; nullopt for anything else ("-1", "+3", "2.9", "x7").
std::optional<std::size_t> NumberOf(std::string_view text) {
  std::size_t n = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return n;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the escapes a workbook writes for characters XML cannot carry: "_x000D_" is a
// carriage return, "_xFFFE_" U+FFFE, and "_x005F_" a "_" (so that a text "_x000D_" is stored
// "_x005F_x000D_"). Half of a surrogate pair is no character and stays as written.
void Unescape(std::string& text) {
  std::size_t at = text.find("_x");
  if (at == std::string::npos) return;
  std::string out = text.substr(0, at);
  while (at < text.size()) {
    int code = text.size() - at >= 7 && text[at] == '_' && text[at + 1] == 'x' && text[at + 6] == '_' ? 0 : -1;
    for (std::size_t k = 2; code >= 0 && k < 6; ++k) {
      const int d = HexDigit(text[at + k]);
      code = d < 0 ? -1 : code * 16 + d;
    }
    if (code < 0 || (code >= 0xD800 && code < 0xE000)) {
      out += text[at++];
      continue;
    }
    AppendUtf8(out, static_cast<char32_t>(code));
    at += 7;
  }
  text = std::move(out);
}

// Receives the parse of one part.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void Start(std::string_view name, const XML_Char** attrs) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(std::string_view text) = 0;
  // Set by a handler to stop the parse with this reason.
  std::string failure;
};

// One part of the archive, inflated a chunk at a time through expat.
class PartParser {
 public:
  PartParser() = default;
  PartParser(const PartParser&) = delete;
  PartParser& operator=(const PartParser&) = delete;
  ~PartParser() { Close(); }

  // Opens `name`; false with `why` set when it is missing, too large or compressed beyond
  // belief. A missing part is reported with an empty `why` when `optional`.
  bool Open(zip_t* zip, const std::string& name, std::uint64_t cap, const XlsxLimits& limits, std::string& why,
            bool optional = false) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip, name.c_str(), 0, &st) != 0) {
      if (!optional) why = messages::MissingPart(name);
      return false;
    }
    if ((st.valid & ZIP_STAT_SIZE) == 0 || (st.valid & ZIP_STAT_COMP_SIZE) == 0) {
      why = messages::PartSizeUnknown(name);
      return false;
    }
    const double ratio = st.comp_size == 0 ? 0 : static_cast<double>(st.size) / static_cast<double>(st.comp_size);
    if (st.size > cap || (st.size > limits.ratioFloor && (st.comp_size == 0 || ratio > limits.maxRatio))) {
      why = messages::PartLikeABomb(name, st.size, st.comp_size);
      return false;
    }
    file_ = zip_fopen(zip, name.c_str(), 0);
    if (file_ == nullptr) {
      why = messages::CannotInflate(name, zip_strerror(zip));
      return false;
    }
    name_ = name;
    depth_ = 0;
    size_ = st.size;
    parser_ = XML_ParserCreate(nullptr);
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &PartParser::OnStart, &PartParser::OnEnd);
    XML_SetCharacterDataHandler(parser_, &PartParser::OnText);
    XML_SetStartDoctypeDeclHandler(parser_, &PartParser::OnDoctype);
    return true;
  }

  void SetHandler(XmlHandler* handler) { handler_ = handler; }

  // Inflates and parses the next chunk; false on an error (with `why`). Done() after the last.
  bool Step(std::string& why) {
    void* buffer = XML_GetBuffer(parser_, kChunk);
    if (buffer == nullptr) {
      why = messages::kOutOfMemory;
      return false;
    }
    const zip_int64_t got = zip_fread(file_, buffer, kChunk);
    if (got < 0) {
      why = messages::CannotInflate(name_, zip_file_strerror(file_));
      return false;
    }
    read_ += static_cast<std::uint64_t>(got);
    if (read_ > size_) {
      why = messages::PartLonger(name_);
      return false;
    }
    done_ = got == 0;
    if (XML_ParseBuffer(parser_, static_cast<int>(got), done_ ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      if (!handler_->failure.empty()) {
        why = handler_->failure;
      } else {
        why =
            messages::PartNotXml(name_, XML_GetCurrentLineNumber(parser_), XML_ErrorString(XML_GetErrorCode(parser_)));
      }
      return false;
    }
    return true;
  }

  // Reads the rest of the part without parsing it, counting the elements named `tag`: inflating
  // checks the part's checksum and length, and in a part our own writer made, where every `<`
  // of a text is escaped, a `<tag` followed by a blank, `>` or `/` starts such an element.
  // Counting so costs a tenth of parsing.
  bool CountRaw(std::string_view tag, std::uint64_t& count, std::string& why) {
    const std::string open = "<" + std::string(tag);
    std::string window;  // the end of the last chunk, which may hold the start of a tag
    std::vector<char> buffer(kChunk);
    for (;;) {
      const zip_int64_t got = zip_fread(file_, buffer.data(), kChunk);
      if (got < 0) {
        why = messages::CannotInflate(name_, zip_file_strerror(file_));
        return false;
      }
      read_ += static_cast<std::uint64_t>(got);
      if (read_ > size_) {
        why = messages::PartLonger(name_);
        return false;
      }
      if (got == 0) break;
      window.append(buffer.data(), static_cast<std::size_t>(got));
      std::size_t at = 0;
      for (; (at = window.find(open, at)) != std::string::npos; at += open.size()) {
        if (at + open.size() == window.size()) break;  // its next byte comes with the next chunk
        const char next = window[at + open.size()];
        count += next == ' ' || next == '>' || next == '/' ? 1 : 0;
      }
      window.erase(0, at == std::string::npos ? window.size() - std::min(window.size(), open.size()) : at);
    }
    done_ = true;
    if (read_ != size_) {
      why = messages::PartShorter(name_);
      return false;
    }
    return true;
  }

  // Parses the whole part.
  bool Run(std::string& why) {
    while (!done_) {
      if (!Step(why)) return false;
    }
    return true;
  }

  bool Done() const { return done_; }
  std::uint64_t Read() const { return read_; }
  std::uint64_t Size() const { return size_; }

 private:
  void Close() {
    if (parser_ != nullptr) XML_ParserFree(parser_);
    if (file_ != nullptr) zip_fclose(file_);
    parser_ = nullptr;
    file_ = nullptr;
  }

  void Stop(std::string reason) {
    if (handler_->failure.empty()) handler_->failure = std::move(reason);
    XML_StopParser(parser_, XML_FALSE);
  }

  static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attrs) {
    auto* p = static_cast<PartParser*>(self);
    // A workbook's parts nest a few levels; thousands would only cost the parser memory.
    if (++p->depth_ > kMaxDepth) return p->Stop(messages::PartNestedTooDeep(p->name_));
    p->handler_->Start(Local(name), attrs);
    if (!p->handler_->failure.empty()) p->Stop(p->handler_->failure);
  }
  static void XMLCALL OnEnd(void* self, const XML_Char* name) {
    auto* p = static_cast<PartParser*>(self);
    --p->depth_;
    p->handler_->End(Local(name));
    if (!p->handler_->failure.empty()) p->Stop(p->handler_->failure);
  }
  static void XMLCALL OnText(void* self, const XML_Char* text, int len) {
    auto* p = static_cast<PartParser*>(self);
    p->handler_->Text(std::string_view(text, static_cast<std::size_t>(len)));
    if (!p->handler_->failure.empty()) p->Stop(p->handler_->failure);
  }
  // Workbooks carry no document type; one that does is refused rather than expanded.
  static void XMLCALL OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    auto* p = static_cast<PartParser*>(self);
    p->Stop(messages::PartWithDocumentType(p->name_));
  }

  zip_file_t* file_ = nullptr;
  XML_Parser parser_ = nullptr;
  XmlHandler* handler_ = nullptr;
  std::string name_;
  std::uint64_t size_ = 0;
  std::uint64_t read_ = 0;
  std::size_t depth_ = 0;
  bool done_ = false;
};

// Relationships of one part: id -> target, and the target of the first of a type.
class RelsHandler : public XmlHandler {
 public:
  void Start(std::string_view name, const XML_Char** attrs) override {
    if (name != "Relationship") return;
    const XML_Char* id = Attribute(attrs, "Id");
    const XML_Char* type = Attribute(attrs, "Type");
    const XML_Char* target = Attribute(attrs, "Target");
    if (id == nullptr || target == nullptr) return;
    if (wantedId == id) byId = target;
    targets.emplace_back(id, target);
    if (type != nullptr && byType.empty() && !wantedType.empty()) {
      const std::string_view t(type);
      if (t.size() >= wantedType.size() && t.substr(t.size() - wantedType.size()) == wantedType) byType = target;
    }
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}

  std::string wantedId, wantedType;
  std::string byId, byType;
  std::vector<std::pair<std::string, std::string>> targets;  // every relationship: id, target
};

// The relationship id of the workbook's first sheet, and whether the workbook asks to be
// computed anew when opened (its saved formula results are then not to be trusted).
class WorkbookHandler : public XmlHandler {
 public:
  void Start(std::string_view name, const XML_Char** attrs) override {
    if (name == "calcPr") {
      const XML_Char* full = Attribute(attrs, "fullCalcOnLoad");
      fullCalcOnLoad = full != nullptr && (std::string_view(full) == "1" || std::string_view(full) == "true");
    }
    if (name == "workbookPr") {
      const XML_Char* epoch = Attribute(attrs, "date1904");
      date1904 = epoch != nullptr && (std::string_view(epoch) == "1" || std::string_view(epoch) == "true");
    }
    if (name != "sheet") return;
    const XML_Char* id = Attribute(attrs, "id");
    if (id == nullptr) return;
    if (firstSheetId.empty()) firstSheetId = id;
    std::string sheetName = Attribute(attrs, "name") != nullptr ? Attribute(attrs, "name") : "";
    // Excel's names have at most 31 characters; a name past any a program makes is cut (a name of
    // a million characters would be repeated in every row of a text result).
    if (sheetName.size() > kMaxSheetName) {
      std::size_t cut = kMaxSheetName;
      while (cut > 0 && (static_cast<unsigned char>(sheetName[cut]) & 0xC0U) == 0x80U) --cut;
      sheetName.resize(cut);
    }
    const XML_Char* state = Attribute(attrs, "state");
    sheets.push_back({std::move(sheetName), state != nullptr && std::string_view(state) != "visible"});
    ids.emplace_back(id);
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}

  std::string firstSheetId;
  bool fullCalcOnLoad = false;
  bool date1904 = false;  // its dates count days from 1904-01-01, not from 1900
  std::vector<WorkbookSheet> sheets;
  std::vector<std::string> ids;  // each sheet's relationship id
};

// The shared strings, held as one block of text and the offsets of its strings.
class SharedStringsHandler : public XmlHandler {
 public:
  explicit SharedStringsHandler(std::uint64_t cap) : cap_(cap) {}

  void Start(std::string_view name, const XML_Char**) override {
    if (name == "si") {
      inItem_ = true;
      itemStart_ = text.size();
    } else if (name == "rPh") {
      ++phonetic_;
    } else if (name == "t" && inItem_ && phonetic_ == 0) {
      inText_ = true;
    }
  }
  void End(std::string_view name) override {
    if (name == "si") {
      inItem_ = false;
      if (text.find("_x", itemStart_) != std::string::npos) {
        std::string item = text.substr(itemStart_);
        Unescape(item);
        text.replace(itemStart_, std::string::npos, item);
      }
      offsets.push_back(text.size());
    } else if (name == "rPh") {
      --phonetic_;
    } else if (name == "t") {
      inText_ = false;
    }
  }
  void Text(std::string_view t) override {
    if (!inText_) return;
    if (text.size() + t.size() > cap_) {
      failure = messages::SharedStringsTooLarge(cap_);
      return;
    }
    text.append(t);
  }

  std::string_view At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : offsets[i - 1];
    return std::string_view(text).substr(begin, offsets[i] - begin);
  }

  std::string text;
  std::vector<std::size_t> offsets;  // end of each string in `text`

 private:
  std::uint64_t cap_;
  std::size_t itemStart_ = 0;
  bool inItem_ = false;
  bool inText_ = false;
  int phonetic_ = 0;
};

// The number formats of the cells' styles (styles.xml): the format id of each cell format, by
// its index (a cell's "s"), and the codes of the workbook's own formats. Capped, as a damaged
// part could name any number of them; a style past the cap is General.
class StylesHandler : public XmlHandler {
 public:
  void Start(std::string_view name, const XML_Char** attrs) override {
    if (name == "cellXfs") {
      inCellXfs_ = true;
    } else if (name == "xf" && inCellXfs_ && formatOfStyle.size() < kMaxStyles) {
      const XML_Char* id = Attribute(attrs, "numFmtId");
      const std::optional<std::size_t> n = id != nullptr ? NumberOf(id) : std::optional<std::size_t>(0);
      formatOfStyle.push_back(n && *n <= 0xFFFF ? static_cast<std::uint16_t>(*n) : 0);
    } else if (name == "numFmt" && codes.size() < kMaxStyles) {
      const XML_Char* id = Attribute(attrs, "numFmtId");
      const XML_Char* code = Attribute(attrs, "formatCode");
      const std::optional<std::size_t> n = id != nullptr ? NumberOf(id) : std::nullopt;
      // Excel's codes are at most 255 characters: a longer one is no format a program made, and
      // its cells show in General (a 7 MB code on every cell cost seconds).
      if (n && *n <= 0xFFFF && code != nullptr && std::strlen(code) <= kMaxFormatCode)
        codes[static_cast<std::uint16_t>(*n)] = code;
    }
  }
  void End(std::string_view name) override {
    if (name == "cellXfs") inCellXfs_ = false;
  }
  void Text(std::string_view) override {}

  static constexpr std::size_t kMaxStyles = 65536;
  std::vector<std::uint16_t> formatOfStyle;
  std::unordered_map<std::uint16_t, std::string> codes;

 private:
  bool inCellXfs_ = false;
};

enum class CellType { kNumber, kShared, kInline, kBoolean, kText };

// The worksheet: completed rows are queued for Next().
class SheetHandler : public XmlHandler {
 public:
  SheetHandler(const SharedStringsHandler& shared, const StylesHandler& styles, std::size_t maxCell,
               bool fullCalcOnLoad)
      : shared_(shared), styles_(styles), maxCell_(maxCell), fullCalcOnLoad_(fullCalcOnLoad) {}

  // Element names are told apart by their length first: most are of one letter.
  void Start(std::string_view name, const XML_Char** attrs) override {
    if (name.size() == 1) {
      if (name[0] == 'c') {
        StartCell(attrs);
      } else if (name[0] == 'v' && inCell_) {
        inValue_ = hasValue_ = true;
      } else if (name[0] == 't' && inInline_ && phonetic_ == 0) {
        inValue_ = true;
      } else if (name[0] == 'f' && inCell_) {
        hasFormula_ = true;
      }
    } else if (name == "row") {
      const XML_Char* r = Attribute(attrs, "r");
      rowNumber_ = r != nullptr ? NumberOf(r).value_or(0) : rowNumber_ + 1;
      if (rowNumber_ > kMaxRows) failure = messages::RowBeyondLast(rowNumber_);
      row_.clear();
      nextColumn_ = 1;
    } else if (name == "is") {
      if (inCell_) inInline_ = true;
    } else if (name == "rPh") {
      ++phonetic_;
    }
  }

  void End(std::string_view name) override {
    if (name.size() == 1) {
      if (name[0] == 'v' || name[0] == 't') {
        inValue_ = false;
      } else if (name[0] == 'c' && inCell_) {
        EndCell();
      }
    } else if (name == "is") {
      inInline_ = false;
    } else if (name == "rPh") {
      --phonetic_;
    } else if (name == "row") {
      if (!row_.empty()) rows.push_back({rowNumber_, std::move(row_)});
      row_.clear();
    }
  }

  void Text(std::string_view t) override {
    if (!inValue_) return;
    if (value_.size() + t.size() > maxCell_) {
      failure = messages::CellTooLarge(rowNumber_, maxCell_);
      return;
    }
    value_.append(t);
  }

  // A row as read: its cells that are not empty, with their columns, kinds and formats, in
  // the order written.
  struct Cell {
    std::size_t column = 0;
    std::string text;
    CellInfo info;
  };
  struct Row {
    std::size_t number = 0;
    std::vector<Cell> cells;
  };
  std::deque<Row> rows;

 private:
  void StartCell(const XML_Char** attrs) {
    inCell_ = true;
    hasFormula_ = false;
    hasValue_ = false;
    value_.clear();
    // The reference, type and style, in one pass over the attributes.
    const XML_Char* ref = nullptr;
    const XML_Char* type = nullptr;
    const XML_Char* style = nullptr;
    for (const XML_Char** a = attrs; *a != nullptr; a += 2) {
      const std::string_view key = Local(a[0]);
      if (key.size() != 1) continue;
      if (key[0] == 'r') ref = a[1];
      if (key[0] == 't') type = a[1];
      if (key[0] == 's') style = a[1];
    }
    column_ = ref != nullptr ? ColumnOf(ref) : nextColumn_;
    if (column_ == 0) column_ = nextColumn_;
    if (column_ > kMaxColumns) failure = messages::CellBeyondLastColumn(rowNumber_);
    const std::string_view t = type != nullptr ? type : "n";
    type_ = t == "s"           ? CellType::kShared
            : t == "inlineStr" ? CellType::kInline
            : t == "b"         ? CellType::kBoolean
            : t == "n"         ? CellType::kNumber
                               : CellType::kText;
    const std::optional<std::size_t> xf = style != nullptr ? NumberOf(style) : std::nullopt;
    format_ = xf && *xf < styles_.formatOfStyle.size() ? styles_.formatOfStyle[*xf] : 0;
  }

  // A column given again replaces its cell (Next() keeps the last one too): a row holds at
  // most about one cell per column however often a file repeats one.
  void AddCell(Cell cell) {
    if (!row_.empty() && row_.back().column == cell.column) {
      row_.back() = std::move(cell);
      return;
    }
    row_.push_back(std::move(cell));
    if (row_.size() <= 2 * kMaxColumns) return;
    std::stable_sort(row_.begin(), row_.end(), [](const Cell& a, const Cell& b) { return a.column < b.column; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < row_.size(); ++i) {
      if (i + 1 < row_.size() && row_[i + 1].column == row_[i].column) continue;
      if (kept != i) row_[kept] = std::move(row_[i]);
      ++kept;
    }
    row_.resize(kept);
  }

  void EndCell() {
    inCell_ = false;
    std::string text;
    if (hasFormula_ && (!hasValue_ || fullCalcOnLoad_)) {
      // Not computed, or to be computed anew: the saved value (a writer's 0) is no result.
      value_.clear();
      AddCell({column_, CellReference(column_, rowNumber_), {CellKind::kUnsavedFormula, 0}});
      nextColumn_ = column_ + 1;
      return;
    }
    switch (type_) {
      case CellType::kShared: {
        const std::optional<std::size_t> i = NumberOf(value_);
        if (!i || *i >= shared_.offsets.size()) {
          failure = messages::NoSuchSharedString(rowNumber_);
          return;
        }
        text = shared_.At(*i);
        break;
      }
      case CellType::kBoolean:
        text = value_.empty() ? "" : (value_ == "0" ? "FALSE" : "TRUE");
        break;
      case CellType::kNumber:
        text = xlsx::ExcelNumber(std::move(value_));
        break;
      case CellType::kInline:
      case CellType::kText:
        Unescape(value_);
        text = std::move(value_);
        break;
    }
    value_.clear();
    if (!text.empty()) {
      const CellKind kind = type_ == CellType::kNumber    ? CellKind::kNumber
                            : type_ == CellType::kBoolean ? CellKind::kBoolean
                                                          : CellKind::kText;
      AddCell({column_, std::move(text), {kind, format_}});
    }
    nextColumn_ = column_ + 1;
  }

  const SharedStringsHandler& shared_;
  const StylesHandler& styles_;
  std::size_t maxCell_;
  bool fullCalcOnLoad_;
  bool hasFormula_ = false;
  bool hasValue_ = false;
  std::vector<Cell> row_;
  std::uint16_t format_ = 0;
  std::string value_;
  std::size_t rowNumber_ = 0;
  std::size_t column_ = 1;
  std::size_t nextColumn_ = 1;
  CellType type_ = CellType::kNumber;
  bool inCell_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
  int phonetic_ = 0;
};

}  // namespace

struct XlsxReader::Impl {
  ~Impl() {
    sheet.reset();
    if (zip != nullptr) zip_discard(zip);
  }

  bool Fail(const std::string& why) {
    reason = why;
    error = path + "：" + why;
    return false;
  }

  bool OpenArchive() {
    // A folder or a pipe is no damaged workbook: say what it is (a pipe is not opened, which
    // could wait for ever for a writer).
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      return Fail(S_ISDIR(st.st_mode) ? messages::kFolderNotWorkbook : messages::kWorkbookNotRegular);
    int code = 0;
    zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (zip != nullptr) return true;
    switch (code) {
      case ZIP_ER_NOENT:
        return Fail(messages::kNoSuchFile);
      case ZIP_ER_OPEN:
      case ZIP_ER_READ:
        return Fail(messages::kCannotReadFile);
      case ZIP_ER_NOZIP:
        return Fail(messages::kNotXlsx);
      default: {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        const std::string detail = zip_error_strerror(&e);
        zip_error_fini(&e);
        return Fail(messages::DamagedArchive(detail));
      }
    }
  }

  // Parses a small part whole; `optional` parts may be missing.
  bool ParsePart(const std::string& name, XmlHandler& handler, std::uint64_t cap, bool optional = false) {
    PartParser parser;
    std::string why;
    if (!parser.Open(zip, name, cap, limits, why, optional)) return why.empty() ? true : Fail(why);
    parser.SetHandler(&handler);
    return parser.Run(why) || Fail(why);
  }

  bool FindParts(std::string& workbook, std::string& sheetPart, std::string& sharedPart, std::string& stylesPart,
                 bool& fullCalcOnLoad) {
    RelsHandler root;
    root.wantedType = "/officeDocument";
    if (!ParsePart("_rels/.rels", root, kMaxSmallPart, true)) return false;
    workbook = root.byType.empty() ? "xl/workbook.xml" : Resolve("", root.byType);
    WorkbookHandler book;
    if (zip_name_locate(zip, workbook.c_str(), 0) < 0) return Fail(messages::kNoWorkbookPart);
    if (!ParsePart(workbook, book, kMaxSmallPart)) return false;
    if (book.firstSheetId.empty()) return Fail(messages::kNoWorksheets);
    fullCalcOnLoad = book.fullCalcOnLoad;
    date1904 = book.date1904;
    RelsHandler rels;
    rels.wantedId = book.firstSheetId;
    rels.wantedType = "/sharedStrings";
    const std::string folder = FolderOf(workbook);
    const std::string relsName = folder + "_rels/" + workbook.substr(folder.size()) + ".rels";
    if (!ParsePart(relsName, rels, kMaxSmallPart)) return false;
    if (rels.byId.empty()) return Fail(messages::kNoFirstSheet);
    sheetPart = Resolve(folder, rels.byId);
    sharedPart = rels.byType.empty() ? std::string() : Resolve(folder, rels.byType);
    RelsHandler styles;
    styles.wantedType = "/styles";
    if (!ParsePart(relsName, styles, kMaxSmallPart)) return false;
    stylesPart = styles.byType.empty() ? std::string() : Resolve(folder, styles.byType);
    // The other worksheets, read when selected. A sheet the workbook lists without naming its
    // part is damage, not a sheet without a table: the workbook is refused.
    sheets = std::move(book.sheets);
    parts.clear();
    for (std::size_t i = 0; i < book.ids.size(); ++i) {
      const std::string& id = book.ids[i];
      const auto at =
          std::find_if(rels.targets.begin(), rels.targets.end(), [&](const auto& t) { return t.first == id; });
      if (at == rels.targets.end()) return Fail(messages::DamagedSheet(i < sheets.size() ? sheets[i].name : id));
      parts.push_back(Resolve(folder, at->second));
    }
    return true;
  }

  // Starts reading the worksheet part `part` from its first row.
  bool OpenSheet(const std::string& part) {
    sheet.reset();
    handler = std::make_unique<SheetHandler>(*shared, *styles, limits.maxCellBytes, fullCalcOnLoad);
    line = 0;
    width = 0;
    error.clear();
    if (part.empty()) return Fail(messages::kNoSheetPart);
    auto parser = std::make_unique<PartParser>();
    std::string why;
    if (!parser->Open(zip, part, limits.maxPartSize, limits, why)) return Fail(why);
    sheet = std::move(parser);
    sheet->SetHandler(handler.get());
    return true;
  }

  bool Open() {
    if (!OpenArchive()) return false;
    std::string workbook, sheetPart, sharedPart, stylesPart;
    if (!FindParts(workbook, sheetPart, sharedPart, stylesPart, fullCalcOnLoad)) return false;
    // The styles only lend the cells their number formats: a workbook without them is read all the same.
    styles = std::make_unique<StylesHandler>();
    if (!stylesPart.empty() && !ParsePart(stylesPart, *styles, kMaxSmallPart, true)) return false;
    shared = std::make_unique<SharedStringsHandler>(limits.maxSharedStrings);
    // A workbook without strings may name the part and leave it out.
    if (!sharedPart.empty() && !ParsePart(sharedPart, *shared, limits.maxPartSize, true)) return false;
    return OpenSheet(sheetPart);
  }

  std::string path;
  XlsxLimits limits;
  bool fullCalcOnLoad = false;
  std::vector<WorkbookSheet> sheets;
  std::vector<std::string> parts;  // each sheet's part; empty when the workbook names none
  zip_t* zip = nullptr;
  std::unique_ptr<SharedStringsHandler> shared;
  std::unique_ptr<StylesHandler> styles;
  std::unique_ptr<SheetHandler> handler;
  std::unique_ptr<PartParser> sheet;
  std::string error;
  std::string reason;  // the error without the file's name
  bool date1904 = false;
  std::size_t line = 0;
  std::size_t width = 0;        // the columns of the first row
  std::vector<CellInfo> types;  // of the row Next() gave last
};

XlsxReader::XlsxReader() : impl_(std::make_unique<Impl>()) {}
XlsxReader::~XlsxReader() = default;

bool XlsxReader::Open(const std::string& path, const XlsxLimits& limits) {
  impl_ = std::make_unique<Impl>();
  impl_->path = path;
  impl_->limits = limits;
  if (impl_->Open()) return true;
  impl_->sheet.reset();
  return false;
}

bool XlsxReader::Next(std::vector<std::string>& row) {
  Impl& d = *impl_;
  if (d.sheet == nullptr || !d.error.empty()) return false;
  while (d.handler->rows.empty() && !d.sheet->Done()) {
    std::string why;
    if (!d.sheet->Step(why)) {
      d.Fail(why);
      return false;
    }
  }
  if (d.handler->rows.empty()) return false;
  SheetHandler::Row& next = d.handler->rows.front();
  d.line = next.number;
  // A cell's place is its column up to the first row's last; cells beyond follow it in their
  // order without the empty columns between (a cell at XFD costs one cell, not 16,384). A
  // column given twice keeps its last cell.
  std::stable_sort(next.cells.begin(), next.cells.end(),
                   [](const auto& a, const auto& b) { return a.column < b.column; });
  row.clear();
  // The header may lie below a title of one merged cell: a row it may lie in that ends by
  // column Z or whose cells fill most of its columns (a header, a group caption) is placed by
  // its columns, and the widest such row sets the width.
  constexpr std::size_t kCaptionColumns = 26;
  const std::size_t last = next.cells.empty() ? 0 : next.cells.back().column;
  const bool dense = d.line <= kHeaderSearchRows && last <= std::max(kCaptionColumns, 2 * next.cells.size());
  const std::size_t width = dense ? std::max(d.width, last) : d.width;
  std::size_t lastBeyond = 0;
  d.types.clear();
  for (SheetHandler::Cell& cell : next.cells) {
    if (cell.column > width && width != 0 && cell.column != lastBeyond) {
      if (row.size() < width) row.resize(width);
      row.emplace_back();
      lastBeyond = cell.column;
    }
    const std::size_t place = cell.column <= width || width == 0 ? cell.column - 1 : row.size() - 1;
    if (row.size() <= place) row.resize(place + 1);
    row[place] = std::move(cell.text);
    // A column given twice keeps its last cell, and that cell's kind.
    if (d.types.size() <= place && cell.info.kind == CellKind::kText && cell.info.format == 0) continue;
    if (d.types.size() <= place) d.types.resize(place + 1);
    d.types[place] = cell.info;
  }
  if (d.width == 0 || dense) d.width = std::max(d.width, row.size());
  d.handler->rows.pop_front();
  return true;
}

bool XlsxReader::CountRows(std::uint64_t& rows) {
  Impl& d = *impl_;
  if (d.sheet == nullptr || !d.error.empty()) return false;
  std::string why;
  rows = 0;
  if (!d.sheet->CountRaw("row", rows, why)) return d.Fail(why);
  return true;
}

const std::vector<WorkbookSheet>& XlsxReader::Sheets() const { return impl_->sheets; }

bool XlsxReader::Select(std::size_t index) {
  Impl& d = *impl_;
  if (d.zip == nullptr || d.shared == nullptr || index >= d.parts.size()) return false;
  return d.OpenSheet(d.parts[index]);
}

const std::vector<CellInfo>& XlsxReader::Types() const { return impl_->types; }

std::string_view XlsxReader::FormatCode(std::uint16_t id) const {
  if (!impl_->styles) return {};
  const auto found = impl_->styles->codes.find(id);
  return found != impl_->styles->codes.end() ? std::string_view(found->second) : std::string_view();
}

const std::string& XlsxReader::Error() const { return impl_->error; }
const std::string& XlsxReader::Reason() const { return impl_->reason; }
bool XlsxReader::Date1904() const { return impl_->date1904; }
std::size_t XlsxReader::Line() const { return impl_->line; }
std::uint64_t XlsxReader::BytesRead() const { return impl_->sheet ? impl_->sheet->Read() : 0; }
std::uint64_t XlsxReader::BytesTotal() const { return impl_->sheet ? impl_->sheet->Size() : 0; }

}  // namespace quorvex::sheets
