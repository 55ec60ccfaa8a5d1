#include "sheets/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string_view>

#include "sheets/sheet_messages.h"

namespace quorvex::sheets {
namespace {

// The temporary output file of the running job, for the signal handler.
char gTemporary[PATH_MAX + 32];
volatile std::sig_atomic_t gHaveTemporary = 0;

void OnSignal(int signal) {
  if (gHaveTemporary != 0) unlink(gTemporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

std::string Reason() { return messages::SystemText(errno); }

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string ShownName(const std::string& name, bool output) {
  return name == "-" ? (output ? messages::kStandardOutput : messages::kStandardInput) : name;
}

namespace {

// The mode a new file gets: 0666 less the process's umask, read without changing it.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "Umask:") {
      std::string value;
      status >> value;
      return 0666 & ~static_cast<mode_t>(std::strtoul(value.c_str(), nullptr, 8));
    }
  }
  return 0644;
}

// Whether an office program holds `path` open: it marks the file with an owner file beside
// it (.~lock.NAME# or ~$NAME), and would overwrite a result replaced under it.
bool HeldOpen(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st {};
  return stat((folder + ".~lock." + name + "#").c_str(), &st) == 0 || stat((folder + "~$" + name).c_str(), &st) == 0;
}

// The name of the temporary file beside `target`: the target's name and ".part-XXXXXX", the
// name cut short where both together would pass the longest name a folder holds.
std::string TemporaryPattern(const std::string& target) {
  constexpr std::size_t kLongestName = 255;
  constexpr std::string_view kSuffix = ".part-XXXXXX";
  const std::size_t slash = target.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string pattern = target.substr(0, std::min(target.size(), nameStart + kLongestName - kSuffix.size()));
  return pattern.append(kSuffix);
}

// The descriptor a name of an open stream stands for (/dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N); -1 for any other name. Opening such a name would open the file behind
// the stream anew, from its start, and replacing it would replace that file: the stream is
// written instead, as the shell opened it (appended to with >>).
int StreamOf(const std::string& name) {
  if (name == "/dev/stdout") return STDOUT_FILENO;
  if (name == "/dev/stderr") return STDERR_FILENO;
  for (const std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
    if (name.size() <= folder.size() || name.compare(0, folder.size(), folder) != 0) continue;
    int fd = 0;
    const char* const end = name.data() + name.size();
    const auto [ptr, ec] = std::from_chars(name.data() + folder.size(), end, fd);
    return ec == std::errc() && ptr == end ? fd : -1;
  }
  return -1;
}

// The file a symbolic link leads to in the end, also when it does not exist (yet); `path`
// itself when it is no link. Empty when the links go round.
std::string FinalTarget(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    char link[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), link, sizeof link - 1);
    if (n < 0) return at;
    const std::string_view to(link, static_cast<std::size_t>(n));
    const std::size_t slash = at.rfind('/');
    at = to.front() == '/' || slash == std::string::npos ? std::string(to) : at.substr(0, slash + 1).append(to);
  }
  return {};
}

}  // namespace

OutputFile::~OutputFile() { Abort(); }

std::string OutputFile::Folder() const { return FolderOf(target_); }

