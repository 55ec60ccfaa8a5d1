#include "cli/sheet_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <system_error>

#include "cli/sheet_headers.h"
#include "cli/xlsx_reader.h"
#include "cli/xlsx_writer.h"

namespace quorvex::cli {
namespace {

namespace fs = std::filesystem;

constexpr long kProgressEvery = 512;

class XlsxSource : public RowSource {
 public:
  explicit XlsxSource(XlsxReader& reader) : reader_(reader) {}
  bool Next(std::vector<std::string>& row) override { return reader_.Next(row); }
  std::string Error() const override { return reader_.Error(); }
  std::size_t Line() const override { return reader_.Line(); }

 private:
  XlsxReader& reader_;
};

class XlsxSink : public RowSink {
 public:
  explicit XlsxSink(XlsxWriter& writer) : writer_(writer) {}
  bool Write(const std::vector<std::string>& row) override { return writer_.WriteRow(row); }
  std::string Error() const override { return writer_.Error(); }

 private:
  XlsxWriter& writer_;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path pa = fs::weakly_canonical(a, ec);
  const fs::path pb = fs::weakly_canonical(b, ec);
  return !ec && pa == pb;
}

// Why the result file cannot be replaced, or "" when it can be tried.
std::string ResultObstacle(const std::string& output) {
  const fs::path path(output);
  std::error_code ec;
  if (fs::is_directory(path, ec)) return output + "：这是一个文件夹，不能作为结果文件";
  if (fs::exists(path, ec) && ::access(output.c_str(), W_OK) != 0) return output + "：结果文件是只读的，无法替换";
  // Office programs mark a workbook they hold open with an owner file beside it.
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const std::string name = path.filename().string();
  for (const std::string& owner : {".~lock." + name + "#", "~$" + name}) {
    if (fs::exists(folder / owner, ec)) return output + "：结果文件正被其他程序打开，请先关闭它";
  }
  return {};
}

// A temporary file beside `output`, created empty with the permissions of the file it is to
// replace (0644 for a new one); "" when the folder takes no new file.
std::string TempBeside(const std::string& output) {
  std::string name = output + ".XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {};
  std::error_code ec;
  const fs::file_status old = fs::status(output, ec);
  const auto mode = fs::exists(old) ? static_cast<mode_t>(old.permissions()) : mode_t{0644};
  ::fchmod(fd, mode);
  ::close(fd);
  return name;
}

std::uint64_t SizeOf(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::uint64_t>(size);
}

// One run's open files: the input, the temporary result and what reads and writes them.
class FileRun {
 public:
  FileRun(const FileJob& job, std::string temp) : job_(job), temp_(std::move(temp)) {}

  bool OpenInput(std::string& error) {
    if (job_.inFormat == Format::kXlsx) {
      if (!xlsxIn_.Open(job_.input)) {
        error = xlsxIn_.Error();
        return false;
      }
      source_ = std::make_unique<XlsxSource>(xlsxIn_);
      return true;
    }
    if (job_.input == "-") return true;
    file_.open(job_.input, std::ios::binary);
    if (!file_) error = job_.input + "：无法读取（" + std::strerror(errno) + "）";
    total_ = SizeOf(job_.input);
    return static_cast<bool>(file_);
  }

  bool OpenOutput(std::string& error) {
    if (job_.outFormat == Format::kXlsx) {
      if (!xlsxOut_.Open(temp_, job_.output)) {
        error = xlsxOut_.Error();
        return false;
      }
      sink_ = std::make_unique<XlsxSink>(xlsxOut_);
      return true;
    }
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) error = job_.output + "：无法写入";
    return static_cast<bool>(out_);
  }

  BatchInput Input() {
    std::istream* stream = job_.input == "-" ? &std::cin : &file_;
    return {job_.inFormat, stream, source_.get()};
  }
  BatchOutput Output() { return {job_.outFormat, &out_, sink_.get()}; }

  FileProgress Progress(std::uint64_t records) {
    if (job_.inFormat == Format::kXlsx) return {xlsxIn_.BytesRead(), xlsxIn_.BytesTotal(), records};
    const std::streamoff at = file_.is_open() ? static_cast<std::streamoff>(file_.tellg()) : -1;
    return {at < 0 ? total_ : static_cast<std::uint64_t>(at), total_, records};
  }

  // Finishes the temporary result; false (with `error`) when it could not be written whole.
  bool Finish(std::string& error) {
    if (job_.outFormat == Format::kXlsx) {
      if (!xlsxOut_.Close()) error = xlsxOut_.Error();
      return error.empty();
    }
    out_.close();
    if (!out_) error = job_.output + "：无法写入（磁盘已满或无权写入）";
    return error.empty();
  }

