// The other income page: 20 % of the whole amount.
#pragma once

#include "pages/flat_rate_page.h"

namespace quorvex::pages {

class TFrmOther final : public FlatRatePage {
  Q_OBJECT

 public:
  explicit TFrmOther(QWidget* parent = nullptr);
};

}  // namespace quorvex::pages
