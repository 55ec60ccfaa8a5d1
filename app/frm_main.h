// The main window: the top band with the home-page link and the category list, the page
// area holding exactly one calculator page, the status line and the menu.
#pragma once

#include <QMainWindow>

#include "app/services.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QStatusBar;

namespace quorvex::pages {
class CalculatorPage;
}

namespace quorvex::app {

class TFrmMain final : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFrmMain(QWidget* parent = nullptr, Services services = {});
  ~TFrmMain() override;

  pages::CalculatorPage* CurrentPage() const { return CurrentPage_; }
  bool IsAlwaysOnTop() const;

  void CmbTypeChange();
  void Menu_File_BatchClick();
  void Menu_File_TemplateClick();
  void Menu_File_ExitClick();
  void Menu_Tool_TopClick();
  void Menu_Tool_PlanClick();
  void Menu_Help_HomeClick();
  void Menu_Help_AboutClick();
  void Menu_ImgClick();
  void TxtHomePageClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void CreateMenus();
  void CreateTopBand(QWidget* central);
  void CreatePageArea(QWidget* central);
  void CreateStatusBar();
  // Destroys the current page (everything typed into it is lost).
  void DestroyPage();
  // Creates the page of `row`, puts it into the page area and shows it.
  void ShowPageForRow(int row);
  void SetAlwaysOnTop(bool on);
  void CentreOnScreen();
  // Activates the window and focuses the page's first field, as after a dialog has closed.
  void TakeBackFocus();

  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QLabel* TxtHomePage = nullptr;
  QComboBox* CmbType = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QAction* Menu_File_Batch = nullptr;
  QAction* Menu_File_Template = nullptr;
  QAction* Menu_File_Exit = nullptr;
  QAction* Menu_Tool_Top = nullptr;
  QAction* Menu_Tool_Plan = nullptr;
  QAction* Menu_Img = nullptr;
  QAction* Menu_Help_Home = nullptr;
  QAction* Menu_Help_About = nullptr;
  pages::CalculatorPage* CurrentPage_ = nullptr;
  bool centred_ = false;
  // The 批量计算 dialog's paths, kept while the program runs.
  QString batchSheet_;
  QString batchResult_;
  Services services_;
};

}  // namespace quorvex::app