bool OutputFile::Open(const std::string& target, std::string& error) {
  name_ = ShownName(target, true);
  if (target == "-") {
    fd_ = STDOUT_FILENO;
    return true;
  }
  if (const int stream = StreamOf(target); stream >= 0) {
    fd_ = fcntl(stream, F_DUPFD_CLOEXEC, 3);
    own_ = fd_ >= 0;
    if (fd_ < 0) error = messages::CannotWrite(name_, Reason());
    return fd_ >= 0;
  }
  struct stat st {};
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    error = messages::CannotWrite(name_, messages::SystemText(EISDIR));
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device, FIFO or socket is written as it is, never replaced.
    fd_ = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    own_ = fd_ >= 0;
    if (fd_ < 0) error = messages::CannotWrite(name_, Reason());
    return fd_ >= 0;
  }
  // A symbolic link keeps pointing where it did: the file it names is replaced, or made
  // where it names one that is not there.
  char resolved[PATH_MAX];
  target_ = exists && realpath(target.c_str(), resolved) != nullptr ? resolved : FinalTarget(target);
  if (target_.empty()) {
    error = messages::CannotWrite(name_, messages::SystemText(ELOOP));
    return false;
  }
  if (exists && HeldOpen(target_)) {
    error = messages::CannotWrite(name_, messages::kHeldOpen);
    return false;
  }
  // A file its owner marked read-only is not replaced, whoever runs the program.
  if (exists && (st.st_mode & 0222) == 0) {
    error = messages::CannotWrite(name_, messages::kReadOnly);
    return false;
  }
  // Replacing a file with other names (hard links) would leave them holding the old result.
  if (exists && st.st_nlink > 1) {
    error = messages::CannotWrite(name_, messages::kHardLinks);
    return false;
  }
  // The new content has no name until Commit(), so that whatever ends the process first
  // (SIGKILL, a file-size limit) leaves nothing behind. Where the file system has no unnamed
  // files, a temporary file beside the target, removed on failure and on the usual signals.
  fd_ = open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd_ >= 0) {
    temporary_ = "/proc/self/fd/" + std::to_string(fd_);
    unnamed_ = true;
  } else {
    std::string pattern = TemporaryPattern(target_);
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
      error = messages::CannotWrite(name_, Reason());
      return false;
    }
    temporary_ = pattern;
    RemoveOnSignal(temporary_);
  }
  own_ = true;
  // The replacement keeps the file's owner and group where this process may give them (as
  // root, or a group it belongs to); the mode after, as a change of owner clears set-id bits.
  // Where not permitted, the file becomes this user's, as any file it makes.
  [[maybe_unused]] const bool owned =
      !exists || fchown(fd_, st.st_uid, st.st_gid) == 0 || fchown(fd_, static_cast<uid_t>(-1), st.st_gid) == 0;
  if (fchmod(fd_, exists ? (st.st_mode & 07777) : NewFileMode()) != 0) {
    error = messages::CannotWrite(name_, Reason());
    return false;
  }
  return true;
}

bool OutputFile::Commit(std::string& error) {
  if (temporary_.empty()) {
    if (own_ && close(fd_) != 0) {
      own_ = false;
      error = messages::CannotWrite(name_, Reason());
      return false;
    }
    own_ = false;
    return true;
  }
  const bool synced = fsync(fd_) == 0;
  // An unnamed file is linked in under a temporary name first: a link cannot replace a file.
  if (synced && unnamed_ && !Link()) {
    error = messages::CannotWrite(name_, Reason());
    return false;
  }
  const int closed = close(fd_);
  own_ = false;
  if (!synced || closed != 0 || rename(temporary_.c_str(), target_.c_str()) != 0) {
    error = messages::CannotWrite(name_, Reason());
    return false;
  }
  RemoveOnSignal({});
  temporary_.clear();
  // The rename itself reaches the disk with the folder.
  const int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

void OutputFile::Abort() {
  if (own_) close(fd_);
  own_ = false;
  if (!temporary_.empty() && !unnamed_) {
    RemoveOnSignal({});
    unlink(temporary_.c_str());
  }
  temporary_.clear();
}

bool OutputFile::Link() {
  const std::string proc = temporary_;
  for (int attempt = 0; attempt < 100; ++attempt) {  // names taken are tried again
    std::string name = TemporaryPattern(target_);
    static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (std::size_t i = name.size() - 6; i < name.size(); ++i) name[i] = kLetters[random() % kLetters.size()];
    if (linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary_ = name;
      unnamed_ = false;
      RemoveOnSignal(temporary_);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void RemoveOnSignal(const std::string& path) {
  gHaveTemporary = 0;
  if (path.empty() || path.size() >= sizeof gTemporary) return;
  std::memcpy(gTemporary, path.c_str(), path.size() + 1);
  gHaveTemporary = 1;
}

void RemoveTemporaryOutputOnSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace quorvex::sheets
