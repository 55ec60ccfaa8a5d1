// A preloaded library that makes system calls fail, for the command-level fault tests:
//   QUORVEX_FAIL_READ_AFTER=N   read() of standard input fails with EIO after N bytes
//   QUORVEX_FAIL_WRITE_AFTER=N  write() to standard output or to a file the program opened
//                               fails with ENOSPC after N bytes
//   QUORVEX_FAIL_RENAME=1       rename() fails with EIO
//   QUORVEX_FAIL_FSYNC=1        fsync() fails with EIO
//   QUORVEX_FAIL_FDATASYNC=1    fdatasync() fails with EIO
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

long Limit(const char* name) {
  const char* v = std::getenv(name);
  return v == nullptr ? -1 : std::strtol(v, nullptr, 10);
}

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Whether the call `variable` names is to fail: then errno is EIO.
bool Fails(const char* variable) {
  if (Limit(variable) <= 0) return false;
  errno = EIO;
  return true;
}

long gRead = 0;
long gWritten = 0;

}  // namespace

// The C library's own names are kept for its functions.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {

ssize_t read(int fd, void* data, size_t size) {
  static const auto real = Next<ssize_t (*)(int, void*, size_t)>("read");
  const long limit = Limit("QUORVEX_FAIL_READ_AFTER");
  if (fd != 0 || limit < 0) return real(fd, data, size);
  if (gRead >= limit) {
    errno = EIO;
    return -1;
  }
  const auto allowed = static_cast<size_t>(limit - gRead);
  const ssize_t n = real(fd, data, size < allowed ? size : allowed);
  if (n > 0) gRead += n;
  return n;
}

ssize_t write(int fd, const void* data, size_t size) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const long limit = Limit("QUORVEX_FAIL_WRITE_AFTER");
  if (fd == 2 || limit < 0) return real(fd, data, size);
  if (gWritten >= limit) {
    errno = ENOSPC;
    return -1;
  }
  const auto allowed = static_cast<size_t>(limit - gWritten);
  const ssize_t n = real(fd, data, size < allowed ? size : allowed);
  if (n > 0) gWritten += n;
  return n;
}

int rename(const char* from, const char* to) {
  static const auto real = Next<int (*)(const char*, const char*)>("rename");
  return Fails("QUORVEX_FAIL_RENAME") ? -1 : real(from, to);
}

int fsync(int fd) {
  static const auto real = Next<int (*)(int)>("fsync");
  return Fails("QUORVEX_FAIL_FSYNC") ? -1 : real(fd);
}

int fdatasync(int fd) {
  static const auto real = Next<int (*)(int)>("fdatasync");
  return Fails("QUORVEX_FAIL_FDATASYNC") ? -1 : real(fd);
}

}  // extern "C"
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
