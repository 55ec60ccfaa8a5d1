#include "sheets/engine/sheet_engine.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sheets/engine/record_calc.h"
#include "sheets/sheet_messages.h"
#include "sheets/text/csv.h"
#include "sheets/text/json_line.h"
#include "sheets/workbook/workbook_sheet.h"

namespace quorvex::sheets {
namespace {

// The reader of each text format, and the writer of each format.
std::unique_ptr<SheetReader> MakeReader(Format format) {
  if (format == Format::kJsonLines) return std::make_unique<JsonLinesReader>();
  return std::make_unique<CsvReader>();
}

std::unique_ptr<SheetWriter> MakeWriter(const Layout& layout) {
  if (layout.out == Format::kJsonLines) return std::make_unique<JsonLinesWriter>(layout);
  if (layout.out == Format::kXlsx) return std::make_unique<BookWriter>(layout);
  return std::make_unique<CsvWriter>(layout);
}

// A block is about this much input, and about this much output at most.
constexpr std::size_t kBlockInput = std::size_t{16} << 10;
constexpr std::size_t kBlockOutput = std::size_t{1} << 20;
// A workbook's rows come in larger blocks: its reader is the slow, serial part of a run, and
// fewer hand-overs keep it busy (200,000 rows xlsx -> xlsx, -j 2, medians of 5 interleaved
// rounds: 2.13 s against 2.42 s with 16 KiB blocks).
constexpr std::size_t kRowBlockInput = std::size_t{64} << 10;
// The input of the blocks read and not yet written, beyond which no block is read until one is
// written: blocks of records near the record-size limit are few at a time, whatever the
// number of threads. Blocks of ordinary records never come near it.
constexpr std::size_t kInFlightInput = std::size_t{2} << 20;

// A piece of the input: whole records of a text, or whole rows of a workbook.
struct Block {
  std::shared_ptr<const std::string> buffer;  // the text `bytes` lies in
  std::string_view bytes;                     // whole records
  std::uint64_t firstLine = 1;
  std::uint64_t firstByte = 0;  // the input offset of bytes[0]
  bool unchecked = false;       // UTF-8 not checked yet
  CellRows rows;                // a workbook's
  [[nodiscard]] std::size_t Input() const { return bytes.size() + rows.Bytes(); }
};

// Where the blocks come from, on one thread at a time; the bytes read are told to any thread.
class BlockSource {
 public:
  virtual ~BlockSource() = default;
  // Next() fills `block`; false at the end (`error` empty) or on an error.
  virtual bool Next(Block& block, EngineResult& result) = 0;
  // At most this many records to a block, for the output's bound.
  virtual void SetMaxLines(std::size_t maxLines) = 0;
  [[nodiscard]] virtual std::uint64_t BytesRead() const = 0;
  [[nodiscard]] virtual std::uint64_t BytesTotal() const = 0;
};

// Checks a block's UTF-8; false with `error` set when it is not.
bool CheckText(const Block& block, std::string& error) {
  if (!block.unchecked) return true;
  const std::size_t valid = Utf8Prefix(block.bytes);
  if (valid == block.bytes.size()) return true;
  error = NotUtf8Text(block.firstByte + valid + 1);
  return false;
}

// Cuts the text into blocks of whole records.
class Chunker : public BlockSource {
 public:
  Chunker(TextInput& in, const SheetReader& reader, std::size_t maxLines)
      : in_(in), reader_(reader), maxLines_(maxLines) {}

  bool Next(Block& block, EngineResult& result) override;
  // Header() gives the reader the first record, and what follows as far as it was read.
  bool Header(SheetReader& reader, Layout& layout, EngineResult& result);
  bool Rewind(EngineResult& result);
  bool Started(EngineResult& result);
  void SetMaxLines(std::size_t maxLines) override { maxLines_ = maxLines; }
  std::uint64_t BytesRead() const override { return bytesRead_.load(std::memory_order_relaxed); }
  std::uint64_t BytesTotal() const override { return in_.BytesTotal(); }

