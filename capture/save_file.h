// Writing a whole file so that a failure never leaves a partial one behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvex::capture {

// WriteFileReplacing() writes `bytes` to a temporary file beside `path` and renames it over
// `path` once everything is on disk. On failure it returns false with the reason in
// `*error` (the system's words) and, when `why` is given, its error number in `*why` (0 when
// there is none); the file at `path` (if any) is then as it was and no temporary file is left.
[[nodiscard]] bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error, int* why = nullptr);

}  // namespace quorvex::capture
