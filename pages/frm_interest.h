// The interest and dividends page: 20 % of the whole amount.
#pragma once

#include "pages/flat_rate_page.h"

namespace quorvex::pages {

class TFrmInterest final : public FlatRatePage {
  Q_OBJECT

 public:
  explicit TFrmInterest(QWidget* parent = nullptr);
};

}  // namespace quorvex::pages
