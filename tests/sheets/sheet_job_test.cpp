// Whole jobs on real files: the target is replaced only by a complete result, never
// destroyed by a failed run; the temporary file is private and removed; devices are written
// in place.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheets/sheet_job.h"

namespace quorvex::sheets {
namespace {

namespace fs = std::filesystem;

class SheetJobTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quorvex-job-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }
  void Write(const char* name, const std::string& text) const { std::ofstream(Path(name), std::ios::binary) << text; }
  std::string Read(const char* name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  SheetSummary Job(const char* in, const char* out, const std::atomic<bool>* cancel = nullptr) const {
    SheetJob job;
    job.input = Path(in);
    job.output = out[0] == '/' ? out : Path(out);
    job.threads = 2;
    return RunSheet(job, {}, cancel);
  }

  fs::path dir_;
};

const std::string kGood = "id,category,amount\n1,salary,5000\n";
const std::string kBroken = "id,category,amount\n1,salary,5000\n2,salary,\"6000\n";

TEST_F(SheetJobTest, AFailedRunLeavesTheTargetAndTheInputAsTheyWere) {
  Write("bad.csv", kBroken);
  Write("res.csv", "OLD\n");
  const SheetSummary r = Job("bad.csv", "res.csv");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error.kind, SheetErrorKind::kSheet);
  EXPECT_EQ(r.error.Text(), r.error.file + "：" + r.error.reason);
  EXPECT_NE(r.error.file.find("bad.csv"), std::string::npos) << r.error.file;
  EXPECT_EQ(r.error.reason.rfind("第3行的记录中有一个引号没有配对", 0), 0u) << r.error.reason;
  EXPECT_EQ(Read("res.csv"), "OLD\n");
  // Output equal to input: the input survives a failure, and is replaced by a success.
  EXPECT_FALSE(Job("bad.csv", "bad.csv").ok);
  EXPECT_EQ(Read("bad.csv"), kBroken);
  EXPECT_EQ(Names(), (std::vector<std::string>{"bad.csv", "res.csv"}));
  Write("in.csv", kGood);
  EXPECT_TRUE(Job("in.csv", "in.csv").ok);
  EXPECT_EQ(Read("in.csv").rfind("id,category,amount,status,", 0), 0u);
}

TEST_F(SheetJobTest, ReadErrorsAreFailuresThatNameTheFile) {
  fs::create_directory(Path("somedir"));
  const SheetSummary r = Job("somedir", "out.csv");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error.Text(), "无法读取 " + Path("somedir") + "：是文件夹，不是文件（Is a directory）");
  EXPECT_EQ(r.error.kind, SheetErrorKind::kRead);
  EXPECT_FALSE(Job("missing.csv", "out.csv").ok);
  EXPECT_EQ(Names(), (std::vector<std::string>{"somedir"}));
}

TEST_F(SheetJobTest, KeepsTheModeAndDoesNotFollowAPlantedFile) {
  Write("in.csv", kGood);
  Write("res.csv", "OLD\n");
  chmod(Path("res.csv").c_str(), 0600);
  Write("victim", "V\n");
  fs::create_symlink(Path("victim"), Path("res.csv.part"));
  ASSERT_TRUE(Job("in.csv", "res.csv").ok);
  struct stat st {};
  ASSERT_EQ(stat(Path("res.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(Read("victim"), "V\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv", "res.csv", "res.csv.part", "victim"}));
}

TEST_F(SheetJobTest, ATargetWithTheLongestNameAFolderHoldsIsWritten) {
  Write("in.csv", kGood);
  const std::string name = std::string(251, 'r') + ".csv";
  ASSERT_TRUE(Job("in.csv", name.c_str()).ok);
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv", name}));
}

TEST_F(SheetJobTest, ASymlinkTargetKeepsPointingAtTheNewFile) {
  Write("in.csv", kGood);
  Write("real.csv", "OLD\n");
  fs::create_symlink(Path("real.csv"), Path("link.csv"));
  ASSERT_TRUE(Job("in.csv", "link.csv").ok);
  EXPECT_TRUE(fs::is_symlink(Path("link.csv")));
  EXPECT_EQ(Read("real.csv").rfind("id,category,amount,status", 0), 0u);
}

TEST_F(SheetJobTest, DevicesAreWrittenInPlaceAndTheirErrorsReported) {
  Write("in.csv", kGood);
  EXPECT_TRUE(Job("in.csv", "/dev/null").ok);
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  const SheetSummary full = Job("in.csv", "/dev/full");
  EXPECT_FALSE(full.ok);
  EXPECT_EQ(full.error.Text(), "无法写入 /dev/full：磁盘已满（No space left on device）");
  EXPECT_EQ(full.error.kind, SheetErrorKind::kWrite);
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv"}));
}

TEST_F(SheetJobTest, CancelLeavesNoOutput) {
  std::string sheet = "id,category,amount\n";
  for (int i = 0; i < 50000; ++i) sheet += std::to_string(i) + ",salary,5000\n";
  Write("in.csv", sheet);
  Write("res.csv", "OLD\n");
  const std::atomic<bool> cancel{true};
  const SheetSummary r = Job("in.csv", "res.csv", &cancel);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Read("res.csv"), "OLD\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv", "res.csv"}));
}

TEST_F(SheetJobTest, JsonLinesToCsvReadsTheFileTwiceAndReportsProgress) {
  std::string sheet;
  for (int i = 0; i < 20000; ++i)
    sheet += "{\"id\":" + std::to_string(i) + ",\"category\":\"salary\",\"amount\":5000}\n";
  sheet += "{\"late\":\"x\",\"category\":\"salary\",\"amount\":5000}\n";
  Write("in.jsonl", sheet);
  SheetJob job;
  job.input = Path("in.jsonl");
  job.output = Path("out.csv");
  job.inFormat = Format::kJsonLines;
  SheetProgress last;
  int calls = 0;
  const SheetSummary r = RunSheet(
      job,
      [&](const SheetProgress& p) {
        ++calls;
        EXPECT_GE(p.records, last.records);
        EXPECT_GE(p.bytesRead, last.bytesRead);
        EXPECT_EQ(p.bytesTotal, 2 * sheet.size());  // read twice
        last = p;
      },
      nullptr);
  ASSERT_TRUE(r.ok) << r.error.Text();
  EXPECT_EQ(r.records, 20001u);
  EXPECT_GE(calls, 1);
  EXPECT_EQ(last.records, 20001u);
  EXPECT_EQ(last.bytesRead, last.bytesTotal);
  EXPECT_EQ(Read("out.csv").rfind("id,category,amount,late,status,", 0), 0u);
}

}  // namespace
}  // namespace quorvex::sheets
