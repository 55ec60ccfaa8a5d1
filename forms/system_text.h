// The system's reason for a failed read or write, in Chinese where it is a common one, with the
// system's own words after it: one table for the window's dialogs and the sheet library.
#pragma once

#include <string>

namespace quorvex::forms {

// SystemText() tells error number `error`: "没有这个文件或文件夹（No such file or directory）"; a
// rare one in the system's words alone.
std::string SystemText(int error);

}  // namespace quorvex::forms
