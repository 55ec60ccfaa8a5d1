#include "sheets/workbook/xlsx_parts.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/utf8.h"
#include "tax/amount.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace quorvex::sheets::xlsx {
namespace {

constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelationships[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr double kMinWidth = 6;
constexpr double kMaxWidth = 80;

// A column's width as Excel stores it, for `chars` characters of its default font: whole
// pixels of seven-pixel digits and five of padding, in 256ths of a character.
double StoredWidth(double chars) {
  constexpr double kDigit = 7, kPadding = 5;
  const double pixels = std::floor(chars * kDigit + 0.5) + kPadding;
  return std::floor(pixels / kDigit * 256) / 256;
}

bool Wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether `text` at `at` reads like the escape of a character ("_x0041_").
bool LooksEscaped(std::string_view text, std::size_t at) {
  return text.size() - at >= 7 && text[at + 1] == 'x' && text[at + 6] == '_' && IsHex(text[at + 2]) &&
         IsHex(text[at + 3]) && IsHex(text[at + 4]) && IsHex(text[at + 5]);
}

// Characters XML 1.0 cannot carry: the C0 controls but tab and line feed (a reader turns a
// carriage return into a line feed), U+FFFE and U+FFFF. A workbook stores them as "_xHHHH_"
// escapes.
bool NotXml(char32_t c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0xFFFE || c == 0xFFFF; }

void AppendEscape(std::string& out, char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "_x";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
  out += '_';
}

}  // namespace

std::string CellText(std::string_view text, std::size_t& chars) {
  chars = 0;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t c = DecodeUtf8(text, i);
    if (c == 0xFFFD && !(i - start == 3 && text.compare(start, 3, "\xEF\xBF\xBD") == 0)) {
      AppendUtf8(out, c);
    } else if (NotXml(c)) {
      AppendEscape(out, c);
    } else {
      if (c == '_' && LooksEscaped(text, start)) out += "_x005F";
      out.append(text.substr(start, i - start));
    }
    chars += c >= 0x10000 ? 2 : 1;  // Excel counts UTF-16 units
  }
  return out;
}

void AppendXml(std::string& out, std::string_view text, bool attribute) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        if (attribute) {
          out += "&quot;";
          break;
        }
        [[fallthrough]];
      default:
        out += c;
    }
  }
}

std::string ExcelNumber(std::string text) {
  int significant = 0;
  bool leading = true;
  for (char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (c != '0') leading = false;
    if (!leading) ++significant;
  }
  if (significant <= 15) return text;
  const std::optional<double> value = tax::ParseAmount(text);
  return value ? tax::FormatGeneral(*value) : text;
}