 private:
  bool More(EngineResult& result);
  std::string_view Data() const { return {pending_->data() + pos_, filled_ - pos_}; }
  std::size_t CutAtLines(std::string_view data, std::size_t end) const;

  TextInput& in_;
  const SheetReader& reader_;
  std::size_t maxLines_;
  // The input offset of pending_[pos_]: the text cut before it and the byte-order mark.
  std::uint64_t Offset() const { return cut_ + (in_.HadBom() ? 3 : 0); }

  // The text read and not yet cut into blocks is pending_[pos_, filled_). Blocks cut from it
  // share it, so it is never written again: the text left moves to a new one.
  std::shared_ptr<std::string> pending_ = std::make_shared<std::string>();
  std::size_t filled_ = 0;
  std::size_t pos_ = 0;
  std::uint64_t cut_ = 0;  // text bytes before pending_[pos_]
  std::uint64_t line_ = 1;
  bool end_ = false;
  std::atomic<std::uint64_t> bytesRead_{0};
};

bool Chunker::More(EngineResult& result) {
  if (pos_ > 0) {
    // Blocks cut from this buffer may still be read: the text left moves to another one.
    auto next = std::make_shared<std::string>();
    const std::size_t left = filled_ - pos_;
    if (next->size() < left) next->resize(left);
    std::memcpy(next->data(), pending_->data() + pos_, left);
    pending_ = std::move(next);
    filled_ = left;
    pos_ = 0;
  }
  std::string& pending = *pending_;
  std::string error;
  pending.resize(filled_);
  const bool more = in_.Append(pending, error);
  filled_ = pending.size();
  bytesRead_.store(in_.BytesRead(), std::memory_order_relaxed);
  if (more) return true;
  if (!error.empty()) {
    result.error.kind = in_.FailureKind();
    result.error.reason = std::move(error);
    return false;
  }
  end_ = true;
  return true;
}

bool Chunker::Started(EngineResult& result) { return filled_ > pos_ || end_ || More(result); }

bool Chunker::Rewind(EngineResult& result) {
  std::string error;
  if (!in_.Rewind(error)) {
    result.error.reason = std::move(error);
    result.error.kind = SheetErrorKind::kRead;
    return false;
  }
  pending_ = std::make_shared<std::string>();  // blocks of the pass before may hold the old one
  filled_ = 0;
  pos_ = 0;
  cut_ = 0;
  line_ = 1;
  end_ = false;
  return true;
}

std::size_t Chunker::CutAtLines(std::string_view data, std::size_t end) const {
  // Too many short records for one block's output: cut after maxLines_ line feeds.
  std::size_t at = 0;
  for (std::size_t n = 0; n < maxLines_; ++n) {
    const void* lf = std::memchr(data.data() + at, '\n', end - at);
    if (lf == nullptr) return end;
    at = static_cast<std::size_t>(static_cast<const char*>(lf) - data.data()) + 1;
  }
  const std::size_t cut = reader_.LastRecordEnd(data.substr(0, at), false);
  return cut == std::string_view::npos ? end : cut;
}

bool Chunker::Next(Block& block, EngineResult& result) {
  for (;;) {
    const std::string_view data = Data();
    if (data.empty() && end_) return false;
    if (data.size() >= kBlockInput || end_) {
      const std::string_view window = data.substr(0, kBlockInput);
      std::size_t end = reader_.LastRecordEnd(window, end_ && window.size() == data.size());
      if (end == std::string_view::npos && window.size() < data.size()) end = reader_.LastRecordEnd(data, end_);
      if (end != std::string_view::npos) {
        std::uint64_t lines = CountLines(data.substr(0, end), reader_.LoneCrBreaksLines());
        if (lines > maxLines_) {
          end = CutAtLines(data, end);
          lines = CountLines(data.substr(0, end), reader_.LoneCrBreaksLines());
        }
        block.buffer = pending_;
        block.bytes = data.substr(0, end);
        block.firstLine = line_;
        block.firstByte = Offset();
        block.unchecked = in_.Unchecked();
        line_ += lines;
        pos_ += end;
        cut_ += end;
        return true;
      }
      if (end_) {
        const std::size_t whole = reader_.LastRecordEnd(data, false);
        const std::uint64_t at =
            line_ + (whole == std::string_view::npos ? 0 : CountLines(data.substr(0, whole), true));
        result.error.reason = messages::QuoteNeverClosed(at);
        return false;
      }
      if (data.size() > kMaxRecordBytes) {
        result.error.reason = messages::RecordTooLong(line_, kMaxRecordBytes >> 20);
        return false;
      }
    }
    if (!More(result)) return false;
  }
}

bool Chunker::Header(SheetReader& reader, Layout& layout, EngineResult& result) {
  for (;;) {
    const std::string_view data = Data();
    std::size_t end = reader.LastRecordEnd(data, end_);
    if (end != std::string_view::npos || end_) {
      if (end == std::string_view::npos) end = data.size();
      if (in_.Unchecked()) {
        const std::size_t valid = Utf8Prefix(data.substr(0, end));
        if (valid < end) {
          result.error.reason = NotUtf8Text(Offset() + valid + 1);
          return false;
        }
      }
      std::size_t used = 0;
      std::uint64_t line = line_;
      if (reader.ReadHeader(data.substr(0, end), end_, used, line, layout, result.error.reason)) {
        pos_ += used;
        cut_ += used;
        line_ = line;
        return true;
      }
      if (!result.error.reason.empty()) {
        result.noHeader = reader.HeaderMissing();
        return false;
      }
    }
    if (data.size() > kMaxRecordBytes) {
      result.error.reason = messages::HeaderTooLong(kMaxRecordBytes >> 20);
      return false;
    }
    if (!More(result)) return false;
  }
}

// The rows of a worksheet in blocks, after its header.
class RowChunker : public BlockSource {
 public:
  explicit RowChunker(WorkbookRows& book) : book_(book), total_(book.BytesTotal()) {}

