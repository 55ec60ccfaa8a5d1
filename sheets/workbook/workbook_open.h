// Workbooks told by their content, not by their names: an Office Open XML zip (.xlsx, .xlsm),
// an Excel 97-2003 compound file (.xls), and the formats a clerk may have but we cannot read
// (an OpenDocument sheet, a workbook with a password, another program's compound file), which
// are refused with what to do.
#pragma once

#include <memory>
#include <string>

#include "sheets/sheet_error.h"
#include "sheets/workbook/workbook_rows.h"

namespace quorvex::sheets {

// IsWorkbookFile() is true when the regular file at `path` begins as a zip archive or a
// compound file does: it is read as a workbook whatever its name.
[[nodiscard]] bool IsWorkbookFile(const std::string& path);

// OpenWorkbook() opens the workbook at `path` by its content; nullptr with `error` set when
// it cannot be read: kRead for a file missing or damaged, kSheet for a format refused.
[[nodiscard]] std::unique_ptr<WorkbookRows> OpenWorkbook(const std::string& path, SheetError& error);

}  // namespace quorvex::sheets
