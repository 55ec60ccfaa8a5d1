// Reads the streams of a compound file, the container an Excel 97-2003 workbook (.xls) is
// stored in: a small file system of fixed-size sectors, chained by an allocation table, with a
// directory of named streams and a second table of 64-byte sectors for the streams shorter
// than 4,096 bytes.
//
// Nothing is allocated by what the file claims: the tables are read only as far as the file
// has sectors for them, a chain that comes back to one of its sectors is damage (so no chain
// is longer than the file), and a stream is read only as far as its chain goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::sheets {

class CompoundFile {
 public:
  CompoundFile() = default;
  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  // Open() reads the header, the allocation tables and the directory of the compound file at
  // `path`; false when it is no regular file, no compound file, or they are damaged.
  bool Open(const std::string& path);

  enum class Found : std::uint8_t { kRead, kMissing, kDamaged, kTooLarge };
  // Read() reads the stream `name` of the root storage (ASCII, matched regardless of case, as
  // the format compares names) whole into `out`, unless it is longer than `limit` bytes.
  Found Read(std::string_view name, std::string& out, std::uint64_t limit);

 private:
  struct Entry {
    std::string name;  // upper-cased; a character beyond ASCII as '?'
    std::uint8_t type = 0;
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    std::uint32_t child = 0;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
  };

  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) const;
  bool ReadSector(std::uint32_t sector, std::size_t size, std::string& out) const;
  bool ReadFat(const char* header);
  bool ReadDirectory(std::uint32_t first);
  // The stream of `size` bytes whose chain in the big sectors starts at `start`.
  bool ReadChain(std::uint32_t start, std::uint64_t size, std::string& out) const;

  int fd_ = -1;
  std::uint64_t fileSize_ = 0;
  unsigned sectorShift_ = 9;
  std::uint32_t sectors_ = 0;  // the sectors the file has after its header, the last maybe cut short
  std::uint32_t miniFatStart_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<Entry> entries_;
};

}  // namespace quorvex::sheets