  // Header() reads the rows up to the header, which sets the layout's columns.
  bool Header(Layout& layout, EngineResult& result) {
    HeaderSearch search;
    std::vector<std::string_view> cells;
    while (Read(result)) {
      // A formula without a saved result names nothing.
      const std::vector<CellInfo>& types = book_.Types();
      cells.assign(row_.begin(), row_.end());
      for (std::size_t i = 0; i < types.size() && i < cells.size(); ++i) {
        if (types[i].kind == CellKind::kUnsavedFormula) cells[i] = {};
      }
      const HeaderSearch::Seen seen = search.Offer(cells, book_.Line(), book_.Line() + 1, layout);
      if (seen == HeaderSearch::Seen::kHeader) return true;
      if (seen == HeaderSearch::Seen::kTooFar) break;
    }
    if (!result.error.reason.empty()) return false;
    result.noHeader = true;
    result.error.reason = search.NoHeader();
    return false;
  }

  bool Next(Block& block, EngineResult& result) override {
    block.rows.clear();
    while (block.rows.size() < maxLines_ && block.rows.Bytes() < kRowBlockInput && Read(result)) {
      const std::vector<CellInfo>& types = book_.Types();
      for (std::size_t i = 0; i < row_.size(); ++i) {
        WrittenCell how;
        if (i < types.size()) {
          how.kind = types[i].kind;
          how.builtin = types[i].format;
          // A code the workbook gives rules over the built-in id.
          if (how.builtin != 0) how.code = book_.FormatCode(how.builtin);
        }
        block.rows.Add(row_[i], how);
      }
      block.rows.EndRow(book_.Line());
    }
    return result.error.reason.empty() && block.rows.size() != 0;
  }
  void SetMaxLines(std::size_t maxLines) override { maxLines_ = maxLines; }
  std::uint64_t BytesRead() const override { return bytesRead_.load(std::memory_order_relaxed); }
  std::uint64_t BytesTotal() const override { return total_; }

