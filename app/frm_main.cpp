#include "app/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>
#include <QWindow>

#include "app/batch_dialog.h"
#include "app/chart_picture.h"
#include "app/frm_about.h"
#include "app/page_table.h"
#include "app/product.h"
#include "app/shell.h"
#include "app/window_capture.h"
#include "pages/calculator_page.h"
#include "pages/frm_plan.h"
#include "pages/look.h"

namespace quorvex::app {
namespace {

constexpr char kTitle[] = "Quorvex  - 您身边的个人所得税专家";
constexpr char kHomePagePrefix[] = "软件不断升级更新中，及时下载最新版本";
constexpr char kHomePageSuffix[] = "Quorvex官网";
constexpr char kCategoryCaption[] = "收入类型";
constexpr char kStatusText[] = "意见反馈、错误纠正、批量计算、个性化软件定制，请联系客服QQ：";
constexpr int kTopBandHeight = 90;
constexpr int kStatusHeight = 20;
// The window's inner size. The designed client area is 472 x 546 under a separate menu bar;
// here the menu bar lies inside the window, and the outer frame must be at least 480 x 600
// under any window manager, so the band and the page area are a little larger than the
// pages, which sit at the page area's top-left corner at their own size.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 580;

}  // namespace

TFrmMain::TFrmMain(QWidget* parent, Services services)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)) {
  setObjectName("TFrmMain");
  setWindowTitle(QString::fromUtf8(kTitle));
  auto* central = new QWidget(this);
  setCentralWidget(central);
  CreateMenus();
  central->setFixedSize(kWindowWidth, kWindowHeight - menuBar()->sizeHint().height() - kStatusHeight);
  CreateTopBand(central);
  CreatePageArea(central);
  CreateStatusBar();
  FormCreate();
  setFixedSize(sizeHint());
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MenuMain");
  QMenu* file = bar->addMenu(QStringLiteral("文件(&F)"));
  file->setObjectName("FileF1");
  Menu_File_Batch = file->addAction(QStringLiteral("批量计算(&B)..."), this, &TFrmMain::Menu_File_BatchClick);
  Menu_File_Batch->setObjectName("Menu_File_Batch");
  Menu_File_Template = file->addAction(QStringLiteral("保存模板(&T)..."), this, &TFrmMain::Menu_File_TemplateClick);
  Menu_File_Template->setObjectName("Menu_File_Template");
  Menu_File_Exit = file->addAction(QStringLiteral("退出(&X)"), this, &TFrmMain::Menu_File_ExitClick);
  Menu_File_Exit->setObjectName("Menu_File_Exit");

  QMenu* tool = bar->addMenu(QStringLiteral("工具(&T)"));
  tool->setObjectName("N2");
  Menu_Tool_Top = tool->addAction(QStringLiteral("在最前面显示(&F)"));
  Menu_Tool_Top->setObjectName("Menu_Tool_Top");
  Menu_Tool_Top->setCheckable(true);
  connect(Menu_Tool_Top, &QAction::triggered, this, &TFrmMain::Menu_Tool_TopClick);
  Menu_Tool_Plan = tool->addAction(QStringLiteral("年终奖筹划(&P)..."), this, &TFrmMain::Menu_Tool_PlanClick);
  Menu_Tool_Plan->setObjectName("Menu_Tool_Plan");

  Menu_Img = bar->addAction(QStringLiteral("截图(&I)"));
  Menu_Img->setObjectName("Menu_Img");
  connect(Menu_Img, &QAction::triggered, this, &TFrmMain::Menu_ImgClick);

  QMenu* help = bar->addMenu(QStringLiteral("帮助(&H)"));
  help->setObjectName("N1");
  Menu_Help_Home = help->addAction(QStringLiteral("访问官方网站(&W)"), this, &TFrmMain::Menu_Help_HomeClick);
  Menu_Help_Home->setObjectName("Menu_Help_Home");
  Menu_Help_About = help->addAction(QStringLiteral("关于 Quorvex(&A)..."), this, &TFrmMain::Menu_Help_AboutClick);
  Menu_Help_About->setObjectName("Menu_Help_About");
}

void TFrmMain::CreateTopBand(QWidget* central) {
  Panel2 = new QWidget(central);
  Panel2->setObjectName("Panel2");
  Panel2->setGeometry(0, 0, kWindowWidth, kTopBandHeight);
  pages::PaintCream(Panel2);

  const QString host = QUrl(QString::fromUtf8(kHomePage)).host();
  TxtHomePage = new QLabel(QString::fromUtf8(kHomePagePrefix) + QLatin1Char(' ') + host + QStringLiteral("  ") +
                               QString::fromUtf8(kHomePageSuffix),
                           Panel2);
  TxtHomePage->setObjectName("TxtHomePage");
  TxtHomePage->setTextFormat(Qt::PlainText);
  TxtHomePage->setCursor(Qt::PointingHandCursor);
  QPalette pal = TxtHomePage->palette();
  pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
  TxtHomePage->setPalette(pal);
  TxtHomePage->move(40, 24);
  TxtHomePage->adjustSize();
  TxtHomePage->installEventFilter(this);

  CmbType = new QComboBox(Panel2);
  CmbType->setObjectName("CmbType");
  CmbType->setEditable(false);
  QFont listFont = CmbType->font();
  listFont.setPixelSize(15);
  CmbType->setFont(listFont);
  CmbType->setGeometry(124, 59, 301, CmbType->sizeHint().height());

  auto* caption = new QLabel(QString::fromUtf8(kCategoryCaption), Panel2);
  caption->setTextFormat(Qt::PlainText);
  pages::MakeBold(caption);
  caption->adjustSize();
  caption->move(40, 59 + (CmbType->height() - caption->height()) / 2);
  caption->setBuddy(CmbType);
}

