// Chinese column headers of a sheet: the captions the pages show, as names of the input
// fields and of the columns a calculation adds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sheets {

// InputKeyOf() names the request field a header stands for: the field's key itself
// ("amount") or one of its Chinese headers ("金额", "税前收入", "税前工资", ...); "" for any
// other header (a column passed through).
std::string_view InputKeyOf(std::string_view header);

// IsChineseInputHeader() is true for a Chinese header of an input field.
bool IsChineseInputHeader(std::string_view header);

// ChineseCaption() is the Chinese header of an input field or an added column ("status" ->
// "状态", "tax" -> "应纳税额"); the key itself when it has none.
std::string_view ChineseCaption(std::string_view key);

// Texts of the status and blind-zone columns under Chinese headers.
inline constexpr char kStatusOk[] = "正常";
inline constexpr char kStatusRejected[] = "有误";
inline constexpr char kStatusTotals[] = "合计";
inline constexpr char kWarningYes[] = "是";
inline constexpr char kWarningNo[] = "否";
// The 出错项 of a record that could not be read at all.
inline constexpr char kWholeRecord[] = "整行";

// The input fields, in the order of a template's columns, with their Chinese headers.
struct InputColumn {
  std::string_view key;
  std::string_view caption;
};
std::vector<InputColumn> InputColumns();

}  // namespace quorvex::sheets
