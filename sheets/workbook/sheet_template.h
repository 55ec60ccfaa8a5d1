// The fill-in workbook of 批量计算, and the sheet format a file name asks for.
#pragma once

#include <optional>
#include <string>

#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {

// FormatOfPath() takes the format from a file name's extension (.csv, .jsonl/.json/.ndjson,
// .xlsx), case-insensitively; nullopt for any other.
std::optional<Format> FormatOfPath(const std::string& path);
// InputFormatOfPath() also takes a workbook with macros (.xlsm) and an Excel 97-2003 workbook
// (.xls) for a workbook, and text (.txt, Excel's Unicode text among it) for CSV, which are read
// but never written.
std::optional<Format> InputFormatOfPath(const std::string& path);
// NamesUnwrittenWorkbook() is true for the name of a spreadsheet kind that is read but never
// written (.xls, .xlsm, .xlsb, .ods, ...): a result by that name would be CSV text in disguise.
bool NamesUnwrittenWorkbook(const std::string& path);

// ResultObstacle() says why `output` cannot take a result (a folder, a file marked
// read-only, a workbook an office program holds open), naming it; "" when it can be tried.
std::string ResultObstacle(const std::string& output);

// WriteSheetTemplate() writes an Excel workbook to fill in: a 姓名 column and the Chinese
// headers of the input fields, and one example row for each category. Empty on success,
// else the error naming the file; the file is written whole or not at all.
std::string WriteSheetTemplate(const std::string& path);

}  // namespace quorvex::sheets