 private:
  bool Read(EngineResult& result) {
    if (end_) return false;
    if (book_.Next(row_)) {
      bytesRead_.store(book_.BytesRead(), std::memory_order_relaxed);
      return true;
    }
    end_ = true;
    if (!book_.Error().empty()) {
      result.error.reason = book_.Error();
      result.error.kind = SheetErrorKind::kRead;
    }
    return false;
  }

  WorkbookRows& book_;
  std::uint64_t total_;
  std::vector<std::string> row_;
  std::size_t maxLines_ = 64;
  bool end_ = false;
  std::atomic<std::uint64_t> bytesRead_{0};
};

// A workbook's row as a record: each cell a field (a formula without a saved result an empty
// one, its `raw` the cell's reference). False for a row of empty cells, which is none.
bool RowRecord(const CellRows& rows, std::size_t i, const Layout& layout, Record& record) {
  record.fields.clear();
  record.kinds.clear();
  record.error.clear();
  record.moreFields = 0;
  record.rest = {};
  record.raw = {};
  record.line = rows.Line(i);
  const std::span<const CellRows::Cell> cells = rows.Row(i);
  if (cells.empty()) return false;
  record.fields.resize(rows.Width(i));
  record.kinds.resize(rows.Width(i));
  for (const CellRows::Cell& cell : cells) {
    FieldRef& f = record.fields[cell.column];
    const WrittenCell& how = record.kinds[cell.column] = rows.How(cell);
    f.raw = rows.Text(cell);
    f.text = how.kind == CellKind::kUnsavedFormula ? f.raw.substr(0, 0) : f.raw;
  }
  const std::size_t given = record.fields.size();
  if (given > layout.columns.size()) record.error = messages::MoreFieldsThanHeader(record.line);
  for (std::size_t k = 0; k < kRequestKeys.size(); ++k) {
    const auto c = static_cast<std::size_t>(layout.requestColumn[k]);  // -1 becomes larger than any count
    record.request[k] = c < given ? record.fields[c].text : std::string_view();
  }
  return true;
}

// The records of a block, those rejected and the totals rows (合计) passed through.
struct Counts {
  std::uint64_t records = 0;
  std::uint64_t rejected = 0;
  std::uint64_t totals = 0;
};

// The work of one block, on any thread.
struct Worker {
  const SheetReader* reader;  // null: the blocks are a workbook's rows
  const Layout& layout;
  SheetWriter& writer;
  std::string arena;
  Record record;
  RecordOutcome outcome;

