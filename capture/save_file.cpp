#include "capture/save_file.h"

#include <QSaveFile>

namespace quorvex::capture {

bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  // Never fall back to writing the target in place: a failure would then destroy it.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    *error = file.errorString();
    return false;
  }
  if (file.write(bytes) != bytes.size()) {
    *error = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace quorvex::capture
