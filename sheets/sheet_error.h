// Why a sheet was not computed, as one value: what kind of failure it is, so that callers tell
// them apart by kind, never by text, and the text that tells it.
#pragma once

#include <cstdint>
#include <string>

namespace quorvex::sheets {

enum class SheetErrorKind : std::uint8_t {
  kNone,
  kUsage,      // the job asks for what cannot be done
  kRead,       // the input cannot be read (the reason names the file)
  kWrite,      // the output cannot be written (the reason names the file)
  kSheet,      // the sheet's text is refused (told after the input's name)
  kSystem,     // the machine lacks what the run needs (a converter)
  kCancelled,  // stopped on request
};

struct SheetError {
  SheetErrorKind kind = SheetErrorKind::kNone;
  std::string file;    // kSheet: the input the reason is about
  std::string sheet;   // kSheet: the worksheet of a workbook the reason is about
  std::string reason;  // empty when there is no error

  bool failed() const { return kind != SheetErrorKind::kNone; }
  // Text() is the message shown: a sheet's problem after the input's name (and the
  // worksheet's), any other reason as it stands.
  std::string Text() const {
    if (kind != SheetErrorKind::kSheet) return reason;
    return file + (sheet.empty() ? std::string() : "（工作表 " + sheet + "）") + "：" + reason;
  }
};

}  // namespace quorvex::sheets
