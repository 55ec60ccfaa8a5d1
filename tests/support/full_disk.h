// A real full disk: a small tmpfs mounted on a fresh folder and filled until only `room`
// bytes are left, unmounted when the object goes. Mounting needs root (CAP_SYS_ADMIN);
// Mounted() says whether it worked, so a test can skip where it cannot.
#pragma once

#include <sys/mount.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace quorvex::testing {

class FullDisk {
 public:
  explicit FullDisk(qint64 room) {
    const QByteArray where = QFile::encodeName(dir_.path());
    mounted_ = dir_.isValid() && mount("tmpfs", where.constData(), "tmpfs", 0, "size=256k") == 0;
    if (!mounted_) return;
    // Fill in whole pages until the disk refuses, then give back `room` bytes.
    QFile filler(dir_.filePath("filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {
    }
    filler.resize(filler.size() > room ? filler.size() - room : 0);
  }
  ~FullDisk() {
    if (mounted_) umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  bool Mounted() const { return mounted_; }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
};

}  // namespace quorvex::testing
