// The fixed texts with which a page rejects input, shared by every front end so that a sheet
// computed on the command line reports exactly what the window reports.
#pragma once

namespace quorvex::forms::messages {

inline constexpr char kInvalidAmount[] = "无效的金额，请重新输入";
inline constexpr char kIncomeNotPositive[] = "收入金额需大于零，请重新输入";
inline constexpr char kContributionsNegative[] = "五险一金需大于零，请重新输入";
inline constexpr char kSalaryNegative[] = "收入不能小于0，请重新输入";
inline constexpr char kReverseInvalid[] = "金额无效，请重新输入";
inline constexpr char kReverseNotPositive[] = "应纳税额应大于0。";
// The year-end bonus planner's own: a planned bonus below 0 or above the year's pay, and a
// year's pay beyond what it plans to the fen.
inline constexpr char kPlannedBonusNegative[] = "年终奖不能小于0，请重新输入";
inline constexpr char kPlannedBonusAboveAnnual[] = "年终奖不能大于全年税前收入，请重新输入";
inline constexpr char kAnnualTooLarge[] = "全年税前收入不能超过10亿元，请重新输入";

}  // namespace quorvex::forms::messages
