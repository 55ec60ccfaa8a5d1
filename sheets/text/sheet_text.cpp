#include "sheets/text/sheet_text.h"

#include "sheets/sheet_messages.h"

#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sheets/engine/sheet_format.h"

namespace quorvex::sheets {
namespace {

constexpr std::size_t kReadSize = std::size_t{256} << 10;
constexpr char kBom[] = "\xEF\xBB\xBF";

iconv_t Converter(void* handle) { return static_cast<iconv_t>(handle); }

}  // namespace

FdSource::FdSource(int fd, std::string name, const std::atomic<bool>* cancel)
    : fd_(fd), name_(std::move(name)), cancel_(cancel) {
  // A file handed on at an offset (standard input after a shell read a line of it) starts there.
  const off_t at = lseek(fd_, 0, SEEK_CUR);
  start_ = at > 0 ? at : 0;
  struct stat st {};
  if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= start_)
    size_ = static_cast<std::uint64_t>(st.st_size - start_);
}

long FdSource::Read(char* data, std::size_t size, std::string& error) {
  for (;;) {
    const ssize_t n = ::read(fd_, data, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR && (cancel_ == nullptr || !cancel_->load())) continue;
    error = messages::CannotRead(name_, messages::SystemText(errno));
    return -1;
  }
}

bool FdSource::Rewind(std::string& error) {
  if (lseek(fd_, start_, SEEK_SET) == start_) return true;
  error = messages::CannotRead(name_, messages::CannotReadAgain(messages::SystemText(errno)));
  return false;
}

long MemorySource::Read(char* data, std::size_t size, std::string&) {
  const std::size_t n = std::min(size, bytes_.size() - pos_);
  std::memcpy(data, bytes_.data() + pos_, n);
  pos_ += n;
  return static_cast<long>(n);
}

TextInput::TextInput(ByteSource& source, Encoding encoding) : source_(source), encoding_(encoding) {}

TextInput::~TextInput() {
  if (iconv_ != nullptr) iconv_close(Converter(iconv_));
}

bool TextInput::Fill(std::string& error) {
  const std::size_t old = raw_.size();
  raw_.resize(old + kReadSize);
  const long n = source_.Read(raw_.data() + old, kReadSize, error);
  raw_.resize(old + static_cast<std::size_t>(std::max(n, 0L)));
  if (n < 0) {
    failure_ = SheetErrorKind::kRead;
    return false;
  }
  if (n == 0) end_ = true;
  bytesRead_ += static_cast<std::uint64_t>(n);
  return true;
}

bool TextInput::Append(std::string& text, std::string& error) {
  if (!started_) {
    // The first piece: enough bytes to see a byte-order mark and choose the encoding.
    while (!end_ && raw_.size() < kReadSize) {
      if (!Fill(error)) return false;
    }
    started_ = true;
    if (raw_.compare(0, 3, kBom) == 0) {
      bom_ = true;
      raw_.erase(0, 3);
      decodedBytes_ = 3;
      if (encoding_ == Encoding::kAuto) encoding_ = Encoding::kUtf8;
    }
    if (encoding_ == Encoding::kAuto && (raw_.compare(0, 2, "\xFF\xFE") == 0 || raw_.compare(0, 2, "\xFE\xFF") == 0)) {
      encoding_ = raw_[0] == '\xFF' ? Encoding::kUtf16Le : Encoding::kUtf16Be;
      raw_.erase(0, 2);
      decodedBytes_ = 2;
    }
    if (encoding_ == Encoding::kAuto) encoding_ = ReadsAsUtf8(raw_, !end_) ? Encoding::kUtf8 : Encoding::kGb18030;
    if (Converted() && iconv_ == nullptr) {
      const char* from = encoding_ == Encoding::kGb18030   ? "GB18030"
                         : encoding_ == Encoding::kUtf16Le ? "UTF-16LE"
                                                           : "UTF-16BE";
      iconv_t cd = iconv_open("UTF-8", from);
      if (cd == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr): iconv's error value
        error = messages::CannotConvert(from, messages::SystemText(errno));
        failure_ = SheetErrorKind::kSystem;
        return false;
      }
      iconv_ = cd;
    }
  } else if (!end_) {
    if (!Fill(error)) return false;
  }
  if (raw_.empty() && end_) return false;
  return Decode(text, end_, error);
}

bool TextInput::Decode(std::string& text, bool atEnd, std::string& error) {
  std::size_t used = 0;
  if (encoding_ == Encoding::kUtf8 && leaveCheck_) {
    used = raw_.size();
    text.append(raw_);
  } else if (encoding_ == Encoding::kUtf8) {
    used = Utf8Prefix(raw_);
    const bool cut =
        used < raw_.size() && !atEnd && raw_.size() - used < 4 && Utf8Prefix(raw_.substr(used) + "\x80\x80\x80") > 0;
    if (used < raw_.size() && !cut) {
      error = NotUtf8Text(decodedBytes_ + used + 1);
      return false;
    }
    text.append(raw_, 0, used);
  } else {
    return Convert(text, atEnd, error);
  }
  raw_.erase(0, used);
  decodedBytes_ += used;
  return true;
}

