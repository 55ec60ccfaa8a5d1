#include "app/page_table.h"

#include "pages/frm_award.h"
#include "pages/frm_chance.h"
#include "pages/frm_company.h"
#include "pages/frm_contract.h"
#include "pages/frm_empty.h"
#include "pages/frm_interest.h"
#include "pages/frm_labour.h"
#include "pages/frm_licence.h"
#include "pages/frm_other.h"
#include "pages/frm_property.h"
#include "pages/frm_rent.h"
#include "pages/frm_salary.h"
#include "pages/frm_writing.h"
#include "pages/frm_year.h"

namespace quorvex::app {
namespace {

template <class Page>
pages::CalculatorPage* Create(QWidget* parent) {
  return new Page(parent);
}

constexpr char kSeparator[] = "----------------------------------";

}  // namespace

const std::array<CategoryRow, kCategoryCount>& CategoryRows() {
  static const std::array<CategoryRow, kCategoryCount> rows{{
      {"工资、薪金所得", &Create<pages::TFrmSalary>},
      {"年终奖所得", &Create<pages::TFrmYear>},
      {"工资、年终奖所得", &Create<pages::TFrmAward>},
      {kSeparator, nullptr},
      {"劳务报酬所得", &Create<pages::TFrmLabour>},
      {"稿酬所得", &Create<pages::TFrmWriting>},
      {"财产租赁所得", &Create<pages::TFrmRent>},
      {"财产转让所得", &Create<pages::TFrmProperty>},
      {kSeparator, nullptr},
      {"特许权使用费所得", &Create<pages::TFrmLicence>},
      {"个体工商户生产、经营所得", &Create<pages::TFrmCompany>},
      {"对企事业单位的承包经营、承租经营所得", &Create<pages::TFrmContract>},
      {kSeparator, nullptr},
      {"利息、股息、红利所得", &Create<pages::TFrmInterest>},
      {"偶然所得（如中奖、中彩）", &Create<pages::TFrmChance>},
      {"被确定征税的其他部分", &Create<pages::TFrmOther>},
  }};
  return rows;
}

pages::CalculatorPage* CreatePageForRow(int row, QWidget* parent) {
  if (row >= 0 && row < kCategoryCount) {
    const CategoryRow& r = CategoryRows()[static_cast<size_t>(row)];
    if (r.create != nullptr) return r.create(parent);
  }
  return new pages::TFrmEmpty(parent);
}

}  // namespace quorvex::app
