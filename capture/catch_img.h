// Taking a picture of a rectangle of the screen and writing it as a JPEG file.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

class QImage;
class QRect;

namespace quorvex::capture {

// The picture's JPEG quality on libjpeg's 0-100 scale.
inline constexpr int kPictureQuality = 100;

// One capture. Create one per picture; it is not needed afterwards.
class TCatchImg {
 public:
  // `window` stands in with its own rendering where the screen cannot be read (a Wayland
  // session); may be null.
  explicit TCatchImg(QWidget* window = nullptr) : window_(window) {}

  // CatchRect() takes the pixels the screen shows in the rectangle (right and bottom
  // exclusive; windows lying above and the window manager's frames included), encodes them
  // as JPEG and writes them to `path`, replacing the file there only once the whole picture
  // is written. Returns false when anything failed; the file at `path` is then as it was
  // and ErrorString() says why.
  bool CatchRect(int left, int top, int right, int bottom, const QString& path);

  // The JPEG of the picture taken by CatchRect(), kept even when writing it failed; empty
  // when no picture could be taken.
  const QByteArray& Jpeg() const { return jpeg_; }
  const QString& ErrorString() const { return error_; }

 private:
  QImage Grab(const QRect& rect) const;

  QPointer<QWidget> window_;
  QByteArray jpeg_;
  QString error_;
};

// Whether the screen's pixels can be read here (not in a Wayland session).
bool CanReadScreen();

}  // namespace quorvex::capture
