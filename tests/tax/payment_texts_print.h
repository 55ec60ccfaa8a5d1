// Prints the texts of a per-payment page in test failures.
#pragma once

#include <ostream>

#include "tax/payment.h"

namespace quorvex::tax {

inline std::ostream& operator<<(std::ostream& os, const PaymentTexts& t) {
  return os << t.deduct << " | " << t.taxIncome << " | " << t.rate << " | " << t.quick << " | " << t.tax << " | "
            << t.realIncome << " | \"" << t.notice << '"';
}

}  // namespace quorvex::tax
