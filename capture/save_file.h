// Writing a whole file so that a failure never leaves a partial one behind.
#pragma once

#include <QByteArray>
#include <QString>

namespace quorvex::capture {

// WriteFileReplacing() writes `bytes` to a temporary file beside `path` and renames it over
// `path` once everything is on disk. On failure it returns false with the reason in
// `*error`; the file at `path` (if any) is then as it was and no temporary file is left.
[[nodiscard]] bool WriteFileReplacing(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace quorvex::capture
