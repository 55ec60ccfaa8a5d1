// The About box: version, contact number and the link to the product's home page.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace quorvex::app {

class TFrmAbout final : public QDialog {
  Q_OBJECT

 public:
  // `openUrl` opens the home page (empty: the desktop's browser).
  explicit TFrmAbout(QWidget* owner, std::function<void(const QUrl&)> openUrl = {});

  void BtnOkClick();
  void TxtHomePageClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* AddText(const QString& text, int x, int y);

  QLabel* TxtHomePage = nullptr;
  QPushButton* BtnOk = nullptr;
  std::function<void(const QUrl&)> openUrl_;
};

// "1.0.0" -> "1.00": the major version and the minor one in two digits.
QString DisplayVersion(const QString& version);

}  // namespace quorvex::app
