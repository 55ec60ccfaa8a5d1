// A preloaded library that makes system calls fail, for the command-level fault tests:
//   QUORVEX_FAIL_READ_AFTER=N   read() of standard input fails with EIO after N bytes
//   QUORVEX_FAIL_WRITE_AFTER=N  write() to standard output or to a file the program opened
//                               fails with ENOSPC after N bytes; so do the writes of a stream
//                               that fopen() or fdopen() opened for writing (the workbook
//                               library's scratch files and its zip), which the C library
//                               would otherwise make without calling write()
//   QUORVEX_FAIL_RENAME=1       rename() fails with EIO
//   QUORVEX_FAIL_FSYNC=1        fsync() fails with EIO
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // extern "C"

namespace {

// A stream whose reads and writes go through read() and write() above: the cookie holds its
// descriptor.
int FdOf(void* cookie) { return *static_cast<int*>(cookie); }
ssize_t CookieRead(void* cookie, char* data, size_t size) { return read(FdOf(cookie), data, size); }
ssize_t CookieWrite(void* cookie, const char* data, size_t size) { return write(FdOf(cookie), data, size); }
int CookieSeek(void* cookie, off64_t* offset, int whence) {
  const off_t at = lseek(FdOf(cookie), *offset, whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}
int CookieClose(void* cookie) { return close(FdOf(cookie)); }

bool Writes(const char* mode) { return std::strpbrk(mode, "wa+") != nullptr; }

// Each stream's cookie is its descriptor's place here: nothing to free, so a stream its
// program never closes leaks nothing.
std::array<int, 4096> gDescriptors;

FILE* Counted(int fd, const char* mode) {
  if (fd < 0 || static_cast<std::size_t>(fd) >= gDescriptors.size()) {
    errno = EMFILE;
    return nullptr;
  }
  const cookie_io_functions_t io{CookieRead, CookieWrite, CookieSeek, CookieClose};
  gDescriptors[static_cast<std::size_t>(fd)] = fd;
  return fopencookie(&gDescriptors[static_cast<std::size_t>(fd)], mode, io);
}

FILE* CountedFile(const char* path, const char* mode) {
  int flags = std::strchr(mode, '+') != nullptr ? O_RDWR : O_WRONLY;
  if (mode[0] == 'w') flags |= O_CREAT | O_TRUNC;
  if (mode[0] == 'a') flags |= O_CREAT | O_APPEND;
  const int fd = open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* stream = Counted(fd, mode);
  if (stream == nullptr) close(fd);
  return stream;
}

}  // namespace

extern "C" {

FILE* fdopen(int fd, const char* mode) {
  static const auto real = Next<FILE* (*)(int, const char*)>("fdopen");
  if (Limit("QUORVEX_FAIL_WRITE_AFTER") < 0 || !Writes(mode)) return real(fd, mode);
  return Counted(fd, mode);
}

FILE* fopen(const char* path, const char* mode) {
  static const auto real = Next<FILE* (*)(const char*, const char*)>("fopen");
  if (Limit("QUORVEX_FAIL_WRITE_AFTER") < 0 || !Writes(mode)) return real(path, mode);
  return CountedFile(path, mode);
}

// The zip library opens its output by the large-file name.
FILE* fopen64(const char* path, const char* mode) {
  static const auto real = Next<FILE* (*)(const char*, const char*)>("fopen64");
  if (Limit("QUORVEX_FAIL_WRITE_AFTER") < 0 || !Writes(mode)) return real(path, mode);
  return CountedFile(path, mode);
}

}  // extern "C"
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
