#include "capture/catch_img.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>

#include "capture/jpeg_writer.h"
#include "capture/save_file.h"

namespace quorvex::capture {

bool CanReadScreen() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QImage TCatchImg::Grab(const QRect& rect) const {
  if (CanReadScreen()) {
    QScreen* screen = QGuiApplication::screenAt(rect.topLeft());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    // Window 0 is the whole desktop: the coordinates are the desktop's own.
    if (screen != nullptr) {
      QImage shown = screen->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage();
      if (!shown.isNull()) return shown;
    }
  }
  if (window_ != nullptr) return window_->grab().toImage();
  return {};
}

bool TCatchImg::CatchRect(int left, int top, int right, int bottom, const QString& path) {
  jpeg_.clear();
  error_.clear();
  const QRect rect(left, top, right - left, bottom - top);
  if (rect.isEmpty()) {
    error_ = QStringLiteral("截图区域为空");
    return false;
  }
  const QImage picture = Grab(rect);
  if (picture.isNull()) {
    error_ = QStringLiteral("无法读取屏幕图像");
    return false;
  }
  QByteArray jpeg;
  if (!EncodeJpeg(picture, kPictureQuality, &jpeg, &error_)) return false;
  jpeg_ = std::move(jpeg);
  return WriteFileReplacing(path, jpeg_, &error_);
}

}  // namespace quorvex::capture