void TFrmMain::CreatePageArea(QWidget* central) {
  Panel1 = new QWidget(central);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(0, kTopBandHeight, kWindowWidth, central->height() - kTopBandHeight);
  pages::PaintCream(Panel1);
}

void TFrmMain::CreateStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setFixedHeight(kStatusHeight);
  auto* text = new QLabel(
      QStringLiteral("  ") + QString::fromUtf8(kStatusText) + QString::fromUtf8(kServiceNumber) + QStringLiteral("  "),
      StatusBar1);
  text->setObjectName("StatusText");
  text->setTextFormat(Qt::PlainText);
  text->setAlignment(Qt::AlignCenter);
  StatusBar1->addWidget(text, 1);
}

void TFrmMain::FormCreate() {
  Menu_Tool_Top->setChecked(true);
  SetAlwaysOnTop(true);
  CmbType->setMaxVisibleItems(20);
  CmbType->clear();
  for (const CategoryRow& row : CategoryRows()) CmbType->addItem(QString::fromUtf8(row.text));
  CmbType->setCurrentIndex(0);
  // Connected after the list is filled: selecting row 0 from code does not switch pages.
  connect(CmbType, &QComboBox::currentIndexChanged, this, &TFrmMain::CmbTypeChange);
  ShowPageForRow(0);
}

void TFrmMain::DestroyPage() {
  delete CurrentPage_;
  CurrentPage_ = nullptr;
}

void TFrmMain::ShowPageForRow(int row) {
  DestroyPage();
  CurrentPage_ = CreatePageForRow(row, Panel1);
  CurrentPage_->SetWarningPresenter(services_.presentWarning);
  CurrentPage_->move(0, 0);
  CurrentPage_->show();
}

void TFrmMain::CmbTypeChange() { ShowPageForRow(CmbType->currentIndex()); }

bool TFrmMain::IsAlwaysOnTop() const {
  if (const QWindow* native = windowHandle()) return native->flags().testFlag(Qt::WindowStaysOnTopHint);
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TFrmMain::SetAlwaysOnTop(bool on) {
  if (QWindow* native = windowHandle()) {
    // Changed on the native window in place: re-creating it (as QWidget::setWindowFlags
    // does) would unmap the window and lose its keyboard focus.
    native->setFlag(Qt::WindowStaysOnTopHint, on);
  } else {
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
  }
}

void TFrmMain::Menu_Tool_TopClick() {
  // The action flips its own check mark; the stacking follows.
  SetAlwaysOnTop(!IsAlwaysOnTop());
}

void TFrmMain::Menu_File_ExitClick() {
  close();
  QCoreApplication::quit();
}

void TFrmMain::Menu_File_BatchClick() {
  QPointer<BatchDialog> dialog = new BatchDialog(this);
  dialog->SetPaths(batchSheet_, batchResult_);
  dialog->exec();
  if (dialog != nullptr) {
    batchSheet_ = dialog->SheetPath();
    batchResult_ = dialog->ResultPath();
  }
  delete dialog;
  TakeBackFocus();
}

void TFrmMain::Menu_File_TemplateClick() {
  const QString sheet = batchSheet_.trimmed();
  SaveSheetTemplate(this, DefaultBatchDialogDeps(), sheet.isEmpty() ? QString() : QFileInfo(sheet).dir().path());
  TakeBackFocus();
}

void TFrmMain::TakeBackFocus() {
  // The window manager hands the focus back to no window when a dialog goes together with
  // the box it showed last; the window takes it, and the page's first field with it.
  activateWindow();
  raise();
  if (CurrentPage_ != nullptr) CurrentPage_->FocusFirstField();
}

void TFrmMain::Menu_Help_HomeClick() { OpenHomePage(services_.openUrl); }

void TFrmMain::TxtHomePageClick() { OpenHomePage(services_.openUrl); }

void TFrmMain::Menu_Help_AboutClick() {
  // A new box each time. Held by a guard: the box goes with the main window should the
  // window be destroyed while the box is open.
  QPointer<TFrmAbout> box = new TFrmAbout(this, services_.openUrl);
  box->exec();
  delete box;
}

void TFrmMain::Menu_Tool_PlanClick() {
  // A new dialog each time, guarded as the About box is.
  QPointer<pages::TFrmPlan> dialog = new pages::TFrmPlan(
      this, [this](QWidget* owner, const QImage& picture) { SaveChartPicture(owner, picture, services_); });
  dialog->exec();
  delete dialog;
  TakeBackFocus();
}

void TFrmMain::Menu_ImgClick() { SaveWindowPicture(this, services_); }

void TFrmMain::CentreOnScreen() {
  const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (s == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(s->availableGeometry().center());
  move(frame.topLeft());
}

void TFrmMain::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    CentreOnScreen();
  }
  QMainWindow::showEvent(event);
  activateWindow();
  raise();
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TxtHomePage && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    TxtHomePageClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quorvex::app
