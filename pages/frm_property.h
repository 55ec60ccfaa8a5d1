// The property transfer page: 20 % of the whole amount.
#pragma once

#include "pages/flat_rate_page.h"

namespace quorvex::pages {

class TFrmProperty final : public FlatRatePage {
  Q_OBJECT

 public:
  explicit TFrmProperty(QWidget* parent = nullptr);
};

}  // namespace quorvex::pages
