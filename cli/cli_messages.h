// Every text quorvex-calc itself writes to the user, in Chinese: usage errors, the summary of a
// batch run and its progress line. Option names stay as they are typed. The sheet library's
// messages (a file that cannot be read, a sheet refused) come from sheets/sheet_messages.h, a
// record's from the pages' rules in forms/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::cli::messages {

// Usage errors (exit status 2).
std::string UnknownOption(std::string_view option);
std::string NeedsValue(std::string_view option);
std::string UnknownCategory(std::string_view name);
std::string UnknownFormat(std::string_view format);
std::string UnknownEncoding(std::string_view encoding);
inline constexpr char kMissingCategory[] = "缺少收入类型";
inline constexpr char kMissingAmount[] = "缺少金额";
inline constexpr char kMissingAnnualPay[] = "缺少全年税前收入";
inline constexpr char kOneAmountOnly[] = "只能给一个金额";
inline constexpr char kOneInputOnly[] = "只能给一个输入文件";
inline constexpr char kBadThreadCount[] = "-j 后须是线程数，1 或更多";
inline constexpr char kTemplateTakesOneFile[] = "template 只接受一个文件名";

// A request's field the page refuses, by its Chinese header: "金额：无效的金额，请重新输入".
std::string FieldRefused(std::string_view field, std::string_view message);

// After a batch run: "共 12 条记录，2 条有误", the totals rows passed through ("；1 行合计原样保留，
// 未计算"), and which worksheets were computed and left out.
std::string Summary(std::uint64_t records, std::uint64_t rejected, std::uint64_t totals,
                    const std::vector<std::string>& computed, const std::vector<std::string>& skipped);
// The progress line: " 45% 1,234 条记录，每秒 5,678 条，还需 3 秒"; `done` (a fraction) and
// `secondsLeft` below 0 when unknown.
std::string Progress(double done, std::uint64_t records, std::uint64_t perSecond, long secondsLeft);

}  // namespace quorvex::cli::messages
