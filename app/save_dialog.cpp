#include "app/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

#include "app/app_messages.h"
#include "forms/system_text.h"

namespace quorvex::app {
namespace {

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

bool RunSaveDialog(QFileDialog& dialog, const Services& services) {
  if (services.runSaveDialog) return services.runSaveDialog(dialog);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

QString AskSavePath(QWidget* owner, const Services& services, const char* filter, const char* suffix) {
  KeepNoDialogState();
  // Qt's own widgets, the same on every desktop.
  QFileDialog dialog(owner);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromUtf8(filter));
  dialog.setDefaultSuffix(QString::fromUtf8(suffix));
  if (!RunSaveDialog(dialog, services)) return {};
  return dialog.selectedFiles().value(0);
}

void WarnNotSaved(QWidget* owner, const char* title, const QString& path, const QString& reason, int why) {
  // The system's reason in Chinese, with its own words after it, where its error number is known.
  const QString shown = why != 0 ? QString::fromStdString(forms::SystemText(why)) : reason;
  QMessageBox::warning(owner, QString::fromUtf8(title),
                       messages::PictureNotSaved(QDir::toNativeSeparators(path), shown));
}

}  // namespace quorvex::app
