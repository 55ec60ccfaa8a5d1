// The bytes of a sheet and the UTF-8 text read from them: files and pipes read with read(2),
// memory for tests, a UTF-8 byte-order mark skipped, GB18030 (and so GBK) converted.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/sheet_error.h"

namespace quorvex::sheets {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Read() fills up to `size` bytes; 0 at the end of the input, -1 on an error with `error`
  // set to the reason.
  virtual long Read(char* data, std::size_t size, std::string& error) = 0;
  // Rewind() goes back to the first byte; false (with `error`) when the source cannot.
  virtual bool Rewind(std::string& error) = 0;
  // Size() is the number of bytes when known in advance, else 0.
  virtual std::uint64_t Size() const = 0;
  // Progress() is how much of Size() has been read, for a source whose bytes are made from
  // another input (a workbook: its worksheet's XML); -1 when it is the bytes handed out.
  virtual std::int64_t Progress() const { return -1; }
};

// A file descriptor, not owned, read from the offset it has when the source is made (to
// which Rewind() goes back). Reads interrupted by a signal are retried unless `cancel` is set,
// then they fail.
class FdSource : public ByteSource {
 public:
  FdSource(int fd, std::string name, const std::atomic<bool>* cancel);
  long Read(char* data, std::size_t size, std::string& error) override;
  bool Rewind(std::string& error) override;
  std::uint64_t Size() const override { return size_; }

 private:
  int fd_;
  std::string name_;
  const std::atomic<bool>* cancel_;
  off_t start_ = 0;
  std::uint64_t size_ = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  long Read(char* data, std::size_t size, std::string& error) override;
  bool Rewind(std::string&) override {
    pos_ = 0;
    return true;
  }
  std::uint64_t Size() const override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// kUtf16Le and kUtf16Be are only chosen by their byte-order marks.
enum class Encoding { kAuto, kUtf8, kGb18030, kUtf16Le, kUtf16Be };

// TextInput reads a source as UTF-8 text. kAuto: a byte-order mark means UTF-8, or UTF-16
// (little- or big-endian: Excel's "Unicode 文本", whose fields are separated by tabs);
// otherwise the first piece read (up to 256 KiB) decides (ReadsAsUtf8()): UTF-8, even with a
// few stray bytes, stays UTF-8; anything else is read as GB18030, where a lone byte 0x80 is €
// as Windows' code page 936 has it. Text that is not valid in the chosen encoding is an error.
class TextInput {
 public:
  TextInput(ByteSource& source, Encoding encoding);
  ~TextInput();
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // Append() adds the next piece of text to `text`; false at the end of the input (`error`
  // empty) or on an error.
  bool Append(std::string& text, std::string& error);
  // The kind of the last failure of Append() or Rewind(): kRead when the source failed,
  // kSystem when the converter is missing, kSheet when the text is not valid.
  SheetErrorKind FailureKind() const { return failure_; }
  // Rewind() starts over from the first byte, in the encoding already chosen.
  bool Rewind(std::string& error);

  // LeaveUtf8Check(): UTF-8 text after the first piece is passed on unchecked; the caller
  // checks it (in parallel, piece by piece) with Utf8Prefix() and NotUtf8Text().
  void LeaveUtf8Check() { leaveCheck_ = true; }
  // Whether text passed on still needs that check.
  bool Unchecked() const { return leaveCheck_ && encoding_ == Encoding::kUtf8; }

  // Whether the text is UTF-16: Excel's Unicode text, whose fields are separated by tabs.
  bool Utf16() const { return encoding_ == Encoding::kUtf16Le || encoding_ == Encoding::kUtf16Be; }

  // Whether a UTF-8 byte-order mark was skipped.
  bool HadBom() const { return bom_; }
  bool Converted() const { return encoding_ != Encoding::kUtf8 && encoding_ != Encoding::kAuto; }
  // Progress over all passes: a sheet read twice counts its bytes twice.
  std::uint64_t BytesRead() const {
    const std::int64_t own = source_.Progress();
    return own >= 0 ? static_cast<std::uint64_t>(own) : earlierPasses_ + bytesRead_;
  }
  std::uint64_t BytesTotal() const { return source_.Size() * passes_; }
  void ExpectPasses(unsigned passes) { passes_ = passes; }

 private:
  bool Fill(std::string& error);
  bool Decode(std::string& text, bool atEnd, std::string& error);
  bool Convert(std::string& text, bool atEnd, std::string& error);

  ByteSource& source_;
  Encoding encoding_;
  std::string raw_;  // bytes read and not yet decoded
  std::uint64_t bytesRead_ = 0;
  std::uint64_t earlierPasses_ = 0;
  unsigned passes_ = 1;
  std::uint64_t decodedBytes_ = 0;  // input offset of raw_[0], for messages
  bool started_ = false;
  bool bom_ = false;
  bool end_ = false;
  bool leaveCheck_ = false;
  void* iconv_ = nullptr;
  SheetErrorKind failure_ = SheetErrorKind::kSheet;
};

// ReadsAsUtf8() tells whether a sample of a sheet (its first piece; `more`: the input goes on
// after it) is UTF-8: valid throughout, or UTF-8 with a few stray bytes, which is an error to
// be told rather than a sign of GB18030. GBK text that happens to be valid UTF-8 in places is
// judged by the whole sample.
bool ReadsAsUtf8(std::string_view sample, bool more);

// The message for text that is not UTF-8 from byte `byte` (counted from 1) of the input on.
std::string NotUtf8Text(std::uint64_t byte);

// Utf8Prefix() is the length of the longest prefix of `text` made of whole, valid UTF-8
// sequences (no overlong forms, surrogates or values beyond U+10FFFF).
std::size_t Utf8Prefix(std::string_view text);

// CountLines() counts the line breaks in `text`: LF, CR LF, and when `loneCr`, a CR not
// followed by LF (a CR at the very end counts as a break).
std::uint64_t CountLines(std::string_view text, bool loneCr);

}  // namespace quorvex::sheets
