// What kind of failure stopped a sheet, so that callers tell them apart by kind, not by text.
#pragma once

#include <cstdint>

namespace quorvex::sheets {

enum class SheetErrorKind : std::uint8_t {
  kNone,
  kUsage,      // the job asks for what cannot be done
  kRead,       // the input cannot be read (its text names the file)
  kWrite,      // the output cannot be written (its text names the file)
  kSheet,      // the sheet's text is refused (shown after the input's name)
  kSystem,     // the machine lacks what the run needs (a converter)
  kCancelled,  // stopped on request
};

}  // namespace quorvex::sheets
