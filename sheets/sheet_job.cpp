#include "sheets/sheet_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "sheets/engine/sheet_headers.h"
#include "sheets/output_file.h"
#include "sheets/sheet_messages.h"
#include "sheets/workbook/workbook_open.h"
#include "sheets/workbook/workbook_sheet.h"

namespace quorvex::sheets {
namespace {

std::string Reason() { return messages::SystemText(errno); }

class Input {
 public:
  ~Input() {
    if (own_) close(fd_);
  }

  bool Open(const std::string& path, std::string& error) {
    name_ = ShownName(path, false);
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
  OutputFile output;
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

}  // namespace quorvex::sheets
