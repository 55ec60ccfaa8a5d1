// Texts shared by the calculator pages: input errors, notices and common captions.
#pragma once

namespace quorvex::pages::texts {

inline constexpr char kInvalidAmount[] = "无效的金额，请重新输入";
inline constexpr char kIncomeNotPositive[] = "收入金额需大于零，请重新输入";
inline constexpr char kContributionsNegative[] = "五险一金需大于零，请重新输入";
inline constexpr char kSalaryNegative[] = "收入不能小于0，请重新输入";
inline constexpr char kReverseInvalid[] = "金额无效，请重新输入";
inline constexpr char kReverseNotPositive[] = "应纳税额应大于0。";

inline constexpr char kCalc[] = "开始计算";
inline constexpr char kReset[] = "重置";
inline constexpr char kReverse[] = "反算";
inline constexpr char kResultsHeading[] = "计算结果";
inline constexpr char kZero[] = "0.00";

}  // namespace quorvex::pages::texts
