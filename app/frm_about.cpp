#include "app/frm_about.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "app/product.h"
#include "app/shell.h"
#include "pages/look.h"

namespace quorvex::app {
namespace {

constexpr char kTitle[] = "关于 Quorvex";
constexpr char kVersionPrefix[] = "版本：Quorvexv";
constexpr char kServicePrefix[] = "QQ：";
constexpr char kHomePageCaption[] = "官网：";
constexpr char kOk[] = "确定";
constexpr int kWidth = 339;
constexpr int kHeight = 190;

// The home-page address written out in full, without a trailing slash.
QString HomePageText() {
  QString address = QString::fromUtf8(kHomePage);
  while (address.endsWith(QLatin1Char('/'))) address.chop(1);
  return address;
}

}  // namespace

QString DisplayVersion(const QString& version) {
  const QStringList parts = version.split(QLatin1Char('.'));
  const QString minor = parts.value(1, QStringLiteral("0"));
  return parts.value(0) + QLatin1Char('.') + minor.rightJustified(2, QLatin1Char('0'));
}

TFrmAbout::TFrmAbout(QWidget* owner, std::function<void(const QUrl&)> openUrl)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      openUrl_(std::move(openUrl)) {
  setObjectName("TFrmAbout");
  setWindowTitle(QString::fromUtf8(kTitle));
  setFixedSize(kWidth, kHeight);
  pages::PaintCream(this);

  AddText(QString::fromUtf8(kVersionPrefix) + DisplayVersion(QString::fromUtf8(kVersion)), 40, 32);
  AddText(QString::fromUtf8(kServicePrefix) + QString::fromUtf8(kServiceNumber), 40, 64);
  AddText(QString::fromUtf8(kHomePageCaption), 40, 96);
  TxtHomePage = AddText(HomePageText(), 80, 96);
  TxtHomePage->setObjectName("TxtHomePage");
  TxtHomePage->setCursor(Qt::PointingHandCursor);
  QPalette link = TxtHomePage->palette();
  link.setColor(QPalette::WindowText, QColor(0, 0, 255));
  TxtHomePage->setPalette(link);
  TxtHomePage->installEventFilter(this);

  BtnOk = new QPushButton(QString::fromUtf8(kOk), this);
  BtnOk->setObjectName("BtnOk");
  BtnOk->setGeometry(224, 144, 75, 25);
  BtnOk->setDefault(true);
  BtnOk->setFocus(Qt::OtherFocusReason);
  connect(BtnOk, &QPushButton::clicked, this, &TFrmAbout::BtnOkClick);
}

QLabel* TFrmAbout::AddText(const QString& text, int x, int y) {
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  label->move(x, y);
  label->adjustSize();
  return label;
}

// "确定" is also the box's cancel button: like Esc and the title bar's close button, it
// ends the modal wait with the cancel result.
void TFrmAbout::BtnOkClick() { reject(); }

void TFrmAbout::TxtHomePageClick() { OpenHomePage(openUrl_); }

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TxtHomePage && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    TxtHomePageClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quorvex::app