void AppendNumber(std::string& out, double value) {
  char digits[32];
  const double size = std::fabs(value);
  const bool fixed = size < 1e16 && (size >= 1e-6 || value == 0);
  const auto end = fixed ? std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr
                         : std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

std::string ColumnName(std::size_t column) {
  std::string name;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

std::string ContentTypes(std::size_t sheets) {
  std::string types = kXmlDeclaration;
  types.append(
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>");
  for (std::size_t i = 1; i <= sheets; ++i) {
    types.append("<Override PartName=\"/xl/worksheets/sheet").append(std::to_string(i)).append(".xml\" ContentType=\"");
    types.append("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>");
  }
  types.append("</Types>");
  return types;
}

std::string RootLinks() {
  std::string root = kXmlDeclaration;
  root.append("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
  root.append("<Relationship Id=\"rId1\" Type=\"").append(kRelationships);
  root.append("/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  return root;
}

std::string WorkbookPart(const std::vector<std::string>& sheetNames, bool date1904) {
  std::string book = kXmlDeclaration;
  book.append("<workbook xmlns=\"").append(kMainNamespace).append("\" xmlns:r=\"").append(kRelationships);
  book.append(date1904 ? "\"><workbookPr date1904=\"1\"/>" : "\">");
  book.append("<bookViews><workbookView/></bookViews><sheets>");
  for (std::size_t i = 0; i < sheetNames.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    book.append("<sheet name=\"");
    AppendXml(book, sheetNames[i], true);
    book.append("\" sheetId=\"").append(n).append("\" r:id=\"rId").append(n).append("\"/>");
  }
  book.append("</sheets></workbook>");
  return book;
}

// The worksheets are rId1 ... rIdN, the styles rIdN+1.
std::string WorkbookLinks(std::size_t sheets) {
  std::string links = kXmlDeclaration;
  links.append("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">");
  for (std::size_t i = 1; i <= sheets; ++i) {
    const std::string n = std::to_string(i);
    links.append("<Relationship Id=\"rId").append(n).append("\" Type=\"").append(kRelationships);
    links.append("/worksheet\" Target=\"worksheets/sheet").append(n).append(".xml\"/>");
  }
  links.append("<Relationship Id=\"rId").append(std::to_string(sheets + 1)).append("\" Type=\"");
  links.append(kRelationships).append("/styles\" Target=\"styles.xml\"/></Relationships>");
  return links;
}

std::string StylesPart(const NumberStyles& styles) {
  std::string x = kXmlDeclaration;
  x.append("<styleSheet xmlns=\"").append(kMainNamespace).append("\">");
  const auto custom = static_cast<std::size_t>(
      std::count_if(styles.begin(), styles.end(), [](const auto& s) { return !s.second.empty(); }));
  if (custom > 0) {
    x.append("<numFmts count=\"").append(std::to_string(custom)).append("\">");
    for (const auto& [id, code] : styles) {
      if (code.empty()) continue;
      x.append("<numFmt numFmtId=\"").append(std::to_string(id)).append("\" formatCode=\"");
      AppendXml(x, code, true);
      x.append("\"/>");
    }
    x.append("</numFmts>");
  }
  x.append(
      "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"
      "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>");
  x.append("<cellXfs count=\"").append(std::to_string(styles.size() + 2)).append("\">");
  x.append(
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>");
  for (const auto& style : styles) {
    x.append("<xf numFmtId=\"").append(std::to_string(style.first));
    x.append("\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>");
  }
  x.append(
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
      "<dxfs count=\"0\"/><tableStyles count=\"0\"/></styleSheet>");
  return x;
}

std::string SheetHead(const SheetLook& sheet) {
  std::string x = kXmlDeclaration;
  x.append("<worksheet xmlns=\"").append(kMainNamespace).append("\" xmlns:r=\"").append(kRelationships).append("\">");
  x.append("<dimension ref=\"A1");
  if (sheet.lastRow > 0 && (sheet.lastRow > 1 || sheet.lastColumn > 1))
    x.append(":").append(ColumnName(sheet.lastColumn - 1)).append(std::to_string(sheet.lastRow));
  x.append("\"/><sheetViews><sheetView ")
      .append(sheet.first ? "tabSelected=\"1\" " : "")
      .append("workbookViewId=\"0\">");
  const std::string split = std::to_string(sheet.headerRow + 1);
  x.append("<pane ySplit=\"").append(split).append("\" topLeftCell=\"A").append(std::to_string(sheet.headerRow + 2));
  x.append("\" activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView></sheetViews>");
  x.append("<sheetFormatPr defaultRowHeight=\"15\"/>");
  if (!sheet.widths.empty()) {
    x.append("<cols>");
    for (std::size_t col = 0; col < sheet.widths.size(); ++col) {
      const double chars = std::clamp(static_cast<double>(sheet.widths[col]) + 2, kMinWidth, kMaxWidth);
      const std::string n = std::to_string(col + 1);
      x.append("<col min=\"").append(n).append("\" max=\"").append(n).append("\" width=\"");
      AppendNumber(x, StoredWidth(chars));
      x.append("\" customWidth=\"1\"/>");
    }
    x.append("</cols>");
  }
  x.append("<sheetData>");
  return x;
}

std::string SheetTail(const std::vector<ListChoices>& lists) {
  std::string tail = "</sheetData>";
  if (!lists.empty()) {
    tail.append("<dataValidations count=\"").append(std::to_string(lists.size())).append("\">");
    for (const ListChoices& c : lists) {
      const std::string letters = ColumnName(c.column);
      tail.append(
              "<dataValidation type=\"list\" errorStyle=\"warning\" allowBlank=\"1\" showInputMessage=\"1\" "
              "showErrorMessage=\"1\" errorTitle=\"")
          .append(messages::kNotInTheList)
          .append("\" error=\"");
      AppendXml(tail, c.advice, true);
      tail.append("\" sqref=\"").append(letters).append("2:").append(letters).append(std::to_string(c.lastRow));
      tail.append("\"><formula1>");
      AppendXml(tail, c.list);
      tail.append("</formula1></dataValidation>");
    }
    tail.append("</dataValidations>");
  }
  tail.append(
      "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
      "</worksheet>");
  return tail;
}

}  // namespace quorvex::sheets::xlsx

namespace quorvex::sheets {

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) width += xlsx::Wide(DecodeUtf8(text, i)) ? 2 : 1;
  return width;
}

}  // namespace quorvex::sheets
