#include "pages/page_factory.h"

#include "pages/frm_award.h"
#include "pages/frm_chance.h"
#include "pages/frm_company.h"
#include "pages/frm_contract.h"
#include "pages/frm_interest.h"
#include "pages/frm_labour.h"
#include "pages/frm_licence.h"
#include "pages/frm_other.h"
#include "pages/frm_property.h"
#include "pages/frm_rent.h"
#include "pages/frm_salary.h"
#include "pages/frm_writing.h"
#include "pages/frm_year.h"

namespace quorvex::pages {

CalculatorPage* CreatePage(forms::CategoryId id, QWidget* parent) {
  using C = forms::CategoryId;
  switch (id) {
    case C::kSalary:
      return new TFrmSalary(parent);
    case C::kYearBonus:
      return new TFrmYear(parent);
    case C::kSalaryAndBonus:
      return new TFrmAward(parent);
    case C::kLabour:
      return new TFrmLabour(parent);
    case C::kWriting:
      return new TFrmWriting(parent);
    case C::kRent:
      return new TFrmRent(parent);
    case C::kProperty:
      return new TFrmProperty(parent);
    case C::kRoyalties:
      return new TFrmLicence(parent);
    case C::kBusiness:
      return new TFrmCompany(parent);
    case C::kContract:
      return new TFrmContract(parent);
    case C::kInterest:
      return new TFrmInterest(parent);
    case C::kChance:
      return new TFrmChance(parent);
    case C::kOther:
      return new TFrmOther(parent);
    case C::kPlan:
      break;
  }
  return nullptr;
}

}  // namespace quorvex::pages
