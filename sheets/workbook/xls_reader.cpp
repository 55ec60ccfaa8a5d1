#include "sheets/workbook/xls_reader.h"

#include <freexl.h>

#include <algorithm>

#include "sheets/engine/sheet_format.h"
#include "sheets/sheet_messages.h"
#include "tax/amount.h"

namespace quorvex::sheets {

XlsReader::~XlsReader() {
  if (handle_ != nullptr) freexl_close(handle_);
}

bool XlsReader::Open(const std::string& path) {
  path_ = path;
  const int opened = freexl_open(path.c_str(), &handle_);
  if (opened != FREEXL_OK) {
    // FreeXL leaves a handle behind on some failures.
    if (handle_ != nullptr) freexl_close(handle_);
    handle_ = nullptr;
    return false;
  }
  unsigned int password = 0;
  if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED) {
    encrypted_ = true;
    return false;
  }
  unsigned int sheets = 0;
  if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK || sheets == 0) return false;
  // FreeXL does not tell a hidden sheet: every sheet counts as shown.
  for (unsigned int i = 0; i < sheets && i <= 0xFFFF; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) != FREEXL_OK) name = nullptr;
    sheets_.push_back({name != nullptr ? name : "Sheet" + std::to_string(i + 1), false});
  }
  return Select(0);
}

bool XlsReader::Select(std::size_t index) {
  if (handle_ == nullptr || index >= sheets_.size()) return false;
  error_.clear();
  next_ = rows_ = 0;
  columns_ = 0;
  line_ = 0;
  if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK ||
      freexl_worksheet_dimensions(handle_, &rows_, &columns_) != FREEXL_OK) {
    error_ = path_ + "：" + messages::DamagedSheet(sheets_[index].name);
    return false;
  }
  columns_ = static_cast<unsigned short>(std::min<std::size_t>(columns_, kMaxColumns));
  return true;
}

bool XlsReader::Next(std::vector<std::string>& row) {
  if (handle_ == nullptr || !error_.empty()) return false;
  for (; next_ < rows_; ++next_) {
    row.assign(columns_, std::string());
    types_.assign(columns_, CellInfo{});
    for (unsigned short c = 0; c < columns_; ++c) {
      FreeXL_CellValue cell;
      if (freexl_get_cell_value(handle_, next_, c, &cell) != FREEXL_OK) {
        error_ = path_ + "：" + messages::DamagedCellInRow(next_ + 1);
        return false;
      }
      switch (cell.type) {
        case FREEXL_CELL_INT:
          row[c] = std::to_string(cell.value.int_value);
          types_[c].kind = CellKind::kNumber;
          break;
        case FREEXL_CELL_DOUBLE:
          row[c] = tax::FormatGeneral(cell.value.double_value);
          types_[c].kind = CellKind::kNumber;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          row[c] = cell.value.text_value != nullptr ? cell.value.text_value : "";
          break;
        default:
          break;
      }
    }
    while (!row.empty() && row.back().empty()) row.pop_back();
    if (row.empty()) continue;  // a row without a cell, as the .xlsx reader leaves it out
    line_ = ++next_;
    return true;
  }
  return false;
}

}  // namespace quorvex::sheets
