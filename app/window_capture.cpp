#include "app/window_capture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QWindow>

#include "capture/catch_img.h"
#include "capture/save_file.h"

namespace quorvex::app {
namespace {

constexpr char kTempName[] = "tmp.jpg";
constexpr char kFilter[] = "JPEG(*.jpg)";
constexpr char kSuffix[] = "jpg";
constexpr char kWarningTitle[] = "截图";
constexpr char kWarningText[] = "图片未能保存到“%1”。\n%2";

std::function<QString()>& FolderSeam() {
  static std::function<QString()> folder;
  return folder;
}

std::function<bool(QFileDialog&)>& DialogSeam() {
  static std::function<bool(QFileDialog&)> run;
  return run;
}

QString ProgramFolder() { return FolderSeam() ? FolderSeam()() : QCoreApplication::applicationDirPath(); }

bool RunSaveDialog(QFileDialog& dialog) {
  if (DialogSeam()) return DialogSeam()(dialog);
  return dialog.exec() == QDialog::Accepted;
}

// Qt's file dialog keeps its state (last folder, history, view mode) in the user's
// QtProject.conf, read when it opens and written when it goes. This program keeps no
// settings: that file is pointed at a place where no file can ever be (inside /dev/null,
// which is not a folder, whoever the user), so the dialog starts afresh from nothing and its
// state is never written. Nothing else in the program uses QSettings.
void KeepNoDialogState() {
  const QString nowhere = QStringLiteral("/dev/null");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

// The save dialog, prepared but not shown: filter "JPEG(*.jpg)", default suffix "jpg",
// overwrite prompt, no read-only option. Qt's own widgets, the same on every desktop.
void PrepareSaveDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromUtf8(kFilter));
  dialog.setDefaultSuffix(QString::fromUtf8(kSuffix));
}

// The window's outer rectangle in screen coordinates, frame and title bar included. Asked of
// the native window: QWidget's record of the frame can lag behind the window manager's.
QRect OuterFrame(const QWidget* window) {
  if (const QWindow* native = window->windowHandle()) return native->frameGeometry();
  return window->frameGeometry();
}

void WarnNotSaved(QWidget* window, const QString& path, const QString& reason) {
  QMessageBox::warning(window, QString::fromUtf8(kWarningTitle),
                       QString::fromUtf8(kWarningText).arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace

void SetProgramFolder(std::function<QString()> folder) { FolderSeam() = std::move(folder); }

void SetSaveDialogRunner(std::function<bool(QFileDialog&)> run) { DialogSeam() = std::move(run); }

void SaveWindowPicture(QWidget* window) {
  // The picture is taken before the dialog opens, so it shows the window without it.
  const QString tempPath = QDir(ProgramFolder()).filePath(QString::fromUtf8(kTempName));
  const QRect frame = OuterFrame(window);
  capture::TCatchImg catcher(window);
  // A tmp.jpg that cannot be written does not matter here: the picture is still held and
  // goes to the user's file below.
  catcher.CatchRect(frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height(), tempPath);

  KeepNoDialogState();
  QFileDialog dialog(window);
  PrepareSaveDialog(dialog);
  if (!RunSaveDialog(dialog)) return;
  const QString target = dialog.selectedFiles().value(0);
  if (target.isEmpty()) return;

  // The same bytes as tmp.jpg, written afresh rather than copied back from that file.
  QString reason = catcher.ErrorString();
  if (!catcher.Jpeg().isEmpty() && capture::WriteFileReplacing(target, catcher.Jpeg(), &reason)) return;
  WarnNotSaved(window, target, reason);
}

}  // namespace quorvex::app
