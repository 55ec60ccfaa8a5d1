#include "pages/frm_property.h"

namespace quorvex::pages {

TFrmProperty::TFrmProperty(QWidget* parent) : FlatRatePage(parent) { setObjectName("TFrmProperty"); }

}  // namespace quorvex::pages
