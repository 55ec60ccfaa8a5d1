#include "tax/row_texts.h"

#include "tax/amount.h"

namespace quorvex::tax {

RowTexts ShowRow(const ScheduleRow& row) { return {FormatPercent(row.rate), FormatAmount(row.quickDeduction)}; }

RowTexts ShowRow(const BusinessRow& row) { return {FormatPercent(row.rate), IntegerText(row.quickDeduction)}; }

}  // namespace quorvex::tax
