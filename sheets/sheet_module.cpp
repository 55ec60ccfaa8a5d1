// The one exported function of the sheet module (sheets/sheet_module.h).
#include "sheets/sheet_module.h"

extern "C" __attribute__((visibility("default"))) const quorvex::sheets::SheetModule* quorvex_sheet_module() {
  namespace s = quorvex::sheets;
  static constexpr s::SheetModule kModule{s::SheetModule::kVersion, &s::RunSheet,       &s::WriteSheetTemplate,
                                          &s::FormatOfPath,         &s::ResultObstacle, &s::InputFormatOfPath};
  return &kModule;
}
