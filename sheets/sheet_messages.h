// Every message of the sheet library that tells why a sheet was not computed or a file not
// read or written: one place, in Chinese, for the window's boxes and quorvex-calc alike. A
// record's own messages (the page's texts) live with the pages' rules in forms/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/system_text.h"

namespace quorvex::sheets::messages {

// The system's reason for error number `error`, in Chinese where it is a common one, with
// the system's own words after it: "没有这个文件或文件夹（No such file or directory）".
using forms::SystemText;

// "无法读取 NAME：REASON" and "无法写入 NAME：REASON".
std::string CannotRead(std::string_view name, std::string_view reason);
std::string CannotWrite(std::string_view name, std::string_view reason);

// Names of the standard streams in messages.
inline constexpr char kStandardInput[] = "标准输入";
inline constexpr char kStandardOutput[] = "标准输出";

// Why a result may not replace its target.
inline constexpr char kHeldOpen[] = "文件正被其他程序（Excel、WPS 等）打开，请先关闭它";
inline constexpr char kReadOnly[] = "文件是只读的，不能替换";
inline constexpr char kHardLinks[] = "文件还有别的名字（硬链接），替换后那些名字仍是旧内容";
inline constexpr char kWorkbookToRegularFile[] = "Excel 工作簿只能写入普通文件";
// A result named as a kind of file that is never written (.xls, .xlsm).
inline constexpr char kResultFormats[] = "结果文件须是 .xlsx、.csv 或 .jsonl 文件";

// A worksheet picked by name (--sheet): there is none of that name, or the input has no sheets.
std::string NoSuchSheet(std::string_view book, std::string_view name, const std::vector<std::string>& names);
std::string SheetOfNoWorkbook(std::string_view name);
// A workbook's worksheets left out: hidden, or without a header row.
std::string HiddenSheet(std::string_view name);
std::string SheetWithoutHeader(std::string_view name);
inline constexpr char kNothingWritten[] = "没有写入任何内容";

// Why a sheet's text is refused (told after the sheet's name).
inline constexpr char kNoHeaderRow[] = "表格没有表头行";
std::string MissingColumn(std::string_view key);
// No row of the first `rows` names a category and an amount column.
std::string NoHeaderInFirstRows(std::uint64_t rows);
// What the first row of a sheet without a header holds, said after why: "；第一行是：姓名、工资".
std::string FirstRowReads(const std::vector<std::string>& cells);
std::string HeaderTooLong(std::size_t mebibytes);
std::string HeaderTooWide(std::size_t columns, std::size_t most);
std::string RecordTooLong(std::uint64_t line, std::size_t mebibytes);
std::string QuoteNeverClosed(std::uint64_t line);
std::string TooManyFields(std::size_t most);
std::string NotUtf8(std::uint64_t byte);
std::string NotGb18030(std::uint64_t byte);
std::string CannotConvert(std::string_view encoding, std::string_view reason);

// "第N行": a sheet's row or a text's line, as every message names it.
std::string Row(std::uint64_t line);

// A record that cannot be read (told in its 提示 column).
std::string NotARecord(std::uint64_t line, std::string_view why);  // "第N行不是有效的记录：WHY"
std::string FieldTwice(std::string_view key);                      // "字段 amount 出现两次"
std::string TextAfterQuote(std::uint64_t line);
std::string MoreFieldsThanHeader(std::uint64_t line);
// Why a JSON Lines line is no record (said after NotARecord's colon).
inline constexpr char kJsonNotAnObject[] = "记录须是一个 JSON 对象（{…}）";
inline constexpr char kJsonKeyNotString[] = "键须是带引号的字符串";
inline constexpr char kJsonColonMissing[] = "键后面缺少冒号";
inline constexpr char kJsonCommaMissing[] = "缺少逗号或右花括号";
inline constexpr char kJsonTextAfter[] = "对象后面还有多余的文字";
inline constexpr char kJsonNested[] = "记录中不能有嵌套的对象或数组";
inline constexpr char kJsonValueMissing[] = "缺少值";
inline constexpr char kJsonNumberMissing[] = "缺少数字";
inline constexpr char kJsonLeadingZero[] = "数字不能以 0 开头";
inline constexpr char kJsonNoFraction[] = "小数点后缺少数字";
inline constexpr char kJsonNoExponent[] = "指数中缺少数字";
inline constexpr char kJsonShortEscape[] = "\\u 转义须有四位十六进制数字";
inline constexpr char kJsonUnknownEscape[] = "字符串中有未知的转义";
inline constexpr char kJsonLoneSurrogate[] = "\\u 转义中有不成对的代理项";
inline constexpr char kJsonControlCharacter[] = "字符串中有控制字符";
inline constexpr char kJsonUnclosedString[] = "字符串没有结束引号";
inline constexpr char kJsonTooManyFields[] = "字段多于16384个";
// A workbook's cell whose formula has no saved result, said after its column and cell.
inline constexpr char kUnsavedFormula[] = "是公式，没有保存计算结果：请在 Excel/WPS 中打开并保存后再计算";
// A request's field no page offers.
inline constexpr char kUnknownCategory[] = "未知的收入类型";
inline constexpr char kUnknownCalc[] = "该收入类型没有这种计算方式";
// kUnknownCalc with the kinds the category offers: "…，可填：正算、由税后收入反算".
std::string UnknownCalcOffering(const std::vector<std::string_view>& kinds);
inline constexpr char kBadThreshold[] = "起征点只能是3500或4800";
inline constexpr char kBadMonths[] = "承包月份只能是1到12";

// Workbooks: what cannot be read, written or read back.
inline constexpr char kSaveAs[] = "请在 Excel/WPS 中另存为 .xlsx 或 CSV 后再计算";
inline constexpr char kOpenDocument[] = "是 OpenDocument 表格（.ods），无法读取";
inline constexpr char kEncrypted[] = "设有打开密码（已加密），无法读取";
inline constexpr char kUnreadableWorkbook[] = "不是能读取的 Excel 工作簿（可能是其他程序的格式，或已损坏）";
inline constexpr char kWorkbookFromStandardInput[] = "Excel 工作簿只能从文件读取，不能从标准输入读取";
inline constexpr char kWorkbookToStandardOutput[] = "Excel 工作簿只能写入文件，不能写到标准输出";
std::string DamagedSheet(std::string_view sheet);  // "已损坏：读不出工作表SHEET"
std::string DamagedCellInRow(std::uint64_t row);   // "已损坏：第N行有读不出的单元格"
std::string CellTooLong(std::uint64_t row, std::size_t column, std::size_t most);
std::string TooManyRows(std::size_t most);
std::string TooManyColumns(std::size_t most);
std::string CannotMakeSheet(std::string_view name);
inline constexpr char kCannotMakeWorkbook[] = "无法创建工作簿";
// The result workbook's scratch file, which could not be made, written or read back:
// "无法写入工作簿的临时文件（REASON）".
enum class ScratchStep { kCreate, kWrite, kRead };
std::string ScratchFile(ScratchStep step, int error);
std::string CannotWriteWorkbook(int error);
std::string DamagedWhenReadBack(std::string_view reason);
std::string IncompleteWhenReadBack(std::uint64_t written, std::uint64_t read);
// A copy of a sheet that cannot be read twice (a pipe), kept in a folder.
std::string CannotKeepCopy(std::string_view folder, std::string_view reason);
std::string CannotReadCopy(std::string_view reason);
std::string CannotReadAgain(std::string_view reason);
std::string NotUtf16(std::uint64_t byte);

// Why an .xlsx workbook cannot be read (after its file's name).
inline constexpr char kFolderNotWorkbook[] = "是文件夹，不是 Excel 工作簿";
inline constexpr char kWorkbookNotRegular[] = "不是普通文件，Excel 工作簿须从普通文件读取";
inline constexpr char kNoSuchFile[] = "文件不存在";
inline constexpr char kCannotReadFile[] = "无法读取该文件";
inline constexpr char kNotXlsx[] = "不是 Excel 工作簿（.xlsx），或文件已损坏";
inline constexpr char kNoWorkbookPart[] = "不是 Excel 工作簿（.xlsx）：其中没有工作簿";
inline constexpr char kNoWorksheets[] = "工作簿中没有工作表";
inline constexpr char kNoFirstSheet[] = "已损坏：找不到第一张工作表";
inline constexpr char kNoSheetPart[] = "已损坏：找不到工作表";
inline constexpr char kOutOfMemory[] = "无法读取：内存不足";
std::string DamagedArchive(std::string_view detail);
std::string MissingPart(std::string_view part);
std::string PartSizeUnknown(std::string_view part);
std::string PartLikeABomb(std::string_view part, std::uint64_t size, std::uint64_t compressed);
std::string CannotInflate(std::string_view part, std::string_view reason);
std::string PartLonger(std::string_view part);
std::string PartShorter(std::string_view part);
std::string PartNotXml(std::string_view part, std::uint64_t line, std::string_view reason);
std::string PartWithDocumentType(std::string_view part);
std::string PartNestedTooDeep(std::string_view part);  // "已损坏：其中的 PART 嵌套过深"
std::string SharedStringsTooLarge(std::uint64_t bytes);
std::string RowBeyondLast(std::uint64_t row);
std::string CellTooLarge(std::uint64_t row, std::uint64_t bytes);
std::string CellBeyondLastColumn(std::uint64_t row);
std::string NoSuchSharedString(std::uint64_t row);
// The template's drop-down lists: what they say of a text not in the list.
inline constexpr char kChooseACategory[] = "请从下拉列表中选择收入类型";
inline constexpr char kKindsOffered[] =
    "计算方式可填：正算（空着也是正算）、由应纳税额反算、由实发工资反算、由税后收入反算";
inline constexpr char kNotInTheList[] = "不在下拉列表中";

}  // namespace quorvex::sheets::messages
