// The zip container of a workbook: raw deflate streams, and an archive written entry after
// entry with every size and checksum known before the entry's header (no data descriptors),
// zip64 records only where a size or an offset needs them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct z_stream_s;

namespace quorvex::sheets {

// One raw deflate stream; the compressed bytes are appended to the caller's string.
class Deflater {
 public:
  explicit Deflater(int level);
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  void Add(std::string_view data, std::string& out) { Run(data, 0, out); }
  // Sync() ends what was added on a byte boundary without ending the stream: another stream's
  // bytes may follow, as one stream.
  void Sync(std::string& out);
  void Finish(std::string_view data, std::string& out);

  std::uint32_t Crc() const { return crc_; }
  std::uint64_t Size() const { return size_; }  // the bytes added

 private:
  void Run(std::string_view data, int flush, std::string& out);

  z_stream_s* stream_;
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
};

// The checksum of two pieces one after the other, from theirs and the second's length.
std::uint32_t CombinedCrc(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize);

// Writes all of `data` to `fd`, again after an interruption; false with errno set when it cannot.
bool WriteAll(int fd, std::string_view data);

// Writes a zip archive to a descriptor (not owned), in 64 KiB writes each checked.
class ZipWriter {
 public:
  explicit ZipWriter(int fd) : fd_(fd) {}

  // Adds a small entry: `data` deflated whole.
  bool Add(const std::string& name, std::string_view data);
  // Starts an entry of `compressed` bytes of deflate stream, whose inflated data has `size`
  // bytes and checksum `crc`; Write() then gives exactly those bytes.
  bool Begin(const std::string& name, std::uint32_t crc, std::uint64_t size, std::uint64_t compressed);
  bool Write(std::string_view data);
  // Finish() writes the central directory and what is buffered.
  bool Finish();
  // The error number of the write that failed.
  int Errno() const { return errno_; }

 private:
  struct Entry {
    std::string name;
    std::uint32_t crc;
    std::uint64_t size;
    std::uint64_t compressed;
    std::uint64_t offset;
  };
  bool Flush();

  int fd_;
  int errno_ = 0;
  std::uint64_t written_ = 0;  // bytes of the archive so far, the buffered ones included
  std::string buffer_;
  std::vector<Entry> entries_;
};

}  // namespace quorvex::sheets
