#include "pages/frm_contract.h"

#include <QComboBox>

namespace quorvex::pages {

void TFrmContract::FrameResize() {
  List()->clear();
  List()->addItems(MonthEntries());
  List()->setCurrentIndex(List()->count() - 1);
  FormPage::FrameResize();
}

}  // namespace quorvex::pages
