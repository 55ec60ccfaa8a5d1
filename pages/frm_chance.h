// The incidental income (prizes, lotteries) page: 20 % of the whole amount.
#pragma once

#include "pages/flat_rate_page.h"

namespace quorvex::pages {

class TFrmChance final : public FlatRatePage {
  Q_OBJECT

 public:
  explicit TFrmChance(QWidget* parent = nullptr);
};

}  // namespace quorvex::pages
