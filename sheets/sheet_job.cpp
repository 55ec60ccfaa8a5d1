#include "sheets/sheet_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string_view>

#include "sheets/engine/sheet_headers.h"
#include "sheets/sheet_messages.h"
#include "sheets/workbook/workbook_open.h"
#include "sheets/workbook/workbook_sheet.h"

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

std::string Shown(const std::string& name, bool output) {
  return name == "-" ? (output ? messages::kStandardOutput : messages::kStandardInput) : name;
}

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

// The folder of `path`.
std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
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

// Where the records go: standard output, a device written in place, or a temporary file
// renamed over the target at the end.
class Output {
 public:
  ~Output() { Abort(); }

  bool Open(const std::string& target, std::string& error) {
    name_ = Shown(target, true);
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

  int Fd() const { return fd_; }
  const std::string& Name() const { return name_; }
  // The name the file written in place of the target is opened by; empty when written directly.
  const std::string& Temporary() const { return temporary_; }
  // The folder of the target.
  std::string Folder() const { return FolderOf(target_); }

  // Commit() makes the output final: flushed to disk and renamed over the target.
  bool Commit(std::string& error) {
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

  void Abort() {
    if (own_) close(fd_);
    own_ = false;
    if (!temporary_.empty() && !unnamed_) {
      RemoveOnSignal({});
      unlink(temporary_.c_str());
    }
    temporary_.clear();
  }

 private:
  // Gives the unnamed file a temporary name beside the target, which temporary_ then holds.
  bool Link() {
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

  int fd_ = -1;
  bool own_ = false;
  bool unnamed_ = false;  // the file has no name yet (temporary_ is its /proc/self/fd name)
  std::string name_;
  std::string target_;
  std::string temporary_;
};

class Input {
 public:
  ~Input() {
    if (own_) close(fd_);
  }

  bool Open(const std::string& path, std::string& error) {
    name_ = Shown(path, false);
    if (path == "-") {
      fd_ = STDIN_FILENO;
      return true;
    }
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
      error = messages::CannotRead(name_, Reason());
      return false;
    }
    own_ = true;
    struct stat st {};
    if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      error = messages::CannotRead(name_, messages::SystemText(EISDIR));
      return false;
    }
    return true;
  }

  // Spool() copies a pipe to an unnamed temporary file, so it can be read twice.
  bool Spool(std::string& error) {
    if (lseek(fd_, 0, SEEK_CUR) >= 0) return true;
    const char* dir = std::getenv("TMPDIR");
    const std::string folder = dir != nullptr && *dir != '\0' ? dir : "/tmp";
    int copy = open(folder.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
    if (copy < 0) {
      std::string pattern = folder + "/quorvex-calc-XXXXXX";
      copy = mkostemp(pattern.data(), O_CLOEXEC);
      if (copy >= 0) unlink(pattern.c_str());
    }
    if (copy < 0) {
      error = messages::CannotRead(name_, messages::CannotKeepCopy(folder, Reason()));
      return false;
    }
    if (own_) close(fd_);
    const int from = fd_;
    fd_ = copy;
    own_ = true;
    FdSource source(from, name_, nullptr);
    FdSink sink(copy, "a copy of " + name_ + " in " + folder, nullptr);
    std::string buffer(std::size_t{256} << 10, '\0');
    for (;;) {
      const long n = source.Read(buffer.data(), buffer.size(), error);
      if (n < 0) return false;
      if (n == 0) break;
      if (!sink.Write(std::string_view(buffer.data(), static_cast<std::size_t>(n)), error)) return false;
    }
    if (lseek(fd_, 0, SEEK_SET) != 0) {
      error = messages::CannotRead(name_, messages::CannotReadCopy(Reason()));
      return false;
    }
    return true;
  }

  int Fd() const { return fd_; }
  const std::string& Name() const { return name_; }

 private:
  int fd_ = -1;
  bool own_ = false;
  std::string name_;
};

// Whether a worksheet has a header row where the engine looks for one. Reads at most its first
// rows; the worksheet is selected again to be computed.
bool HasHeaderRow(WorkbookRows& book) {
  std::vector<std::string> row;
  HeaderSearch search;
  Layout layout;
  while (book.Next(row)) {
    const HeaderSearch::Seen seen = search.Offer({row.begin(), row.end()}, book.Line(), book.Line() + 1, layout);
    if (seen != HeaderSearch::Seen::kAbove) return seen == HeaderSearch::Seen::kHeader;
  }
  return false;
}

// The worksheets of a workbook to compute: the one the job names, the only one, or every shown
// one with a header row (the first shown one when none has, to be refused with why). Those
// left out are named in the summary. False with a usage error when the job names none of them.
bool ChooseSheets(WorkbookRows& book, const SheetJob& job, std::vector<std::size_t>& chosen, SheetSummary& summary) {
  const std::vector<WorkbookSheet>& sheets = book.Sheets();
  if (!job.sheet.empty()) {
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      if (sheets[i].name == job.sheet) {
        chosen.push_back(i);
        return true;
      }
    }
    std::vector<std::string> names;
    names.reserve(sheets.size());
    for (const WorkbookSheet& s : sheets) names.push_back(s.name);
    summary.error.kind = SheetErrorKind::kUsage;
    summary.error.reason = messages::NoSuchSheet(job.input, job.sheet, names);
    return false;
  }
  if (sheets.size() <= 1) {
    chosen.push_back(0);
    return true;
  }
  std::size_t firstShown = sheets.size();
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i].hidden) {
      summary.skippedSheets.push_back(messages::HiddenSheet(sheets[i].name));
      continue;
    }
    firstShown = std::min(firstShown, i);
    if (book.Select(i) && HasHeaderRow(book)) {
      chosen.push_back(i);
    } else {
      summary.skippedSheets.push_back(messages::SheetWithoutHeader(sheets[i].name));
    }
  }
  if (chosen.empty()) chosen.push_back(firstShown < sheets.size() ? firstShown : 0);
  return true;
}

}  // namespace