  // Run() computes a block's records into `out`; false with `error` set when the block is
  // not text.
  bool Run(const Block& block, Written& out, Counts& counts, std::string& error) {
    out.clear();
    counts = {};
    const auto one = [&] {
      ComputeRecord(record, layout, outcome);
      writer.Write(record, outcome, out);
      counts.records += outcome.totals ? 0 : 1;
      counts.rejected += outcome.ok || outcome.totals ? 0 : 1;
      counts.totals += outcome.totals ? 1 : 0;
    };
    if (reader == nullptr) {
      for (std::size_t i = 0; i < block.rows.size(); ++i) {
        if (RowRecord(block.rows, i, layout, record)) one();
      }
      return true;
    }
    if (!CheckText(block, error)) return false;
    if (arena.capacity() < block.bytes.size() + 16) arena.reserve(block.bytes.size() + 16);
    std::size_t pos = 0;
    std::uint64_t line = block.firstLine;
    for (;;) {
      arena.clear();
      if (!reader->Parse(block.bytes, pos, line, record, arena)) break;
      one();
    }
    return true;
  }
};

// Calls the progress function at most ten times a second (from one thread at a time).
class Pacer {
 public:
  Pacer(const ProgressFunction& progress, const BlockSource& source) : progress_(progress), source_(source) {}
  void Tick(std::uint64_t records) {
    if (!progress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    progress_({source_.BytesRead(), source_.BytesTotal(), records});
  }

 private:
  const ProgressFunction& progress_;
  const BlockSource& source_;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

bool Cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(); }

// JSON Lines in, CSV out: the columns are every key of every record, in the order first met;
// a key that comes twice in one record has two columns.
bool CollectColumns(Chunker& chunker, const SheetReader& reader, Layout& layout, EngineResult& result, Pacer& pacer) {
  Block block;
  Record record;
  std::string arena;
  std::vector<std::uint64_t> seenIn;  // per column: the record that last had its key
  std::vector<std::size_t> count;     // per column: occurrences of its key in that record
  std::uint64_t serial = 0;
  while (chunker.Next(block, result)) {
    pacer.Tick(0);
    if (!CheckText(block, result.error.reason)) return false;
    arena.reserve(block.bytes.size() + 16);
    std::size_t pos = 0;
    std::uint64_t line = block.firstLine;
    for (;;) {
      arena.clear();
      if (!reader.Parse(block.bytes, pos, line, record, arena)) break;
      ++serial;
      for (const FieldRef& f : record.fields) {
        long first = FindColumn(layout, f.key, 0);
        std::size_t nth = 0;
        if (first < 0) {
          first = AddColumn(layout, f.key, 0);
        } else if (seenIn[first] == serial) {
          nth = ++count[first];
        }
        const long column = first < 0 ? -1 : nth == 0 ? first : AddColumn(layout, f.key, nth);
        if (column < 0) {
          result.error.reason = messages::TooManyFields(kMaxColumns);
          return false;
        }
        seenIn.resize(layout.columns.size(), 0);
        count.resize(layout.columns.size(), 0);
        if (nth == 0) {
          seenIn[first] = serial;
          count[first] = 0;
        }
      }
    }
  }
  return result.error.reason.empty() && chunker.Rewind(result);
}

}  // namespace

FdSink::FdSink(int fd, std::string name, const std::atomic<bool>* cancel)
    : fd_(fd), name_(std::move(name)), cancel_(cancel) {}

bool FdSink::Write(std::string_view data, std::string& error) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n > 0) {
      data.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR && (cancel_ == nullptr || !cancel_->load())) continue;
    error = messages::CannotWrite(name_, n < 0 ? messages::SystemText(errno) : messages::kNothingWritten);
    return false;
  }
  return true;
}

// As `nproc` counts them: a run pinned to fewer cores than the machine has (taskset, a
// container's CPU set) starts no more threads than it may use.
unsigned AvailableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<unsigned>(CPU_COUNT(&set));
  return std::max(1U, std::thread::hardware_concurrency());
}

unsigned EffectiveThreads(unsigned threads) {
  if (threads == 0) threads = AvailableCores();
  return std::min(threads, 8U);
}

namespace {

// Several threads each take the next block of the input and compute it. A computed block
// waits in its slot until every block before it is written; the thread that finds the next
// block to write ready writes it and the ready ones after it, while the others go on
// computing. No thread only reads or only writes, so N threads keep N cores busy, and at
// most 2N + 6 blocks are in memory.
class Pipeline {
 public:
  Pipeline(BlockSource& chunker, const SheetReader* reader, const Layout& layout, SheetSink& sink, Pacer& pacer,
           const std::atomic<bool>* cancel, unsigned threads)
      : chunker_(chunker),
        reader_(reader),
        layout_(layout),
        sink_(sink),
        pacer_(pacer),
        cancel_(cancel),
        threads_(threads),
        slots_(2 * threads + 6) {}

  void Run(EngineResult& result) {
    std::vector<std::thread> others;
    for (unsigned i = 1; i < threads_; ++i) others.emplace_back([this] { Work(); });
    Work();
    for (std::thread& t : others) t.join();
    result.records = done_.records;
    result.rejected = done_.rejected;
    result.totals = done_.totals;
    result.cancelled = done_.cancelled;
    EngineResult& failed = read_.error.reason.empty() ? done_ : read_;
    result.error = std::move(failed.error);
  }

 private:
  struct Slot {
    Written out;
    Counts counts;
    std::string error;      // not empty: the block is not text, and the run ends there
    std::size_t input = 0;  // the block's input bytes
    bool ready = false;
  };

