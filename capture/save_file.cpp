#include "capture/save_file.h"

#include <QSaveFile>
#include <cerrno>

namespace quorvex::capture {
namespace {

// Writes all of `bytes`, continuing after short writes. A disk that fills up mid-way first
// takes part of the data without complaint; only the next write fails and carries the
// system's reason (no space left on the device, file too large, ...).
bool WriteAll(QSaveFile& file, const QByteArray& bytes) {
  qint64 done = 0;
  while (done < bytes.size()) {
    const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error, int* why) {
  // The error number of the call that failed, read before anything else can change it.
  const auto failed = [&](QSaveFile& f) {
    if (why != nullptr) *why = errno;
    *error = f.errorString();
  };
  QSaveFile file(path);
  // Never fall back to writing the target in place: a failure would then destroy it.
  file.setDirectWriteFallback(false);
  // Unbuffered, so every write reaches the file here and its failure is seen: a buffered
  // tail that fails to go out when the file is committed would still be renamed into place,
  // cut short, and reported as written.
  errno = 0;
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    failed(file);
    return false;
  }
  if (!WriteAll(file, bytes)) {
    failed(file);
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    failed(file);
    return false;
  }
  return true;
}

}  // namespace quorvex::capture
