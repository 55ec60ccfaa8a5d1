// The window capture in a real X session with a window manager: the picture shows the
// window's outer frame as the screen shows it, and is saved where the user chooses.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "app/frm_main.h"
#include "app/window_capture.h"
#include "support/file_size_limit.h"
#include "support/gui_test.h"
#include "support/jpeg_check.h"
#include "support/modal_answerer.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

// The difference JPEG at quality 100 leaves between a picture and its decoded file.
constexpr double kJpegTolerance = 2.0;

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(bytes), bytes.size());
}

QStringList Names(const QString& folder) { return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

// Answers the save dialog with `path`, as a user typing it and pressing Save would.
std::function<bool(QFileDialog&)> SaveAs(const QString& path, const std::function<void()>& before = {}) {
  return [path, before](QFileDialog& dialog) {
    if (before) before();
    dialog.selectFile(path);
    static_cast<QDialog&>(dialog).accept();  // QFileDialog::accept(), by its public base
    return dialog.result() == QDialog::Accepted;
  };
}

bool Cancel(QFileDialog&) { return false; }

// Makes `folder` read-only; false when this user writes into it all the same (root).
bool MakeReadOnly(const QString& folder) {
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
  QFile probe(QDir(folder).filePath("probe"));
  if (!probe.open(QIODevice::WriteOnly)) return true;
  probe.remove();
  return false;
}

void MakeWritable(const QString& folder) {
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// How a file cannot be written: a full disk, or a folder without write permission.
enum class Obstacle { DiskFull, ReadOnlyFolder };

}  // namespace

Q_DECLARE_METATYPE(Obstacle)

class WindowCaptureWmTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFrmMain> window;
  std::function<bool(QFileDialog&)> answer_;
  std::unique_ptr<QTemporaryDir> program;
  std::unique_ptr<QTemporaryDir> saves;

  QString TempPath() const { return program->filePath("tmp.jpg"); }

  // The outer frame as the window system has it now (QWidget's own record can lag behind).
  QRect Frame() const { return window->windowHandle()->frameGeometry(); }

  // The window's own rendering, where its client area lies in a picture of its frame.
  QRect ClientInFrame() const { return QRect(window->geometry().topLeft() - Frame().topLeft(), window->size()); }

  // How far the client area of `picture` lies from the window's own rendering.
  double DistanceFromWindow(const QImage& picture) const {
    return Distance(picture.copy(ClientInFrame()), window->grab().toImage()).mean;
  }

  bool ScreenShowsWindow() const {
    const QRect r = window->geometry();
    const QImage shown = window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    return Distance(shown, window->grab().toImage()).mean < 1.0;
  }

  void Capture(std::function<bool(QFileDialog&)> answer) {
    answer_ = std::move(answer);
    Child<QAction>(window.get(), "Menu_Img")->trigger();
  }

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

  void init() {
    program = std::make_unique<QTemporaryDir>();
    saves = std::make_unique<QTemporaryDir>();
    quorvex::app::Services services;
    services.programFolder = [this] { return program->path(); };
    // The test's answer to the save dialog, or the real dialog when it has none.
    services.runSaveDialog = [this](QFileDialog& dialog) {
      return answer_ ? answer_(dialog) : dialog.exec() == QDialog::Accepted;
    };
    window = std::make_unique<TFrmMain>(nullptr, std::move(services));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get(), kWindowSystemMs));
    QTRY_VERIFY_WITH_TIMEOUT(Frame().height() > window->height(), kWindowSystemMs);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenShowsWindow(), kWindowSystemMs);
  }

  void cleanup() {
    answer_ = {};
    window.reset();
    MakeWritable(program->path());
    MakeWritable(saves->path());
  }

  void pictureShowsTheOuterFrameAsTheScreenShowsIt() {
    Capture(Cancel);
    const QByteArray jpeg = ReadAll(TempPath());
    const JpegLayout layout = InspectJpeg(jpeg);
    QVERIFY(layout.wellFormed && layout.jfif);
    QCOMPARE(layout.frameMarkers, QList<int>{0xC0});
    QCOMPARE(layout.components, 3);
    for (const QList<int>& table : layout.quantTables) QCOMPARE(table, QList<int>(64, 1));

    const QImage picture = QImage::fromData(jpeg, "JPG");

    QCOMPARE(picture.size(), Frame().size());
    QVERIFY(picture.width() >= 480 && picture.height() >= 600);
    const double d = DistanceFromWindow(picture);
    QVERIFY2(d < kJpegTolerance, qPrintable(QString::number(d)));
  }

  void windowLyingAboveIsInThePicture() {
    QWidget cover(nullptr,
                  Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    cover.setAttribute(Qt::WA_ShowWithoutActivating);
    cover.setPalette(QPalette(Qt::red));
    cover.setAutoFillBackground(true);
    const QRect area(window->geometry().center(), QSize(80, 40));
    cover.setGeometry(area);
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover, kWindowSystemMs));
    const auto shownRed = [&] {
      return window->screen()->grabWindow(0, area.x() + 40, area.y() + 20, 1, 1).toImage().pixelColor(0, 0) ==
             QColor(Qt::red);
    };
    QTRY_VERIFY_WITH_TIMEOUT(shownRed(), kWindowSystemMs);

    Capture(Cancel);
    const QImage picture = QImage::fromData(ReadAll(TempPath()), "JPG");
    const QColor seen = picture.pixelColor(area.center() - Frame().topLeft());
    QVERIFY2(seen.red() > 240 && seen.green() < 16 && seen.blue() < 16, qPrintable(seen.name()));
  }

  void savedFileIsTheSamePictureAsTmp_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("name without extension gets .jpg") << "picture"
                                                      << "picture.jpg";
    QTest::newRow("name with .jpg kept") << "shot.jpg"
                                         << "shot.jpg";
  }
  void savedFileIsTheSamePictureAsTmp() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    Capture(SaveAs(saves->filePath(typed)));
    QCOMPARE(Names(saves->path()), QStringList{saved});
    QCOMPARE(Names(program->path()), QStringList{"tmp.jpg"});
    QCOMPARE(ReadAll(saves->filePath(saved)), ReadAll(TempPath()));
  }

  void existingFileIsReplacedOnlyAfterThePrompt_data() {
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("replacing confirmed") << QMessageBox::Yes << true;
    QTest::newRow("replacing declined") << QMessageBox::No << false;
  }
  void existingFileIsReplacedOnlyAfterThePrompt() {
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, replaced);
    const QString target = saves->filePath("shot.jpg");
    WriteAll(target, "earlier");
    ModalAnswerer boxes;
    boxes.Expect<QMessageBox>([answer](QMessageBox* box) {
      QVERIFY(box->text().contains("shot.jpg"));
      box->button(answer)->click();
    });
    Capture(SaveAs(saves->filePath("shot")));
    QVERIFY(boxes.AllAnswered());
    QCOMPARE(boxes.StrayCount(), 0);
    QCOMPARE(ReadAll(target), replaced ? ReadAll(TempPath()) : QByteArray("earlier"));
  }

  void cancelWritesOnlyTmp() {
    ModalAnswerer guard;
    Capture(Cancel);
    QCOMPARE(Names(program->path()), QStringList{"tmp.jpg"});
    QVERIFY(InspectJpeg(ReadAll(TempPath())).wellFormed);
    QVERIFY(Names(saves->path()).isEmpty());
    QCOMPARE(guard.StrayCount(), 0);
  }

  void secondCaptureReplacesTmp() {
    Capture(Cancel);
    const QByteArray first = ReadAll(TempPath());
    Child<QComboBox>(window.get(), "CmbType")->setCurrentIndex(4);
    QTRY_VERIFY_WITH_TIMEOUT(ScreenShowsWindow(), kWindowSystemMs);
    Capture(Cancel);
    const QByteArray second = ReadAll(TempPath());
    QVERIFY(second != first);
    QVERIFY(DistanceFromWindow(QImage::fromData(second, "JPG")) < kJpegTolerance);
  }

  void tmpThatCannotBeWrittenStillSavesThePictureJustTaken_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::newRow("disk full") << Obstacle::DiskFull;
    QTest::newRow("read-only program folder") << Obstacle::ReadOnlyFolder;
  }
  void tmpThatCannotBeWrittenStillSavesThePictureJustTaken() {
    QFETCH(Obstacle, obstacle);
    WriteAll(TempPath(), "stale picture");
    std::optional<FileSizeLimit> full;
    if (obstacle == Obstacle::DiskFull) full.emplace();
    if (obstacle == Obstacle::ReadOnlyFolder && !MakeReadOnly(program->path()))
      QSKIP("this user writes into read-only folders");
    ModalAnswerer guard;
    Capture(SaveAs(saves->filePath("shot.jpg"), [&] { full.reset(); }));
    QCOMPARE(guard.StrayCount(), 0);
    QCOMPARE(ReadAll(TempPath()), QByteArray("stale picture"));
    const QImage picture = QImage::fromData(ReadAll(saves->filePath("shot.jpg")), "JPG");
    QCOMPARE(picture.size(), Frame().size());
    QVERIFY(DistanceFromWindow(picture) < kJpegTolerance);
  }

  void unwritableTargetIsNamedInAWarningAndKeptAsItWas_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<QString>("reason");  // the system's text for it; empty: any text
    // The size limit that stands in for a full disk makes the system say "file too large", in
    // Chinese with its own words after it.
    QTest::newRow("disk full") << Obstacle::DiskFull
                               << QString("文件太大（%1）").arg(QString::fromLocal8Bit(std::strerror(EFBIG)));
    QTest::newRow("read-only target folder") << Obstacle::ReadOnlyFolder << QString();
  }
  void unwritableTargetIsNamedInAWarningAndKeptAsItWas() {
    QFETCH(Obstacle, obstacle);
    QFETCH(QString, reason);
    const QString target = saves->filePath("shot.jpg");
    WriteAll(target, "earlier");
    if (obstacle == Obstacle::ReadOnlyFolder && !MakeReadOnly(saves->path()))
      QSKIP("this user writes into read-only folders");
    std::optional<FileSizeLimit> full;
    QString warning;
    ModalAnswerer boxes;
    boxes.Expect<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    boxes.Expect<QMessageBox>([&](QMessageBox* box) {
      warning = box->text();
      QCOMPARE(box->icon(), QMessageBox::Warning);
      box->button(QMessageBox::Ok)->click();
    });
    Capture(SaveAs(target, [&] {
      if (obstacle == Obstacle::DiskFull) full.emplace();
    }));
    full.reset();
    QVERIFY(boxes.AllAnswered());
    QCOMPARE(boxes.StrayCount(), 0);
    QVERIFY2(warning.contains(target), qPrintable(warning));
    const QString shown = warning.section('\n', 1).trimmed();
    QVERIFY2(reason.isEmpty() ? !shown.isEmpty() : shown == reason, qPrintable(warning));
    QCOMPARE(ReadAll(target), QByteArray("earlier"));
    QCOMPARE(Names(saves->path()), QStringList{"shot.jpg"});
  }

  void theRealDialogSavesUnderTheTypedName() {
    answer_ = {};
    const QString target = saves->filePath("typed.jpg");
    WriteAll(target, "earlier");
    ModalAnswerer boxes;
    boxes.Expect<QFileDialog>([&](QFileDialog* dialog) {
      QCOMPARE(dialog->nameFilters(), QStringList{"JPEG(*.jpg)"});
      QCOMPARE(Child<QComboBox>(dialog, "fileTypeCombo")->currentText(), QString("JPEG(*.jpg)"));
      QCOMPARE(dialog->defaultSuffix(), QString("jpg"));
      QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
      QVERIFY(!dialog->testOption(QFileDialog::ReadOnly));
      QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
      auto* name = Child<QLineEdit>(dialog, "fileNameEdit");
      name->setText(saves->filePath("typed"));
      QTest::keyClick(name, Qt::Key_Return);
    });
    boxes.Expect<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    Child<QAction>(window.get(), "Menu_Img")->trigger();
    QVERIFY(boxes.AllAnswered());
    QCOMPARE(boxes.StrayCount(), 0);
    QCOMPARE(ReadAll(target), ReadAll(TempPath()));
    // Taken before the dialog opened: the picture shows the window without it.
    QVERIFY(DistanceFromWindow(QImage::fromData(ReadAll(target), "JPG")) < kJpegTolerance);
  }
};

QTEST_MAIN(WindowCaptureWmTest)
#include "window_capture_wm_test.moc"
