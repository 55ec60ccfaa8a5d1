// Prints the texts of a per-payment page in test failures.
#pragma once

#include <ostream>

#include "tax/payment.h"

namespace quorvex::tax {

inline std::ostream& operator<<(std::ostream& os, const PaymentTexts& t) {
  return os << t.allowance << " | " << t.taxableIncome << " | " << t.rate << " | " << t.quickDeduction << " | " << t.tax
            << " | " << t.afterTax << " | \"" << t.notice << '"';
}

}  // namespace quorvex::tax
