#include "sheets/workbook/zip_writer.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <limits>
#include <new>

namespace quorvex::sheets {
namespace {

constexpr std::size_t kWriteSize = std::size_t{64} << 10;
constexpr std::uint64_t kNeeds64 = 0xFFFFFFFF;  // a 32-bit field holding this means "see zip64"
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kVersion64 = 45;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01, 00:00: the same bytes on every run

void Put16(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put32(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
std::uint64_t Field32(std::uint64_t v) { return v >= kNeeds64 ? kNeeds64 : v; }

}  // namespace

Deflater::Deflater(int level) : stream_(new z_stream{}) {
  // Raw deflate (negative window bits): the zip entry carries no zlib header.
  if (deflateInit2(stream_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::bad_alloc();
}

Deflater::~Deflater() {
  deflateEnd(stream_);
  delete stream_;
}

void Deflater::Run(std::string_view data, int flush, std::string& out) {
  // (crc32_z() of no bytes at a null pointer would give the initial value, not crc_.)
  if (!data.empty())
    crc_ = static_cast<std::uint32_t>(crc32_z(crc_, reinterpret_cast<const Bytef*>(data.data()), data.size()));
  size_ += data.size();
  stream_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream_->avail_in = static_cast<uInt>(data.size());
  // deflate() leaves room in the output only once it has taken everything and flushed as asked.
  char chunk[1 << 16];
  do {
    stream_->next_out = reinterpret_cast<Bytef*>(chunk);
    stream_->avail_out = sizeof chunk;
    deflate(stream_, flush);
    out.append(chunk, sizeof chunk - stream_->avail_out);
  } while (stream_->avail_out == 0);
}

void Deflater::Sync(std::string& out) { Run({}, Z_SYNC_FLUSH, out); }

void Deflater::Finish(std::string_view data, std::string& out) { Run(data, Z_FINISH, out); }

std::uint32_t CombinedCrc(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize) {
  return static_cast<std::uint32_t>(crc32_combine(first, second, static_cast<z_off_t>(secondSize)));
}

bool ZipWriter::Add(const std::string& name, std::string_view data) {
  Deflater deflater(Z_DEFAULT_COMPRESSION);
  std::string compressed;
  deflater.Finish(data, compressed);
  return Begin(name, deflater.Crc(), data.size(), compressed.size()) && Write(compressed);
}

bool ZipWriter::Begin(const std::string& name, std::uint32_t crc, std::uint64_t size, std::uint64_t compressed) {
  entries_.push_back({name, crc, size, compressed, written_});
  const bool wide = size >= kNeeds64 || compressed >= kNeeds64;
  std::string& h = buffer_;
  const std::size_t start = h.size();
  Put32(h, 0x04034b50);
  Put16(h, wide ? kVersion64 : kVersion);
  Put16(h, 0);
  Put16(h, kDeflated);
  Put16(h, 0);
  Put16(h, kDosDate);
  Put32(h, crc);
  Put32(h, wide ? kNeeds64 : compressed);
  Put32(h, wide ? kNeeds64 : size);
  Put16(h, name.size());
  Put16(h, wide ? 20 : 0);
  h += name;
  if (wide) {
    Put16(h, 0x0001);
    Put16(h, 16);
    Put64(h, size);
    Put64(h, compressed);
  }
  written_ += h.size() - start;
  return buffer_.size() < kWriteSize || Flush();
}

bool ZipWriter::Write(std::string_view data) {
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), kWriteSize - std::min(kWriteSize, buffer_.size()));
    buffer_.append(data.substr(0, n));
    written_ += n;
    data.remove_prefix(n);
    if (buffer_.size() >= kWriteSize && !Flush()) return false;
  }
  return true;
}

bool ZipWriter::Finish() {
  const std::uint64_t directory = written_;
  std::string& d = buffer_;
  const std::size_t start = d.size();
  for (const Entry& e : entries_) {
    std::string extra;
    if (e.size >= kNeeds64) Put64(extra, e.size);
    if (e.compressed >= kNeeds64) Put64(extra, e.compressed);
    if (e.offset >= kNeeds64) Put64(extra, e.offset);
    Put32(d, 0x02014b50);
    Put16(d, kVersion64);
    Put16(d, extra.empty() ? kVersion : kVersion64);
    Put16(d, 0);
    Put16(d, kDeflated);
    Put16(d, 0);
    Put16(d, kDosDate);
    Put32(d, e.crc);
    Put32(d, Field32(e.compressed));
    Put32(d, Field32(e.size));
    Put16(d, e.name.size());
    Put16(d, extra.empty() ? 0 : extra.size() + 4);
    Put16(d, 0);  // comment
    Put16(d, 0);  // disk
    Put16(d, 0);  // internal attributes
    Put32(d, 0);  // external attributes
    Put32(d, Field32(e.offset));
    d += e.name;
    if (!extra.empty()) {
      Put16(d, 0x0001);
      Put16(d, extra.size());
      d += extra;
    }
  }
  const std::uint64_t size = d.size() - start;
  const std::uint64_t count = entries_.size();
  if (directory >= kNeeds64 || size >= kNeeds64 || count >= 0xFFFF) {
    const std::uint64_t end64 = directory + size;
    Put32(d, 0x06064b50);
    Put64(d, 44);
    Put16(d, kVersion64);
    Put16(d, kVersion64);
    Put32(d, 0);
    Put32(d, 0);
    Put64(d, count);
    Put64(d, count);
    Put64(d, size);
    Put64(d, directory);
    Put32(d, 0x07064b50);
    Put32(d, 0);
    Put64(d, end64);
    Put32(d, 1);
  }
  Put32(d, 0x06054b50);
  Put16(d, 0);
  Put16(d, 0);
  Put16(d, std::min<std::uint64_t>(count, 0xFFFF));
  Put16(d, std::min<std::uint64_t>(count, 0xFFFF));
  Put32(d, Field32(size));
  Put32(d, Field32(directory));
  Put16(d, 0);
  written_ += d.size() - start;
  return Flush();
}

bool ZipWriter::Flush() {
  if (!WriteAll(fd_, buffer_)) {
    errno_ = errno;
    return false;
  }
  buffer_.clear();
  return true;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace quorvex::sheets