bool TextInput::Convert(std::string& text, bool atEnd, std::string& error) {
  const bool utf16 = encoding_ != Encoding::kGb18030;
  char* in = raw_.data();
  std::size_t inLeft = raw_.size();
  for (;;) {
    // A character of either encoding takes at most half as many bytes again in UTF-8.
    const std::size_t start = text.size();
    text.resize(start + inLeft * 2 + 16);
    char* out = text.data() + start;
    std::size_t outLeft = text.size() - start;
    const std::size_t r = iconv(Converter(iconv_), &in, &inLeft, &out, &outLeft);
    const int why = errno;
    text.resize(text.size() - outLeft);
    if (r != static_cast<std::size_t>(-1)) break;
    if (why == EILSEQ && !utf16 && *in == '\x80') {  // code page 936's euro sign, which GB18030 left out
      text.append("\u20AC");
      ++in;
      --inLeft;
      continue;
    }
    if (why == EILSEQ || (why == EINVAL && atEnd)) {
      const std::uint64_t byte = decodedBytes_ + static_cast<std::size_t>(in - raw_.data()) + 1;
      error = utf16 ? messages::NotUtf16(byte) : messages::NotGb18030(byte);
      return false;
    }
    break;  // a character cut by the end of the piece: it is converted with the next
  }
  const std::size_t used = raw_.size() - inLeft;
  raw_.erase(0, used);
  decodedBytes_ += used;
  return true;
}

bool TextInput::Rewind(std::string& error) {
  if (!source_.Rewind(error)) {
    failure_ = SheetErrorKind::kRead;
    return false;
  }
  // The encoding chosen stays; the byte-order mark is skipped again on the first Append().
  raw_.clear();
  end_ = false;
  started_ = false;
  earlierPasses_ += bytesRead_;
  bytesRead_ = 0;
  decodedBytes_ = 0;
  if (iconv_ != nullptr) iconv(Converter(iconv_), nullptr, nullptr, nullptr, nullptr);
  return true;
}

bool ReadsAsUtf8(std::string_view sample, bool more) {
  if (Utf8Prefix(sample) == sample.size()) return true;
  // GBK text makes a valid UTF-8 sequence by chance about once for every four or more bytes
  // that are none (a few hundred sequences of Chinese text counted); UTF-8 text with a stray
  // byte of another encoding has far more valid sequences than stray bytes. Text in UTF-8
  // with errors is read as UTF-8, so that the first error is told, never converted.
  std::size_t sequences = 0;
  std::size_t stray = 0;
  for (std::size_t at = 0; at < sample.size();) {
    const std::size_t valid = Utf8Prefix(sample.substr(at));
    for (std::size_t i = at; i < at + valid; ++i) sequences += static_cast<unsigned char>(sample[i]) >= 0xC0 ? 1 : 0;
    at += valid;
    if (at == sample.size()) break;
    // A sequence cut by the end of the sample is no sign of another encoding.
    const std::string_view left = sample.substr(at);
    if (more && left.size() < 4 && Utf8Prefix(std::string(left) + "\x80\x80\x80") > 0) break;
    ++stray;
    ++at;
  }
  return stray == 0 || (sequences > 0 && 2 * sequences >= stray);
}

std::string NotUtf8Text(std::uint64_t byte) { return messages::NotUtf8(byte); }

std::size_t Utf8Prefix(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    // Eight ASCII bytes at a time: without it, salary.jsonl takes 10 % more instructions
    // (271M instead of 246M by callgrind, 50,000 records).
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    std::uint64_t eight = 0;
    while (i + 8 <= n && (std::memcpy(&eight, s + i, 8), eight & kHighBits) == 0) i += 8;
    if (i >= n) break;
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return i;
    }
    if (i + len > n || s[i + 1] < lo || s[i + 1] > hi) return i;
    for (std::size_t k = 2; k < len; ++k) {
      if (s[i + k] < 0x80 || s[i + k] > 0xBF) return i;
    }
    i += len;
  }
  return i;
}

std::uint64_t CountLines(std::string_view text, bool loneCr) {
  if (text.empty()) return 0;
  const char* const end = text.data() + text.size();
  std::uint64_t lines = 0;
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
    ++lines;
  if (!loneCr) return lines;
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\r', end - p))) != nullptr; ++p)
    lines += p + 1 == end || p[1] != '\n' ? 1 : 0;
  return lines;
}

}  // namespace quorvex::sheets
