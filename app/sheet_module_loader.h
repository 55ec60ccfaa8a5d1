// The sheet module (sheets/sheet_module.h), loaded when 批量计算 first needs it.
#pragma once

#include <QString>
#include <string>

#include "sheets/sheet_module.h"

namespace quorvex::app {

// LoadSheetModule() returns the sheet module's entry points, loading it on the first call: from
// the private module folder of the installed program, else from the program's own folder (where
// the build tree puts it beside quorvex and beside the window's tests), else by name, wherever
// the dynamic loader finds it. Once loaded it stays loaded. Null when it cannot be loaded, and `error` then says
// why, in words for a message box.
const sheets::SheetModule* LoadSheetModule(QString& error);

// InstalledSheetModule() is where the module lies when the program in `programFolder` is
// installed.
QString InstalledSheetModule(const QString& programFolder);

// LoadSheetModuleFrom() loads the module from `file` (a path, or a bare name looked up as the
// dynamic loader does); null with `error` set when it cannot.
const sheets::SheetModule* LoadSheetModuleFrom(const std::string& file, QString& error);

}  // namespace quorvex::app
