#include "app/appearance.h"

#include <QApplication>
#include <QFont>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QTranslator>
#include <functional>
#include <optional>
#include <utility>

namespace quorvex::app {
namespace {

// An icon made only when it is first drawn or measured.
class DeferredIconEngine final : public QIconEngine {
 public:
  explicit DeferredIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QIconEngine* clone() const override { return new DeferredIconEngine(make_); }
  QString key() const override { return QStringLiteral("DeferredIconEngine"); }

 private:
  const QIcon& Icon() {
    if (!icon_) icon_ = make_();
    return *icon_;
  }

  std::function<QIcon()> make_;
  std::optional<QIcon> icon_;
};

// The platform's own style, except that the menu bar's overflow arrow, which every menu bar
// asks for when it is built and which this window never shows, is decoded only once it is
// drawn. Decoding it loads Qt's image-format plugins, a cost the first picture need not pay.
class StartUpStyle final : public QProxyStyle {
 public:
  QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override {
    if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton) {
      return QProxyStyle::standardIcon(which, option, widget);
    }
    QPointer<QStyle> base(baseStyle());
    return QIcon(new DeferredIconEngine([base, which] { return base ? base->standardIcon(which) : QIcon(); }));
  }
};

}  // namespace

void ApplyAppearance(QApplication& app) {
  // The application takes the style and deletes it when it goes.
  QApplication::setStyle(new StartUpStyle);  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  app.setFont(font);
}

bool InstallQtTranslations(QApplication& app) {
  auto* texts = new QTranslator(&app);
  if (!texts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete texts;
    return false;
  }
  return QApplication::installTranslator(texts);
}

}  // namespace quorvex::app
