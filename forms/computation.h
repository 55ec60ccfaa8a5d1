// One computation of a page in progress, shared by the page logic's calculations: the texts
// as the fields hold them now, and the outcome so far.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "forms/compute.h"
#include "tax/amount.h"

namespace quorvex::forms {

class Computation {
 public:
  Computation(const Category& category, const PageInput& typed, Outcome& out)
      : category_(category), typed_(typed), out_(out) {}

  void Do(Step::What what, Field field = Field::kIncome, std::string_view text = {}) {
    if (!typed_.steps || out_.stepCount >= out_.steps.size()) return;
    Step& step = out_.steps[out_.stepCount++];
    step.what = what;
    step.field = field;
    step.text.assign(text);
  }

  bool IsEmpty(Field field) const { return tax::TrimAmountText(typed_[field]).empty(); }

  // Reads a field as the page does: its trimmed text (or "0.00") is written back, and a
  // rejected amount ends the calculation with its message beside the field.
  std::optional<double> Read(Field field, const FieldRule& rule) {
    const Reading r = ReadAmount(typed_[field], rule);
    Do(Step::What::kWrite, field, r.text);
    typed_[field] = r.text;
    if (r.message != nullptr) {
      Reject(field, r.message);
      return std::nullopt;
    }
    return r.value;
  }

  void Reject(Field field, std::string_view message) {
    out_.computed = false;
    out_.message = message;
    out_.messageField = field;
    Focus(field);
  }

  void Focus(Field field) {
    out_.focus = true;
    out_.focusField = field;
  }

  // A reverse calculation writes the income it found into the income field, from which the
  // forward calculation then reads it: as FormatGeneral() writes it, or as an amount.
  void WriteIncome(double income) {
    out_.income = tax::FormatGeneral(income);
    IncomeWritten();
  }
  void WriteIncomeAmount(double income) {
    out_.income = tax::FormatAmount(income);
    IncomeWritten();
  }

  void Done(std::string_view message = {}) {
    out_.computed = true;
    out_.message = message;
    out_.messageField = Field::kIncome;
  }

  void Show(Line line, std::string_view text) {
    out_[line].assign(text);
    out_.shown |= std::uint32_t{1} << static_cast<unsigned>(line);
  }
  void Show(Line line, std::string&& text) {
    out_[line] = std::move(text);
    out_.shown |= std::uint32_t{1} << static_cast<unsigned>(line);
  }

  const Category& category() const { return category_; }
  const PageInput& typed() const { return typed_; }
  Outcome& out() { return out_; }

 private:
  void IncomeWritten() {
    Do(Step::What::kWrite, Field::kIncome, out_.income);
    typed_[Field::kIncome] = out_.income;
  }

  const Category& category_;
  PageInput typed_;
  Outcome& out_;
};

}  // namespace quorvex::forms
