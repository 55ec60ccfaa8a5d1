#include "sheets/workbook/workbook_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include <zip.h>

#include "sheets/sheet_messages.h"
#include "sheets/workbook/xls_reader.h"
#include "sheets/workbook/xlsx_reader.h"

namespace quorvex::sheets {
namespace {

constexpr std::string_view kZip = "PK\x03\x04";
constexpr std::string_view kEmptyZip = "PK\x05\x06";
constexpr std::string_view kCompound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// An OpenDocument file's first entry, stored: "mimetype" and the type.
constexpr std::string_view kOpenDocument = "mimetypeapplication/vnd.oasis.opendocument.";
// The stream of an Office Open XML workbook encrypted with a password, named in UTF-16.
constexpr char kEncryptedPackage[] = "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0";

using messages::kSaveAs;

// Up to `size` bytes from the start of a regular file; empty for anything else.
std::string Head(const std::string& path, std::size_t size) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return {};
  std::string bytes;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    bytes.resize(std::min<std::size_t>(size, static_cast<std::size_t>(st.st_size)));
    const ssize_t n = pread(fd, bytes.data(), bytes.size(), 0);
    bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  close(fd);
  return bytes;
}

bool Starts(std::string_view bytes, std::string_view with) { return bytes.substr(0, with.size()) == with; }

// Whether a zip archive is an OpenDocument file: its "mimetype" entry names the type, wherever
// the entry lies and however it is stored (LibreOffice puts it first and stored, other writers
// do not).
bool IsOpenDocument(const std::string& path) {
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (zip == nullptr) return false;
  bool found = false;
  if (zip_file_t* entry = zip_fopen(zip, "mimetype", 0); entry != nullptr) {
    char type[kOpenDocument.size()] = {};
    const zip_int64_t n = zip_fread(entry, type, sizeof type);
    const std::string_view prefix = kOpenDocument.substr(8);  // after "mimetype"
    found = n > 0 && std::string_view(type, static_cast<std::size_t>(n)).substr(0, prefix.size()) == prefix;
    zip_fclose(entry);
  }
  zip_discard(zip);
  return found;
}

// Whether a compound file holds an encrypted workbook's package (its directory may lie anywhere).
bool HoldsEncryptedPackage(const std::string& path) {
  const std::string bytes = Head(path, std::size_t{64} << 20);
  return bytes.find(std::string_view(kEncryptedPackage, sizeof kEncryptedPackage - 1)) != std::string::npos;
}

std::unique_ptr<WorkbookRows> Refuse(const std::string& path, const std::string& what, SheetError& error) {
  error.kind = SheetErrorKind::kSheet;
  error.file = path;
  error.reason = what + "：" + kSaveAs;
  return nullptr;
}

}  // namespace

bool IsWorkbookFile(const std::string& path) {
  const std::string head = Head(path, kCompound.size());
  return Starts(head, kZip) || Starts(head, kEmptyZip) || Starts(head, kCompound);
}

std::unique_ptr<WorkbookRows> OpenWorkbook(const std::string& path, SheetError& error) {
  const std::string head = Head(path, 30 + kOpenDocument.size());
  if (Starts(head, kZip) && head.size() > 30 && std::string_view(head).substr(30) == kOpenDocument)
    return Refuse(path, messages::kOpenDocument, error);
  if (Starts(head, kCompound)) {
    auto xls = std::make_unique<XlsReader>();
    if (xls->Open(path)) return xls;
    if (xls->Encrypted() || HoldsEncryptedPackage(path)) return Refuse(path, messages::kEncrypted, error);
    // Damage the reader can place (a worksheet, a row) is told as it said it.
    return Refuse(path, xls->Reason().empty() ? std::string(messages::kUnreadableWorkbook) : xls->Reason(), error);
  }
  auto xlsx = std::make_unique<XlsxReader>();
  if (xlsx->Open(path)) return xlsx;
  if (Starts(head, kZip) && IsOpenDocument(path)) return Refuse(path, messages::kOpenDocument, error);
  error.kind = SheetErrorKind::kRead;
  error.reason = xlsx->Error();
  return nullptr;
}

}  // namespace quorvex::sheets
