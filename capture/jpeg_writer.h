// Encoding a picture as a JPEG file image with libjpeg.
#pragma once

#include <QByteArray>
#include <QString>

class QImage;

namespace quorvex::capture {

// EncodeJpeg() encodes `image` from 24-bit colour scanlines as a baseline JFIF at `quality`
// (libjpeg's 0-100 scale), every other setting being libjpeg's default, and stores the
// encoded bytes in `*out`. On any libjpeg error it returns false, leaves `*out` as it was and
// puts libjpeg's message into `*error`; the process is never ended by the library.
[[nodiscard]] bool EncodeJpeg(const QImage& image, int quality, QByteArray* out, QString* error);

}  // namespace quorvex::capture
