// A capture saved through the real save dialog writes the picture and tmp.jpg and nothing
// else: no dialog state in the user's configuration (QtProject.conf), whatever was there.
// The process runs with HOME and the XDG folders pointed at a fresh folder, set before Qt
// starts, so every file Qt would write for the user lands where the test can see it.
#include <QAction>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/frm_main.h"
#include "app/window_capture.h"
#include "support/gui_test.h"
#include "support/modal_answerer.h"

using quorvex::app::TFrmMain;
using namespace quorvex::testing;

namespace {

// Every file under `folder`, as paths relative to it, sorted.
QStringList FilesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What another Qt program may have left in the user's Qt settings.
const QByteArray kOtherProgramsSettings =
    "[FileDialog]\nhistory=file:///srv/elsewhere\nlastVisited=file:///srv/elsewhere\nviewMode=Detail\n";

}  // namespace

class CaptureLeavesNoFilesTest : public QObject {
  Q_OBJECT

 public:
  explicit CaptureLeavesNoFilesTest(QString home) : home_(std::move(home)) {}

 private:
  QString home_;
  QString SettingsPath() const { return home_ + "/.config/QtProject.conf"; }

  // One capture: the real dialog, a name typed into it and Enter, as a user saves.
  void CaptureAs(TFrmMain& window, const QString& typed) {
    ModalAnswerer boxes;
    boxes.Expect<QFileDialog>([&](QFileDialog* dialog) {
      auto* name = Child<QLineEdit>(dialog, "fileNameEdit");
      name->setText(typed);
      QTest::keyClick(name, Qt::Key_Return);
    });
    Child<QAction>(&window, "Menu_Img")->trigger();
    QVERIFY(boxes.AllAnswered());
    QCOMPARE(boxes.StrayCount(), 0);
  }

 private slots:
  void onlyThePictureAndTmpAreWritten_data() {
    QTest::addColumn<bool>("settingsBefore");
    QTest::newRow("no Qt settings file before") << false;
    QTest::newRow("another program's Qt settings kept as they were") << true;
  }
  void onlyThePictureAndTmpAreWritten() {
    QFETCH(bool, settingsBefore);
    QDir(home_).removeRecursively();
    QVERIFY(QDir().mkpath(home_ + "/.config"));
    if (settingsBefore) {
      QFile f(SettingsPath());
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(kOtherProgramsSettings);
    }
    const QStringList before = FilesUnder(home_);
    QTemporaryDir program;
    quorvex::app::SetProgramFolder([&] { return program.path(); });
    {
      TFrmMain window;
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      // Twice: the second dialog is the one that would find (and rewrite) a saved state.
      CaptureAs(window, home_ + "/first");
      CaptureAs(window, home_ + "/second");
    }
    quorvex::app::SetProgramFolder({});

    QStringList expected = before;
    expected << "first.jpg"
             << "second.jpg";
    expected.sort();
    QCOMPARE(FilesUnder(home_), expected);
    QCOMPARE(FilesUnder(program.path()), QStringList{"tmp.jpg"});
    if (settingsBefore) QCOMPARE(ReadAll(SettingsPath()), kOtherProgramsSettings);
  }
};

int main(int argc, char* argv[]) {
  // Before the application exists: Qt reads these once, when it first needs them.
  QTemporaryDir root;
  const QString home = root.filePath("home");
  qputenv("HOME", QFile::encodeName(home));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
  qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
  qputenv("XDG_STATE_HOME", QFile::encodeName(home + "/.local/state"));
  QApplication app(argc, argv);
  CaptureLeavesNoFilesTest test(home);
  return QTest::qExec(&test, argc, argv);
}

#include "capture_leaves_no_files_test.moc"
