// Reading a JPEG file image's structure and comparing pictures, for the capture tests.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <cstdlib>

namespace quorvex::testing {

// What the markers of a JPEG file image say.
struct JpegLayout {
  bool wellFormed = false;  // SOI first, EOI last, every segment complete
  bool jfif = false;        // an APP0 "JFIF" segment right after SOI
  QList<int> frameMarkers;  // the SOFn markers met (0xC0 is baseline)
  int precision = 0, width = 0, height = 0, components = 0;
  QList<QList<int>> quantTables;  // each table's 64 entries
};

inline int Byte(const QByteArray& b, qsizetype i) { return static_cast<unsigned char>(b.at(i)); }
inline int Word(const QByteArray& b, qsizetype i) { return Byte(b, i) << 8 | Byte(b, i + 1); }

inline void ReadQuantTables(const QByteArray& b, qsizetype from, qsizetype end, JpegLayout* out) {
  while (from < end) {
    const bool wide = (Byte(b, from) >> 4) != 0;
    QList<int> table;
    for (int k = 0; k < 64; ++k) table.append(wide ? Word(b, from + 1 + 2 * k) : Byte(b, from + 1 + k));
    out->quantTables.append(table);
    from += 1 + (wide ? 128 : 64);
  }
}

// Walks the segments from SOI up to the start of the scan.
inline JpegLayout InspectJpeg(const QByteArray& b) {
  JpegLayout out;
  if (b.size() < 4 || Word(b, 0) != 0xFFD8 || Word(b, b.size() - 2) != 0xFFD9) return out;
  qsizetype pos = 2;
  bool first = true;
  while (pos + 4 <= b.size() && Byte(b, pos) == 0xFF) {
    const int marker = Byte(b, pos + 1);
    const int length = Word(b, pos + 2);
    const qsizetype body = pos + 4, end = pos + 2 + length;
    if (end > b.size()) return out;
    if (marker == 0xE0 && first && b.mid(body, 5) == QByteArray("JFIF", 5)) out.jfif = true;
    if (marker == 0xDB) ReadQuantTables(b, body, end, &out);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      out.frameMarkers.append(marker);
      out.precision = Byte(b, body);
      out.height = Word(b, body + 1);
      out.width = Word(b, body + 3);
      out.components = Byte(b, body + 5);
    }
    if (marker == 0xDA) {
      out.wellFormed = true;
      return out;
    }
    first = false;
    pos = end;
  }
  return out;
}

// How far apart two pictures of the same size are: the mean absolute difference over all
// colour channels, and the largest difference of any channel.
struct PictureDistance {
  double mean = 0;
  int worst = 0;
};

inline PictureDistance Distance(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
  PictureDistance d;
  if (x.size() != y.size()) return {255, 255};
  long long sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const uchar* p = x.constScanLine(row);
    const uchar* q = y.constScanLine(row);
    for (int i = 0; i < 3 * x.width(); ++i) {
      const int diff = std::abs(p[i] - q[i]);
      sum += diff;
      if (diff > d.worst) d.worst = diff;
    }
  }
  d.mean = static_cast<double>(sum) / (3.0 * x.width() * x.height());
  return d;
}

}  // namespace quorvex::testing
