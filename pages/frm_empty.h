// The blank page shown for separator rows and unknown rows: no controls, no handlers.
#pragma once

#include "pages/calculator_page.h"

namespace quorvex::pages {

class TFrmEmpty final : public CalculatorPage {
  Q_OBJECT

 public:
  explicit TFrmEmpty(QWidget* parent = nullptr) : CalculatorPage(parent) { setObjectName("TFrmEmpty"); }

 protected:
  // No show step: the focus stays where it was.
  void FrameResize() override {}
};

}  // namespace quorvex::pages
