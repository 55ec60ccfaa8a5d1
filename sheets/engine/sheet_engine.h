// The sheet engine: reads a sheet piece by piece (a text's bytes, or a workbook's rows of
// typed cells), computes every record on one or more threads, and writes the records in their
// input order (as text, or as a workbook's rows), in flat memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sheets/engine/sheet_format.h"
#include "sheets/sheet_error.h"
#include "sheets/text/sheet_text.h"
#include "sheets/workbook/workbook_rows.h"

namespace quorvex::sheets {

// Where the records go.
class SheetSink {
 public:
  virtual ~SheetSink() = default;
  // Put() writes the records of a block, in order; false with `error` set to the reason when
  // it cannot.
  virtual bool Put(const Written& records, std::string& error) = 0;
  // HeaderRow() tells, before anything is written, how many rows (0-based) come before the
  // header: a workbook marks its header row.
  virtual void HeaderRow(std::size_t /*rows*/) {}
};

// Where text (CSV, JSON Lines) goes.
class ByteSink : public SheetSink {
 public:
  // Write() writes all of `data`; false with `error` set to the reason when it cannot.
  virtual bool Write(std::string_view data, std::string& error) = 0;
  bool Put(const Written& records, std::string& error) final { return Write(records.text.View(), error); }
};

// A file descriptor, not owned; writes interrupted by a signal are retried unless `cancel` is set.
class FdSink : public ByteSink {
 public:
  FdSink(int fd, std::string name, const std::atomic<bool>* cancel);
  bool Write(std::string_view data, std::string& error) override;

 private:
  int fd_;
  std::string name_;
  const std::atomic<bool>* cancel_;
};

class StringSink : public ByteSink {
 public:
  bool Write(std::string_view data, std::string&) override {
    text.append(data);
    return true;
  }
  std::string text;
};

struct SheetProgress {
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesTotal = 0;  // 0 when unknown
  std::uint64_t records = 0;
};

using ProgressFunction = std::function<void(const SheetProgress&)>;

struct EngineOptions {
  Format in = Format::kCsv;
  Format out = Format::kCsv;
  Encoding encoding = Encoding::kAuto;
  unsigned threads = 1;  // 0: one per core
};

// Several worksheets into one CSV or JSON Lines result: this one's name, for the leading
// column (see Layout::sheet); and the header line the result already has, not written again
// when this sheet's is the same.
struct SheetPart {
  std::string sheet;
  std::string header;
};

struct EngineResult {
  std::uint64_t records = 0;  // totals rows not counted
  std::uint64_t rejected = 0;
  std::uint64_t totals = 0;  // a table's totals rows (合计, 小计, 总计), passed through
  bool cancelled = false;
  // No header row was found (error says so): a sheet of a workbook that holds no table.
  bool noHeader = false;
  // The header line written (or already there), for the next sheet into the same result.
  std::string header;
  // Failed: why the run stopped (a kSheet error's file is left to the caller).
  SheetError error;
};

// ComputeSheet() computes every record of `source` and writes the sheet to `sink`, which takes
// rows when options.out is kXlsx (see sheets/workbook/workbook_sheet.h) and text otherwise. The
// progress function is called at most about ten times a second; `cancel` stops the run.
EngineResult ComputeSheet(ByteSource& source, SheetSink& sink, const EngineOptions& options,
                          const ProgressFunction& progress, const std::atomic<bool>* cancel,
                          const SheetPart& part = {});
// The same for the worksheet `book` has selected, read from its first row (options.in and
// options.encoding do not apply).
EngineResult ComputeSheet(WorkbookRows& book, SheetSink& sink, const EngineOptions& options,
                          const ProgressFunction& progress, const std::atomic<bool>* cancel,
                          const SheetPart& part = {});

// The number of threads `threads` asks for: 0 is one per core the process may run on; at most 8.
unsigned EffectiveThreads(unsigned threads);
// The cores this process may run on.
unsigned AvailableCores();

}  // namespace quorvex::sheets
