// Prints the DIAGNOSTICS section of quorvex-calc(1) from the message books themselves, so that
// the manual lists the very texts the program writes. Run at build time; see man/CMakeLists.txt.
#include <cerrno>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/cli_messages.h"
#include "sheets/sheet_messages.h"
#include "sheets/workbook/xlsx_writer.h"

namespace {

namespace cli = quorvex::cli::messages;
namespace sheets = quorvex::sheets::messages;

// Placeholders, in italics.
const std::string kFile = "\\fIfile\\fP";
const std::string kReason = "\\fIreason\\fP";
const std::string kName = "\\fIname\\fP";
const std::string kOption = "\\fIoption\\fP";

// A message as roff text: backslashes and a leading dot or quote kept literal, our own
// placeholders' font changes kept.
std::string Roff(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 3) == "\\fI" || text.substr(i, 3) == "\\fP") {
      out.append(text.substr(i, 3));
      i += 2;
    } else if (text[i] == '\\') {
      out += "\\e";
    } else if (text[i] == '-') {
      out += "\\-";
    } else {
      out += text[i];
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

void Entry(std::initializer_list<std::string_view> messages, std::string_view meaning) {
  bool first = true;
  for (std::string_view m : messages) {
    std::cout << (first ? ".TP\n" : ".TQ\n") << ".B " << Roff(m) << "\n";
    first = false;
  }
  std::cout << meaning << "\n";
}

}  // namespace

int main() {
  using quorvex::sheets::XlsxWriter;
  std::cout << ".SH DIAGNOSTICS\n"
               "Every message is Chinese, on standard error after \\fBquorvex\\-calc:\\fP (in the window's\n"
               "批量计算, in a message box). The system's own words for a failed read or write follow its\n"
               "Chinese reason in parentheses. Numbers below are examples.\n"
               ".SS Usage (exit status 2)\n";
  Entry({cli::UnknownOption(kOption), cli::NeedsValue(kOption)}, "An option that does not exist, or lacks its value.");
  Entry({cli::UnknownCategory(kName)}, "No category has that key, list text or payroll name.");
  Entry({cli::kMissingCategory, cli::kMissingAmount, cli::kMissingAnnualPay, cli::kOneAmountOnly},
        "The single or plan command lacks its category or amount, or was given two amounts.");
  Entry({cli::kOneInputOnly, cli::UnknownFormat(kName), cli::UnknownEncoding(kName), cli::kBadThreadCount},
        "A batch argument that cannot be taken.");
  Entry({sheets::kWorkbookFromStandardInput, sheets::kWorkbookToStandardOutput},
        "An Excel workbook is read from a file and written to a file.");
  Entry({cli::kTemplateTakesOneFile}, "template writes one file.");
  Entry({sheets::kBadThreshold, sheets::kBadMonths, sheets::kUnknownCalc},
        "A threshold, month count or kind that the category's page does not offer.");
  std::cout << ".SS Files (exit status 2; the old result is kept)\n";
  Entry({sheets::CannotRead(kFile, kReason), sheets::CannotWrite(kFile, kReason)},
        "The file could not be read or written. The reason is the system's, such as\n"
        ".BR \"" +
            Roff(sheets::SystemText(ENOENT)) +
            "\" ,\n"
            "or one of the following.");
  Entry({sheets::kHeldOpen, sheets::kReadOnly, sheets::kHardLinks, sheets::kWorkbookToRegularFile},
        "A result that may not replace its target.");
  Entry({sheets::ScratchFile(sheets::ScratchStep::kWrite, ENOSPC), sheets::CannotWriteWorkbook(ENOSPC),
         sheets::DamagedWhenReadBack(kReason), sheets::IncompleteWhenReadBack(20000, 19999)},
        "A result workbook that could not be written whole; it is read back before it replaces the old file.");
  std::cout << ".SS Sheets (exit status 2, after the file's name and a workbook's sheet)\n";
  Entry({sheets::kNoHeaderRow, sheets::MissingColumn("category"), sheets::MissingColumn("amount"),
         sheets::NoHeaderInFirstRows(20)},
        "The header row is missing, or lacks a column the calculation needs; the first row's texts follow\n"
        "(" +
            Roff(sheets::FirstRowReads({"姓名", "工资"})) + ").");
  Entry({sheets::NoSuchSheet(kFile, kName, {"一月", "二月"}), sheets::SheetOfNoWorkbook(kName)},
        ".B \\-\\-sheet\nnames no worksheet of the input.");
  Entry({sheets::NotUtf8(1234), sheets::NotGb18030(1234), sheets::NotUtf16(1234),
         sheets::CannotConvert("GB18030", kReason)},
        "The sheet's text is not in the encoding it was read in.");
  Entry({sheets::QuoteNeverClosed(12), sheets::RecordTooLong(12, 1), sheets::HeaderTooLong(1),
         sheets::HeaderTooWide(20000, 16384), sheets::TooManyFields(16384)},
        "The sheet is damaged or beyond the limits of a record.");
  Entry({sheets::kUnreadableWorkbook, sheets::kOpenDocument, sheets::kEncrypted, sheets::kSaveAs,
         sheets::DamagedSheet(kName), sheets::DamagedCellInRow(12)},
        "A workbook that cannot be read: damaged, of another program, or locked by a password.");
  Entry({sheets::TooManyRows(XlsxWriter::kMaxRows), sheets::TooManyColumns(16384),
         sheets::CellTooLong(12, 3, XlsxWriter::kMaxCellChars)},
        "The result does not fit in an Excel worksheet.");
  std::cout << ".SS Records (in the record's message field; exit status 1)\n"
               "A record's own messages are the page's texts, such as\n"
               ".BR 无效的金额，请重新输入 ,\n"
               "and these:\n";
  Entry({sheets::kUnknownCategory, sheets::kUnknownCalc}, "The category or kind of the record is unknown.");
  Entry({std::string("金额（C5）") + sheets::kUnsavedFormula},
        "A workbook's cell that the calculation reads holds a formula whose result was never saved.");
  Entry({sheets::TextAfterQuote(12), sheets::MoreFieldsThanHeader(12)}, "A CSV record that cannot be read.");
  Entry({sheets::NotARecord(12, sheets::kJsonLeadingZero), sheets::NotARecord(12, sheets::FieldTwice("amount"))},
        "A JSON Lines line that is no record; the reason is one of:");
  for (std::string_view why :
       {sheets::kJsonNotAnObject, sheets::kJsonKeyNotString, sheets::kJsonColonMissing, sheets::kJsonCommaMissing,
        sheets::kJsonTextAfter, sheets::kJsonNested, sheets::kJsonValueMissing, sheets::kJsonNumberMissing,
        sheets::kJsonLeadingZero, sheets::kJsonNoFraction, sheets::kJsonNoExponent, sheets::kJsonShortEscape,
        sheets::kJsonUnknownEscape, sheets::kJsonLoneSurrogate, sheets::kJsonControlCharacter,
        sheets::kJsonUnclosedString, sheets::kJsonTooManyFields})
    std::cout << ".br\n" << Roff(why) << "\n";
  return 0;
}
