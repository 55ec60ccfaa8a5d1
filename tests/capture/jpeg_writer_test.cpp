// The JPEG encoder and the file writer that never leaves a partial file.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "capture/jpeg_writer.h"
#include "capture/save_file.h"
#include "support/file_size_limit.h"
#include "support/jpeg_check.h"

using namespace quorvex::capture;
using namespace quorvex::testing;

namespace {

// A window-like picture: flat areas, a gradient and dark text.
QImage SamplePicture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(255, 251, 240));
  QPainter p(&image);
  QLinearGradient ramp(0, 0, width, 0);
  ramp.setColorAt(0, QColor(20, 60, 200));
  ramp.setColorAt(1, QColor(230, 120, 40));
  p.fillRect(0, 0, width, 30, ramp);
  p.setPen(Qt::black);
  p.drawText(QRect(20, 60, width - 40, 40), QStringLiteral("Quorvex 5000.00"));
  p.fillRect(40, 120, 120, 24, Qt::white);
  return image;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class JpegWriterTest : public QObject {
  Q_OBJECT

 private slots:
  void encodesBaselineJfifWithQualityHundredTables() {
    QByteArray jpeg;
    QString error;
    QVERIFY(EncodeJpeg(SamplePicture(480, 600), 100, &jpeg, &error));
    const JpegLayout layout = InspectJpeg(jpeg);
    QVERIFY(layout.wellFormed);
    QVERIFY(layout.jfif);
    QCOMPARE(layout.frameMarkers, QList<int>{0xC0});
    QCOMPARE(layout.precision, 8);
    QCOMPARE(layout.width, 480);
    QCOMPARE(layout.height, 600);
    QCOMPARE(layout.components, 3);
    QCOMPARE(layout.quantTables.size(), 2);
    for (const QList<int>& table : layout.quantTables) QCOMPARE(table, QList<int>(64, 1));
  }

  void libraryErrorsFailOnlyTheCall_data() {
    QTest::addColumn<QImage>("picture");
    QTest::newRow("wider than a JPEG can be") << QImage(65501, 1, QImage::Format_RGB32);
    QTest::newRow("no picture at all") << QImage();
  }
  void libraryErrorsFailOnlyTheCall() {
    QFETCH(QImage, picture);
    picture.fill(Qt::gray);
    QByteArray jpeg("earlier");
    QString error;
    QVERIFY(!EncodeJpeg(picture, 100, &jpeg, &error));
    QCOMPARE(jpeg, QByteArray("earlier"));
    QVERIFY(!error.isEmpty());
    // The process goes on, and the encoder still works.
    QVERIFY(EncodeJpeg(SamplePicture(16, 16), 100, &jpeg, &error));
  }

  void failedWriteKeepsTheEarlierFileAndLeavesNoTrace_data() {
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("name");
    QTest::newRow("disk full") << true << "picture.jpg";
    QTest::newRow("folder missing") << false << "missing/picture.jpg";
  }
  void failedWriteKeepsTheEarlierFileAndLeavesNoTrace() {
    QFETCH(bool, diskFull);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QString error;
    if (diskFull) QVERIFY(WriteFileReplacing(path, "earlier", &error));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    bool written = true;
    {
      std::optional<FileSizeLimit> full;
      if (diskFull) full.emplace();
      written = WriteFileReplacing(path, QByteArray(100000, 'x'), &error);
    }
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    if (diskFull) QCOMPARE(ReadAll(path), QByteArray("earlier"));
  }
};

QTEST_MAIN(JpegWriterTest)
#include "jpeg_writer_test.moc"
