// Texts shared by the calculator pages: input errors, notices and common captions.
#pragma once

#include "forms/messages.h"

namespace quorvex::pages::texts {

// Input errors: the same texts as every other front end writes.
using namespace forms::messages;

inline constexpr char kCalc[] = "开始计算";
inline constexpr char kReset[] = "重置";
inline constexpr char kReverse[] = "反算";
inline constexpr char kResultsHeading[] = "计算结果";
inline constexpr char kZero[] = "0.00";
inline constexpr char kThresholdCaption[] = "起征点";
inline constexpr char kMonthsCaption[] = "经营时间";
inline constexpr char kMonthUnit[] = "月";

}  // namespace quorvex::pages::texts
