// The JPEG encoder, and the file writer that never leaves a partial file and says why it failed.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "capture/jpeg_writer.h"
#include "capture/save_file.h"
#include "support/file_size_limit.h"
#include "support/full_disk.h"
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

// How a file cannot be written.
enum class Obstacle { FullDisk, SizeLimit, MissingFolder };

}  // namespace

Q_DECLARE_METATYPE(Obstacle)

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

  // The file writer under each way a write can fail, for a picture small enough to sit in
  // a write buffer and for a large one. A failed write names the system's own reason, keeps
  // the earlier file byte for byte and leaves nothing beside it.
  void failedWriteKeepsTheEarlierFileAndNamesTheReason_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("reason");  // the errno whose text is expected; 0: any text
    for (const auto& [label, size] : {std::pair{"12 KB picture", 12 * 1024}, std::pair{"200 KB picture", 200 * 1024}}) {
      QTest::addRow("full disk, %s", label) << Obstacle::FullDisk << size << ENOSPC;
      QTest::addRow("file size limit, %s", label) << Obstacle::SizeLimit << size << EFBIG;
    }
    QTest::newRow("folder missing") << Obstacle::MissingFolder << 8 * 1024 << 0;
  }
  void failedWriteKeepsTheEarlierFileAndNamesTheReason() {
    QFETCH(Obstacle, obstacle);
    QFETCH(int, size);
    QFETCH(int, reason);
    // A disk with 12 KB left, 8 KB once the earlier file is on it: the first part of the
    // picture goes in, the rest cannot.
    FullDisk disk(qint64{12} * 1024);
    QTemporaryDir dir;
    QString path = dir.filePath(obstacle == Obstacle::MissingFolder ? "missing/picture.jpg" : "picture.jpg");
    if (obstacle == Obstacle::FullDisk) {
      if (!disk.Mounted()) QSKIP("cannot mount a small file system here (needs root)");
      path = disk.FilePath("picture.jpg");
    }
    const QString folder = QFileInfo(path).path();
    QString error;
    if (obstacle != Obstacle::MissingFolder) QVERIFY(WriteFileReplacing(path, "earlier", &error));
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    bool written = true;
    {
      std::optional<FileSizeLimit> limit;
      if (obstacle == Obstacle::SizeLimit) limit.emplace();
      written = WriteFileReplacing(path, QByteArray(size, 'x'), &error);
    }
    QVERIFY(!written);
    if (reason != 0) {
      QCOMPARE(error, QString::fromLocal8Bit(std::strerror(reason)));
    } else {
      QVERIFY(!error.isEmpty());
    }
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    if (obstacle != Obstacle::MissingFolder) QCOMPARE(ReadAll(path), QByteArray("earlier"));
  }

  void writeThatFitsReplacesTheFileWhole() {
    FullDisk disk(qint64{64} * 1024);
    if (!disk.Mounted()) QSKIP("cannot mount a small file system here (needs root)");
    const QString path = disk.FilePath("picture.jpg");
    QString error;
    QVERIFY(WriteFileReplacing(path, "earlier", &error));
    const QByteArray picture(qsizetype{20} * 1024, 'p');
    QVERIFY2(WriteFileReplacing(path, picture, &error), qPrintable(error));
    QCOMPARE(ReadAll(path), picture);
  }
};

QTEST_MAIN(JpegWriterTest)
#include "jpeg_writer_test.moc"
