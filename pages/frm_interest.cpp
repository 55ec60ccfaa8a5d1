#include "pages/frm_interest.h"

namespace quorvex::pages {

TFrmInterest::TFrmInterest(QWidget* parent) : FlatRatePage(parent) { setObjectName("TFrmInterest"); }

}  // namespace quorvex::pages