SheetSummary RunSheet(const SheetJob& job, const ProgressFunction& progress, const std::atomic<bool>* cancel) {
  SheetSummary summary;
  // Fails the summary with an error of kind `kind`, its reason written into summary.error before.
  const auto failed = [&summary](SheetErrorKind kind) {
    summary.error.kind = kind;
    return summary;
  };
  // A workbook is one by its content whatever its name says (a clerk's file.csv that is one).
  const bool bookIn = job.inFormat == Format::kXlsx || (job.input != "-" && IsWorkbookFile(job.input));
  const bool bookOut = job.outFormat == Format::kXlsx;
  if (bookIn && job.input == "-") {
    summary.error.reason = messages::kWorkbookFromStandardInput;
    return failed(SheetErrorKind::kUsage);
  }
  if (bookOut && job.output == "-") {
    summary.error.reason = messages::kWorkbookToStandardOutput;
    return failed(SheetErrorKind::kUsage);
  }
  if (!bookIn && !job.sheet.empty()) {
    summary.error.reason = messages::SheetOfNoWorkbook(job.sheet);
    return failed(SheetErrorKind::kUsage);
  }
  Input input;
  std::unique_ptr<WorkbookRows> book;
  std::vector<std::size_t> chosen;  // the workbook's sheets to compute
  if (bookIn) {
    book = OpenWorkbook(job.input, summary.error);
    if (!book) return summary;
    if (!ChooseSheets(*book, job, chosen, summary)) return summary;
  } else if (!input.Open(job.input, summary.error.reason)) {
    return failed(SheetErrorKind::kRead);
  }
  const bool twoPasses = !bookIn && job.inFormat == Format::kJsonLines && IsTable(job.outFormat);
  if (twoPasses && !input.Spool(summary.error.reason)) return failed(SheetErrorKind::kRead);
  Output output;
  if (!output.Open(job.output, summary.error.reason)) return failed(SheetErrorKind::kWrite);
  // Declared after the output, so that an unfinished workbook is dropped before the
  // temporary file is removed.
  XlsxWriter bookWriter;
  if (bookOut) {
    if (output.Temporary().empty()) {
      summary.error.reason = messages::CannotWrite(output.Name(), messages::kWorkbookToRegularFile);
      return failed(SheetErrorKind::kWrite);
    }
    if (!bookWriter.Open(output.Temporary(), output.Name(), output.Folder())) {
      summary.error.reason = bookWriter.Error();
      return failed(SheetErrorKind::kWrite);
    }
    // Dates go out as the serials they came in as: they count from the input's epoch.
    if (book) bookWriter.SetDate1904(book->Date1904());
  }

  FdSource fdSource(input.Fd(), input.Name(), cancel);
  FdSink fdSink(output.Fd(), output.Name(), cancel);
  BookSink bookSink(bookWriter);
  SheetSink& sink = bookOut ? static_cast<SheetSink&>(bookSink) : fdSink;
  const EngineOptions options{bookIn ? Format::kXlsx : job.inFormat, job.outFormat,
                              bookIn ? Encoding::kUtf8 : job.encoding, job.threads};
  EngineResult result;
  if (!bookIn) {
    result = ComputeSheet(fdSource, sink, options, progress, cancel);
  } else {
    // Each worksheet in turn: into a sheet of its name, or into the one text result, where a
    // leading column names it when there are several.
    const std::vector<WorkbookSheet>& sheets = book->Sheets();
    SheetPart part;
    EngineResult firstRefusal;
    std::uint64_t before = 0;  // the records of the sheets done, for the progress
    const ProgressFunction sheetProgress = [&](const SheetProgress& p) {
      progress({p.bytesRead, p.bytesTotal, before + p.records});
    };
    for (std::size_t n = 0; n < chosen.size(); ++n) {
      const WorkbookSheet& sheet = sheets[chosen[n]];
      if (!book->Select(chosen[n])) {
        summary.error.reason = book->Error();
        return failed(SheetErrorKind::kRead);
      }
      bookSink.sheet = sheet.name;
      part.sheet = chosen.size() > 1 && !bookOut ? sheet.name : std::string();
      EngineResult one =
          ComputeSheet(*book, sink, options, progress ? sheetProgress : ProgressFunction(), cancel, part);
      if (one.error.kind == SheetErrorKind::kSheet) one.error.sheet = sheet.name;
      if (chosen.size() > 1 && one.noHeader && !one.cancelled) {
        summary.skippedSheets.push_back(messages::SheetWithoutHeader(sheet.name));
        if (!firstRefusal.error.failed()) firstRefusal = std::move(one);
        continue;
      }
      result.records += one.records;
      result.rejected += one.rejected;
      result.totals += one.totals;
      before = result.records;
      if (one.cancelled || one.error.failed()) {
        result.cancelled = one.cancelled;
        result.error = std::move(one.error);
        break;
      }
      // Into one text result, a sheet whose header is the last one's does not repeat it; each
      // worksheet of a workbook result has its own header row.
      if (!bookOut) part.header = std::move(one.header);
      summary.sheets.push_back(sheet.name);
    }
    if (summary.sheets.empty() && !result.cancelled && !result.error.failed()) result.error = firstRefusal.error;
  }
  summary.records = result.records;
  summary.rejected = result.rejected;
  summary.totals = result.totals;
  summary.cancelled = result.cancelled;
  if (result.cancelled) {
    summary.error.reason = "cancelled";
    return failed(SheetErrorKind::kCancelled);  // the output's destructor removes the temporary file
  }
  if (result.error.failed()) {
    // The sheet's own problems are told after the input's name; the others name their file.
    summary.error = result.error;
    if (summary.error.kind == SheetErrorKind::kSheet) summary.error.file = bookIn ? job.input : input.Name();
    return summary;
  }
  if (bookOut && !bookWriter.Close()) {
    summary.error.reason = bookWriter.Error();
    return failed(SheetErrorKind::kWrite);
  }
  if (!output.Commit(summary.error.reason)) return failed(SheetErrorKind::kWrite);
  summary.ok = true;
  return summary;
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