  // The work of each thread.
  void Work() {
    const std::unique_ptr<SheetWriter> writer = MakeWriter(layout_);
    Worker worker{reader_, layout_, *writer, {}, {}, {}};
    Block block;
    Written out;
    for (;;) {
      std::uint64_t serial = 0;
      {
        const std::lock_guard<std::mutex> in(inMutex_);
        {
          std::unique_lock<std::mutex> lock(mutex_);
          space_.wait(lock, [this] {
            return stop_ ||
                   (nextRead_ - nextWrite_ < slots_.size() && (inFlight_ < kInFlightInput || nextRead_ == nextWrite_));
          });
          if (stop_) return;
        }
        if (!chunker_.Next(block, read_)) {
          if (!read_.error.reason.empty()) Stop();
          return;
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        serial = nextRead_++;
        inFlight_ += block.Input();
        slots_[serial % slots_.size()].input = block.Input();
        if (!spare_.empty()) {
          std::swap(out, spare_.back());
          spare_.pop_back();
        }
      }
      Counts counts;
      std::string error;
      worker.Run(block, out, counts, error);
      if (!Done(serial, out, counts, std::move(error))) return;
    }
  }

  // Done() puts a computed block in its slot and writes the blocks ready; false once the run
  // has stopped.
  bool Done(std::uint64_t serial, Written& out, const Counts& counts, std::string error) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stop_) return false;
    Slot& slot = slots_[serial % slots_.size()];
    slot.error = std::move(error);
    std::swap(slot.out, out);
    slot.counts = counts;
    slot.ready = true;
    if (!writing_) WriteReady(lock);
    return true;
  }

  // Writes the blocks that are next in order and ready; called and returning with `lock` held.
  void WriteReady(std::unique_lock<std::mutex>& lock) {
    writing_ = true;
    Written pending;
    for (;;) {
      Slot& slot = slots_[nextWrite_ % slots_.size()];
      if (stop_ || !slot.ready) break;
      if (!slot.error.empty()) {
        done_.error.reason = std::move(slot.error);
        StopLocked();
        break;
      }
      std::swap(pending, slot.out);
      const Counts counts = slot.counts;
      lock.unlock();
      std::string error;
      const bool written = sink_.Put(pending, error);
      lock.lock();
      // A buffer grown for records near the size limit is given back rather than kept.
      if (pending.Capacity() <= 2 * kBlockOutput) spare_.push_back(std::move(pending));
      pending = Written();
      slot.ready = false;
      inFlight_ -= slot.input;
      if (!written) {
        done_.error.reason = std::move(error);
        done_.error.kind = SheetErrorKind::kWrite;
        StopLocked();
        break;
      }
      done_.records += counts.records;
      done_.rejected += counts.rejected;
      done_.totals += counts.totals;
      ++nextWrite_;
      space_.notify_all();
      pacer_.Tick(done_.records);
      if (Cancelled(cancel_)) {
        done_.cancelled = true;
        StopLocked();
        break;
      }
    }
    writing_ = false;
  }

  void StopLocked() {
    stop_ = true;
    space_.notify_all();
  }

  void Stop() {
    const std::lock_guard<std::mutex> lock(mutex_);
    StopLocked();
  }

  BlockSource& chunker_;
  const SheetReader* reader_;
  const Layout& layout_;
  SheetSink& sink_;
  Pacer& pacer_;
  const std::atomic<bool>* cancel_;
  unsigned threads_;
  std::mutex inMutex_;  // guards the chunker and read_; taken before mutex_
  EngineResult read_;
  std::mutex mutex_;  // guards the rest
  std::condition_variable space_;
  std::vector<Slot> slots_;
  std::vector<Written> spare_;  // the buffers written, for the next blocks
  std::uint64_t nextRead_ = 0;
  std::uint64_t nextWrite_ = 0;
  std::size_t inFlight_ = 0;  // input bytes of the blocks read and not yet written
  bool writing_ = false;
  bool stop_ = false;
  EngineResult done_;
};

}  // namespace

