#include "pages/frm_other.h"

namespace quorvex::pages {

TFrmOther::TFrmOther(QWidget* parent) : FlatRatePage(parent) { setObjectName("TFrmOther"); }

}  // namespace quorvex::pages
