#include "sheets/engine/compute_request.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "forms/compute.h"
#include "sheets/sheet_messages.h"
#include "tax/amount.h"
#include "tax/business.h"
#include "tax/wage.h"

namespace quorvex::sheets {
namespace {

using messages::kBadMonths;
using messages::kBadThreshold;
using messages::kUnknownCategory;

void Refuse(Problem problem, const char* field, std::string_view message, RecordOutcome& out) {
  out.ok = false;
  out.problem = problem;
  out.field = field;
  out.message = message;
  out.warning = false;
  forms::ClearLines(out.page, out.page.shown);
  out.page.income.clear();
}

// A month count the contract page offers (1 to 12, written in digits); empty is a whole year.
std::optional<int> ReadMonths(std::string_view text) {
  text = tax::TrimAmountText(text);
  if (text.empty()) return tax::kMaxOperationMonths;
  if (text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  int months = 0;
  for (char c : text) months = months * 10 + (c - '0');
  if (months < tax::kMinOperationMonths || months > tax::kMaxOperationMonths) return std::nullopt;
  return months;
}

// The record's name of a rejected field: what was typed is "amount", the income a reverse
// calculation wrote and read back is "income".
std::string_view FieldName(forms::Field field, forms::Kind kind) {
  if (field == forms::Category::Typed(kind)) return "amount";
  switch (field) {
    case forms::Field::kIncome:
      return "income";
    case forms::Field::kSalary:
      return "salary";
    case forms::Field::kContributions:
      return "contributions";
    case forms::Field::kPlannedBonus:
      return "planned_bonus";
    default:
      return "amount";
  }
}

// The refusal of a 计算方式 the category does not offer, naming the ones it does:
// "该收入类型没有这种计算方式，可填：正算、由税后收入反算".
std::string_view UnknownCalc(const forms::Category& category) {
  static const auto kTexts = [] {
    std::array<std::string, forms::kCategoryCount + 1> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const forms::Category& c = forms::CategoryOf(static_cast<forms::CategoryId>(i));
      std::vector<std::string_view> offered;
      for (std::size_t k = 0; k < forms::kKindCount; ++k) {
        if (c.Offers(static_cast<forms::Kind>(k))) offered.emplace_back(forms::kKindNames[k]);
      }
      texts[i] = messages::UnknownCalcOffering(offered);
    }
    return texts;
  }();
  return kTexts[static_cast<std::size_t>(category.id)];
}

}  // namespace

std::optional<double> ReadThreshold(std::string_view text) {
  text = tax::TrimAmountText(text);
  if (text.empty()) return tax::kThresholds[0];
  const std::optional<double> parsed = tax::ParseAmount(text);
  if (!parsed || std::find(tax::kThresholds.begin(), tax::kThresholds.end(), *parsed) == tax::kThresholds.end())
    return std::nullopt;
  return parsed;
}

std::string_view KindKey(forms::Kind kind) { return forms::kKindKeys[static_cast<std::size_t>(kind)]; }

RecordOutcome ComputeRequest(const Request& request) {
  RecordOutcome out;
  ComputeRequest(request, out);
  return out;
}

void ComputeRequest(const Request& request, RecordOutcome& out) {
  const forms::Category* category = forms::FindCategory(request.category);
  if (category == nullptr) return Refuse(Problem::kCategory, "category", kUnknownCategory, out);
  const std::optional<forms::Kind> kind = forms::FindKind(request.calc);
  if (!kind || !category->Offers(*kind)) return Refuse(Problem::kCalc, "calc", UnknownCalc(*category), out);
  const std::optional<double> threshold = ReadThreshold(request.threshold);
  if (!threshold) return Refuse(Problem::kThreshold, "threshold", kBadThreshold, out);
  const std::optional<int> months = ReadMonths(request.months);
  if (!months) return Refuse(Problem::kMonths, "months", kBadMonths, out);
  // Every field given at once (no clearing first): the amount goes where the kind types it.
  using forms::Field;
  static_assert(forms::Index(Field::kIncome) == 0 && forms::Index(Field::kSalary) == 1 &&
                forms::Index(Field::kContributions) == 2 && forms::Index(Field::kTax) == 3 &&
                forms::Index(Field::kAfterTax) == 4 && forms::Index(Field::kPlannedBonus) == 5 &&
                forms::kFieldCount == 6);
  const Field amountField = forms::Category::Typed(*kind);
  const auto amountIn = [&](Field field) { return field == amountField ? request.amount : std::string_view(); };
  const forms::PageInput typed{.texts = {amountIn(Field::kIncome), request.salary, request.contributions,
                                         amountIn(Field::kTax), amountIn(Field::kAfterTax), request.plannedBonus},
                               .threshold = *threshold,
                               .months = *months,
                               .steps = false};

  forms::Compute(*category, *kind, typed, out.page);
  out.ok = out.page.computed;
  out.problem = out.ok ? Problem::kNone : Problem::kInput;
  out.field = out.ok ? std::string_view() : FieldName(out.page.messageField, *kind);
  out.message = out.page.message;
  out.warning = out.page.warning;
}

}  // namespace quorvex::sheets
