#include "app/window_capture.h"

#include <QCoreApplication>
#include <QDir>
#include <QWindow>

#include "app/save_dialog.h"
#include "capture/catch_img.h"
#include "capture/save_file.h"

namespace quorvex::app {
namespace {

constexpr char kTempName[] = "tmp.jpg";
constexpr char kFilter[] = "JPEG(*.jpg)";
constexpr char kSuffix[] = "jpg";
constexpr char kWarningTitle[] = "截图";

QString ProgramFolder(const Services& services) {
  return services.programFolder ? services.programFolder() : QCoreApplication::applicationDirPath();
}

// The window's outer rectangle in screen coordinates, frame and title bar included. Asked of
// the native window: QWidget's record of the frame can lag behind the window manager's.
QRect OuterFrame(const QWidget* window) {
  if (const QWindow* native = window->windowHandle()) return native->frameGeometry();
  return window->frameGeometry();
}

}  // namespace

void SaveWindowPicture(QWidget* window, const Services& services) {
  // The picture is taken before the dialog opens, so it shows the window without it.
  const QString tempPath = QDir(ProgramFolder(services)).filePath(QString::fromUtf8(kTempName));
  const QRect frame = OuterFrame(window);
  capture::TCatchImg catcher(window);
  // A tmp.jpg that cannot be written does not matter here: the picture is still held and
  // goes to the user's file below.
  catcher.CatchRect(frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height(), tempPath);

  const QString target = AskSavePath(window, services, kFilter, kSuffix);
  if (target.isEmpty()) return;

  // The same bytes as tmp.jpg, written afresh rather than copied back from that file.
  QString reason = catcher.ErrorString();
  int why = 0;
  if (!catcher.Jpeg().isEmpty() && capture::WriteFileReplacing(target, catcher.Jpeg(), &reason, &why)) return;
  WarnNotSaved(window, kWarningTitle, target, reason, why);
}

}  // namespace quorvex::app
