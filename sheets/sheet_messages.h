// Every message of the sheet library that tells why a sheet was not computed or a file not
// read or written: one place, in Chinese, for the window's boxes and quorvex-calc alike. A
// record's own messages (the page's texts) live with the pages' rules in forms/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sheets::messages {

// The system's reason for error number `error`, in Chinese where it is a common one, with
// the system's own words after it: "没有这个文件或文件夹（No such file or directory）".
std::string SystemText(int error);

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

}  // namespace quorvex::sheets::messages