namespace {

// Computes the records after the header, which set the layout's columns.
void Compute(BlockSource& blocks, const SheetReader* reader, Layout& layout, SheetSink& sink,
             const EngineOptions& options, Pacer& pacer, const std::atomic<bool>* cancel, const SheetPart& part,
             EngineResult& result) {
  layout.names = OutputNames(layout.columns, layout.chinese,
                             part.sheet.empty() ? std::string_view() : SheetColumnName(layout.chinese));
  layout.sheet = part.sheet;
  const std::unique_ptr<SheetWriter> writer = MakeWriter(layout);
  // The writer's estimate bounds the records of a block.
  blocks.SetMaxLines(std::max<std::size_t>(64, kBlockOutput / writer->PerRecordBytes()));
  Written head;
  sink.HeaderRow(layout.above.size());
  writer->Begin(head);
  result.header = head.text.View();
  if ((part.header.empty() || part.header != result.header) && !sink.Put(head, result.error.reason)) {
    result.error.kind = SheetErrorKind::kWrite;
    return;
  }
  Pipeline pipeline(blocks, reader, layout, sink, pacer, cancel, EffectiveThreads(options.threads));
  pipeline.Run(result);
}

EngineResult Run(ByteSource& source, SheetSink& sink, const EngineOptions& options, const ProgressFunction& progress,
                 const std::atomic<bool>* cancel, const SheetPart& part) {
  EngineResult result;
  TextInput in(source, options.encoding);
  in.LeaveUtf8Check();
  const std::unique_ptr<SheetReader> reader = MakeReader(options.in);
  Layout layout;
  layout.in = options.in;
  layout.out = options.out;
  // The layout is only known later: until then, a block's records are bounded by the largest
  // per-record cost a layout can have.
  Chunker chunker(in, *reader, std::max<std::size_t>(64, kBlockOutput / (600 + kMaxColumns)));
  Pacer pacer(progress, chunker);
  if (!chunker.Started(result)) return result;
  if (in.Utf16() && IsTable(options.in)) {
    layout.separator = '\t';
    reader->SetSeparator('\t');
  }
  if (reader->HasHeader()) {
    if (!chunker.Header(*reader, layout, result)) return result;
  } else if (IsTable(options.out)) {
    in.ExpectPasses(2);
    if (!CollectColumns(chunker, *reader, layout, result, pacer)) return result;
    if (!chunker.Started(result)) return result;
  }
  layout.bom = options.out != Format::kXlsx && (in.HadBom() || in.Converted());
  Compute(chunker, reader.get(), layout, sink, options, pacer, cancel, part, result);
  if (progress) progress({in.BytesRead(), in.BytesTotal(), result.records});
  return result;
}

// A failure neither of the input nor of the output is the sheet's own.
EngineResult& Finished(EngineResult& result) {
  if (!result.error.reason.empty() && result.error.kind == SheetErrorKind::kNone)
    result.error.kind = SheetErrorKind::kSheet;
  return result;
}

}  // namespace

EngineResult ComputeSheet(ByteSource& source, SheetSink& sink, const EngineOptions& options,
                          const ProgressFunction& progress, const std::atomic<bool>* cancel, const SheetPart& part) {
  EngineResult result = Run(source, sink, options, progress, cancel, part);
  return Finished(result);
}

EngineResult ComputeSheet(WorkbookRows& book, SheetSink& sink, const EngineOptions& options,
                          const ProgressFunction& progress, const std::atomic<bool>* cancel, const SheetPart& part) {
  EngineResult result;
  Layout layout;
  layout.in = Format::kXlsx;
  layout.out = options.out;
  layout.date1904 = book.Date1904();
  RowChunker rows(book);
  Pacer pacer(progress, rows);
  if (rows.Header(layout, result)) {
    Compute(rows, nullptr, layout, sink, options, pacer, cancel, part, result);
    if (progress) progress({rows.BytesRead(), rows.BytesTotal(), result.records});
  }
  return Finished(result);
}

}  // namespace quorvex::sheets
