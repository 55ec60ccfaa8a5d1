#include "pages/bonus_chart_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>

#include "forms/fields.h"
#include "tax/bonus.h"

namespace quorvex::pages {
namespace {

constexpr char kBonusCaption[] = "年终奖";
constexpr char kMark[] = "标出(&M)";
constexpr char kRangeCaption[] = "显示范围";
constexpr char kWhole[] = "全部";
// Around a zone the view shows this share of the zone's width on each side.
constexpr double kZoneMargin = 0.6;

}  // namespace

BonusChartTab::BonusChartTab(QWidget* parent) : CalculatorPage(parent) {
  setObjectName("TabBonus");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setHorizontalSpacing(8);
  grid->setColumnStretch(3, 1);

  EditBonus = MakeEdit("EditBonus");
  AddLine(grid, 0, QString::fromUtf8(kBonusCaption), EditBonus);
  BtnMark = MakeButton("BtnMark", QString::fromUtf8(kMark));
  grid->addWidget(BtnMark, 0, 2);
  TxtInfo = MakeMessageLabel("TxtInfo");
  TxtInfo->setWordWrap(false);
  grid->addWidget(TxtInfo, 0, 3);

  QStringList entries{QString::fromUtf8(kWhole)};
  for (const tax::BlindZone& zone : tax::kBlindZones) entries << QString::fromUtf8(zone.text);
  CmbRange = MakeList("CmbRange", entries);
  AddLine(grid, 1, QString::fromUtf8(kRangeCaption), CmbRange, 3);

  ChartBonus = new ChartView("ChartBonus", this);
  grid->addWidget(ChartBonus, 2, 0, 1, 4);
  ChartBonus->SetData(forms::BonusChart(std::nullopt), forms::BonusChartPoint);
  ChartBonus->onPick = [this](const forms::ChartPick& pick) {
    SetText(EditBonus, QString::fromStdString(pick.amount));
    BtnMarkClick();
  };

  SetFirstField(EditBonus);
  setTabOrder(EditBonus, BtnMark);
  setTabOrder(BtnMark, CmbRange);
  connect(EditBonus, &QLineEdit::textChanged, this, [this] { ClearMessages(); });
  OnEnter(EditBonus, [this] { BtnMarkClick(); });
  connect(BtnMark, &QPushButton::clicked, this, &BonusChartTab::BtnMarkClick);
  connect(CmbRange, &QComboBox::currentIndexChanged, this, &BonusChartTab::CmbRangeChange);
  setFixedSize(sizeHint());
}

void BonusChartTab::BtnMarkClick() {
  const std::string typed = EditBonus->text().toStdString();
  std::optional<double> bonus;
  if (!tax::TrimAmountText(typed).empty()) {
    const forms::Reading r = forms::ReadAmount(typed, forms::kIncomeRule);
    if (r.message != nullptr) {
      Reject(EditBonus, TxtInfo, QString::fromUtf8(r.message));
      return;
    }
    bonus = r.value;
  }
  const double from = ChartBonus->ViewFrom();
  const double to = ChartBonus->ViewTo();
  ChartBonus->SetData(forms::BonusChart(bonus), forms::BonusChartPoint);
  ChartBonus->SetView(from, to);  // marking keeps the zoom
  FocusAndSelect(EditBonus);
}

void BonusChartTab::CmbRangeChange(int entry) {
  if (entry <= 0 || entry > static_cast<int>(tax::kBlindZones.size())) {
    ChartBonus->SetView(0, ChartBonus->Data().xMax);
    return;
  }
  const tax::BlindZone& zone = tax::kBlindZones[static_cast<std::size_t>(entry - 1)];
  const double width = static_cast<double>(zone.upper) - zone.lower;
  ChartBonus->SetView(zone.lower - width * kZoneMargin, static_cast<double>(zone.upper) + width * kZoneMargin);
}

}  // namespace quorvex::pages
