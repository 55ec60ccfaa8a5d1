// Every page's pure calculation on arbitrary doubles: never crash and never trip a sanitizer,
// whatever the input. For the inputs a page can pass (finite, and positive or not negative
// as its fields demand) every text the page would show is a finite figure: never empty,
// never "inf" or "nan". A reverse calculation may leave the double range for huge amounts;
// the pages then reject the typed amount, so the check there is the pages' guard: a finite
// income is written as a text that reads back as a positive amount.
//
// Input: one byte choosing the calculation (low half; the high bit picks the threshold 4800),
// then the doubles it reads (missing bytes are 0).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

#include "tax/amount.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/labour.h"
#include "tax/payment.h"
#include "tax/wage.h"

namespace {

using namespace quorvex::tax;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  double Next() {
    unsigned char bytes[sizeof(double)] = {};
    for (unsigned char& b : bytes) {
      if (pos_ < size_) b = data_[pos_++];
    }
    double v = 0;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

bool Positive(double v) { return std::isfinite(v) && v > 0; }
bool NonNegative(double v) { return std::isfinite(v) && v >= 0; }

// A shown figure: "-"? digits, with at most one "." or an "E" exponent, optionally "%".
void CheckFigure(const std::string& text) {
  if (text.empty()) std::abort();
  for (char c : text) {
    const bool ok = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == '%';
    if (!ok) std::abort();
  }
}

void CheckFigures(std::initializer_list<const std::string*> texts) {
  for (const std::string* t : texts) CheckFigure(*t);
}

// The text a reverse calculation writes into the income field must read back as a positive
// amount, or the page must have refused it.
void CheckWrittenIncome(double found, const std::string& written) {
  if (!std::isfinite(found)) return;
  const std::optional<double> back = ParseAmount(written);
  if (!back || !(*back > 0)) std::abort();
}

void Salary(double salary, double contributions, double threshold) {
  const SalaryResult r = CalcSalaryTax({salary, contributions, threshold});
  if (!Positive(salary) || !NonNegative(contributions)) return;
  const std::string shown[] = {FormatAmount(r.taxableIncome), FormatPercent(r.row.rate),
                               FormatAmount(r.row.quickDeduction), FormatAmount(r.tax), FormatAmount(r.takeHome)};
  for (const std::string& t : shown) CheckFigure(t);
}

void SalaryReverse(double typed, double contributions, double threshold, bool fromTax) {
  const double found = fromTax ? SalaryIncomeFromTax(typed, contributions, threshold)
                               : SalaryIncomeFromRealIncome(typed, contributions, threshold);
  if (!Positive(typed) || !NonNegative(contributions)) return;
  const std::string written = FormatGeneral(found);
  CheckWrittenIncome(found, written);
  if (std::isfinite(found)) Salary(*ParseAmount(written), contributions, threshold);
}

void YearBonus(double bonus) {
  const YearBonusResult::Texts t = CalcYearBonusTax(bonus).Shown();
  if (Positive(bonus)) CheckFigures({&t.average, &t.rate, &t.quick, &t.tax, &t.afterTax});
}

void YearBonusReverse(double afterTax) {
  const double bonus = YearBonusFromRealIncome(afterTax);
  if (!Positive(afterTax) || !std::isfinite(bonus)) return;
  // The page writes the bonus with two decimals; a tiny one reads back as 0 and is refused
  // by the forward calculation, which is fine.
  const std::optional<double> back = ParseAmount(FormatAmount(bonus));
  if (!back) std::abort();
  YearBonus(*back);
}

void SalaryAndBonus(double bonus, double salary, double contributions, double threshold) {
  const SalaryAndBonusResult::Texts t = CalcSalaryAndBonusTax({bonus, salary, contributions, threshold}).Shown();
  if (!Positive(bonus) || !NonNegative(salary) || !NonNegative(contributions)) return;
  CheckFigures({&t.salaryTax, &t.afterTaxSalary, &t.bonusTax, &t.afterTaxBonus, &t.totalTax, &t.totalAfterTax});
}

void CheckPayment(double payment, const PaymentTexts& t) {
  if (!Positive(payment)) return;
  CheckFigures({&t.deduct, &t.taxIncome, &t.rate, &t.quick, &t.tax, &t.realIncome});
}

void LabourReverse(double realIncome) {
  const double payment = LabourIncomeFromRealIncome(realIncome);
  if (!Positive(realIncome)) return;
  const std::string written = FormatGeneral(payment);
  // The labour page also refuses a finite payment whose text does not read back.
  if (!std::isfinite(payment) || !ParseAmount(written)) return;
  CheckWrittenIncome(payment, written);
  const double back = *ParseAmount(written);
  CheckPayment(back, ShowLabourTax(CalcLabourTax(back)));
}

void CheckBusiness(double income, const BusinessResult& r) {
  const BusinessTexts t = ShowBusinessResult(r);
  if (!Positive(income)) return;
  CheckFigures({&t.taxableIncome, &t.rate, &t.quickDeduction, &t.tax, &t.afterTax});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t which = data[0];
  Input in(data + 1, size - 1);
  const double a = in.Next();
  const double b = in.Next();
  const double c = in.Next();
  const double threshold = (which & 0x80) != 0 ? 4800 : 3500;
  switch (which & 0x0f) {
    case 0:
      Salary(a, b, threshold);
      break;
    case 1:
      SalaryReverse(a, b, threshold, true);
      break;
    case 2:
      SalaryReverse(a, b, threshold, false);
      break;
    case 3:
      YearBonus(a);
      break;
    case 4:
      YearBonusReverse(a);
      break;
    case 5:
      SalaryAndBonus(a, b, c, threshold);
      break;
    case 6:
      CheckPayment(a, ShowLabourTax(CalcLabourTax(a)));
      break;
    case 7:
      LabourReverse(a);
      break;
    case 8:
      CheckPayment(a, ShowPayment(CalcWritingTax(a)));
      break;
    case 9:
      CheckPayment(a, ShowPayment(CalcLicenceTax(a)));
      break;
    case 10:
      CheckPayment(a, ShowPayment(CalcRentTax(a)));
      break;
    case 11:
      CheckPayment(a, ShowPayment(CalcFlatRateTax(a)));
      break;
    case 12:
      CheckBusiness(a, CalcBusinessTax(a));
      break;
    default:  // contracted operation, 1 to 12 months from the upper half of the byte
      CheckBusiness(a, CalcContractTax(a, 1 + (which >> 4) % 12));
      break;
  }
  return 0;
}
