// The sheet library as a module that the window loads when 批量计算 first needs it: with the
// engine come the workbook and compression libraries, which the window must not load at
// start-up. The module exports one C function, kSheetModuleEntry, handing out the entry points
// below; everything else in it is hidden. quorvex-calc links the library directly.
#pragma once

#include "sheets/sheet_job.h"
#include "sheets/workbook/sheet_template.h"

namespace quorvex::sheets {

struct SheetModule {
  // Raised whenever a member is added or changes its signature, so that a module left over
  // from another build is refused rather than called wrongly.
  static constexpr int kVersion = 4;
  int version = kVersion;
  decltype(&RunSheet) runSheet = nullptr;
  decltype(&WriteSheetTemplate) writeSheetTemplate = nullptr;
  decltype(&FormatOfPath) formatOfPath = nullptr;
  decltype(&ResultObstacle) resultObstacle = nullptr;
  decltype(&InputFormatOfPath) inputFormatOfPath = nullptr;
};

// The module's file name, and the name of its one exported function, which returns a
// `const SheetModule*` and takes nothing.
inline constexpr char kSheetModuleFile[] = "libquorvex-sheets.so";
inline constexpr char kSheetModuleEntry[] = "quorvex_sheet_module";

}  // namespace quorvex::sheets
