#include "pages/frm_chance.h"

namespace quorvex::pages {

TFrmChance::TFrmChance(QWidget* parent) : FlatRatePage(parent) { setObjectName("TFrmChance"); }

}  // namespace quorvex::pages