 private:
  const FileJob& job_;
  std::string temp_;
  std::ifstream file_;
  std::uint64_t total_ = 0;
  XlsxReader xlsxIn_;
  std::unique_ptr<RowSource> source_;
  std::ofstream out_;
  XlsxWriter xlsxOut_;
  std::unique_ptr<RowSink> sink_;
};

std::string Checked(const FileJob& job) {
  if (job.output.empty() || job.output == "-") {
    if (job.outFormat == Format::kXlsx) return "Excel 工作簿只能写入文件";
  }
  if (job.input == "-" && job.inFormat == Format::kXlsx) return "Excel 工作簿只能从文件读取";
  if (job.input != "-" && SameFile(job.input, job.output)) return job.output + "：结果文件不能是输入文件本身";
  return ResultObstacle(job.output);
}

// Example rows of the template, one for each category in the order of the window's list:
// category, calc, amount, salary, contributions, threshold, months.
struct Example {
  const char* name;
  std::array<const char*, 7> fields;
};
constexpr Example kExamples[] = {
    {"张三", {"工资、薪金所得", "", "8000", "", "800", "3500", ""}},
    {"李四", {"年终奖所得", "", "24000", "", "", "", ""}},
    {"王五", {"工资、年终奖所得", "", "30000", "8000", "800", "3500", ""}},
    {"赵六", {"劳务报酬所得", "", "5000", "", "", "", ""}},
    {"钱七", {"稿酬所得", "", "5000", "", "", "", ""}},
    {"孙八", {"财产租赁所得", "", "3000", "", "", "", ""}},
    {"周九", {"财产转让所得", "", "100000", "", "", "", ""}},
    {"吴十", {"特许权使用费所得", "", "6000", "", "", "", ""}},
    {"郑一", {"个体工商户生产、经营所得", "", "100000", "", "", "", ""}},
    {"冯二", {"对企事业单位的承包经营、承租经营所得", "", "80000", "", "", "", "12"}},
    {"陈三", {"利息、股息、红利所得", "", "1000", "", "", "", ""}},
    {"褚四", {"偶然所得（如中奖、中彩）", "", "10000", "", "", "", ""}},
    {"卫五", {"被确定征税的其他部分", "", "2000", "", "", "", ""}},
};
constexpr char kNameCaption[] = "姓名";

}  // namespace

std::string WriteSheetTemplate(const std::string& path) {
  if (std::string obstacle = ResultObstacle(path); !obstacle.empty()) return obstacle;
  const std::string temp = TempBeside(path);
  if (temp.empty()) return path + "：无法在该文件夹中写入（" + std::strerror(errno) + "）";
  XlsxWriter writer;
  bool ok = writer.Open(temp, path);
  std::vector<std::string> row{kNameCaption};
  for (const InputColumn& c : InputColumns()) row.emplace_back(c.caption);
  ok = ok && writer.WriteRow(row);
  for (const Example& e : kExamples) {
    row.assign({e.name});
    row.insert(row.end(), e.fields.begin(), e.fields.end());
    ok = ok && writer.WriteRow(row);
  }
  ok = ok && writer.Close();
  std::string error = writer.Error();
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) error = path + "：无法写入（" + std::strerror(errno) + "）";
  if (!ok || !error.empty()) std::remove(temp.c_str());
  return ok ? error : (error.empty() ? path + "：无法写入" : error);
}

std::optional<Format> FormatOfPath(const std::string& path) {
  const std::string ext = Lower(fs::path(path).extension().string());
  if (ext == ".csv") return Format::kCsv;
  if (ext == ".jsonl" || ext == ".json" || ext == ".ndjson") return Format::kJsonLines;
  if (ext == ".xlsx") return Format::kXlsx;
  return std::nullopt;
}

FileSummary RunSheetFile(const FileJob& job, const std::function<void(const FileProgress&)>& progress,
                         const std::atomic<bool>* cancel) {
  FileSummary summary;
  summary.error = Checked(job);
  if (!summary.error.empty()) return summary;
  const std::string temp = TempBeside(job.output);
  if (temp.empty()) {
    summary.error = job.output + "：无法在该文件夹中写入（" + std::strerror(errno) + "）";
    return summary;
  }
  FileRun run(job, temp);
  BatchResult result;
  if (run.OpenInput(summary.error) && run.OpenOutput(summary.error)) {
    const BatchTick tick = [&](long records) {
      if (progress && (records == 1 || records % kProgressEvery == 0))
        progress(run.Progress(static_cast<std::uint64_t>(records)));
      return cancel == nullptr || !cancel->load(std::memory_order_relaxed);
    };
    result = RunBatch(run.Input(), run.Output(), tick);
    summary.records = static_cast<std::uint64_t>(result.records);
    summary.rejected = static_cast<std::uint64_t>(result.rejected);
    summary.cancelled = result.cancelled || (cancel != nullptr && cancel->load());
    if (!result.error.empty()) {
      const bool named = result.error.rfind(job.input, 0) == 0 || result.error.rfind(job.output, 0) == 0;
      summary.error = named ? result.error : (job.input == "-" ? "标准输入" : job.input) + "：" + result.error;
    }
  }
  const bool complete = summary.error.empty() && !summary.cancelled && run.Finish(summary.error);
  if (!complete || std::rename(temp.c_str(), job.output.c_str()) != 0) {
    if (complete) summary.error = job.output + "：无法写入（" + std::strerror(errno) + "）";
    std::remove(temp.c_str());
    return summary;
  }
  if (progress) progress(run.Progress(summary.records));
  summary.ok = true;
  return summary;
}

FileSummary RunWorkbookToStream(const std::string& input, std::ostream& out, Format outFormat) {
  FileSummary summary;
  XlsxReader reader;
  if (!reader.Open(input)) {
    summary.error = reader.Error();
    return summary;
  }
  XlsxSource source(reader);
  const BatchResult result = RunBatch({Format::kXlsx, nullptr, &source}, {outFormat, &out, nullptr});
  out.flush();
  summary.records = static_cast<std::uint64_t>(result.records);
  summary.rejected = static_cast<std::uint64_t>(result.rejected);
  summary.error =
      result.error.empty() || result.error.rfind(input, 0) == 0 ? result.error : input + "：" + result.error;
  if (summary.error.empty() && !out) summary.error = "无法写入标准输出";
  summary.ok = summary.error.empty();
  return summary;
}

}  // namespace quorvex::cli
