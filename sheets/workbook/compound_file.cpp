#include "sheets/workbook/compound_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace quorvex::sheets {
namespace {

constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kMiniSector = 64;
constexpr std::uint64_t kMiniCutoff = 4096;        // streams shorter than this live in the mini stream
constexpr std::uint32_t kLastSector = 0xFFFFFFFA;  // sector numbers from here on mark chains' ends
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::size_t kHeaderFatSectors = 109;  // the first FAT sectors, listed in the header
constexpr std::uint8_t kStream = 2;
constexpr std::uint8_t kRoot = 5;
constexpr std::size_t kToTheEnd = std::numeric_limits<std::size_t>::max();

std::uint16_t U16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}
std::uint32_t U32(const char* p) { return U16(p) | static_cast<std::uint32_t>(U16(p + 2)) << 16; }
std::uint64_t U64(const char* p) { return U32(p) | static_cast<std::uint64_t>(U32(p + 4)) << 32; }

// The chain of sectors from `start` through `table`: `count` links, or with kToTheEnd all up to
// its end mark. False when a link leaves the table or comes back to a sector of the chain.
bool Follow(std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t count,
            std::vector<std::uint32_t>& chain) {
  chain.clear();
  std::vector<bool> seen(table.size());
  std::uint32_t id = start;
  while (chain.size() < count) {
    if (id == kEndOfChain && count == kToTheEnd) return true;
    if (id >= table.size() || seen[id]) return false;
    seen[id] = true;
    chain.push_back(id);
    id = table[id];
  }
  return true;
}

// How many units of `unit` bytes hold `size` bytes.
std::size_t UnitsFor(std::uint64_t size, std::size_t unit) {
  const std::uint64_t units = size / unit + (size % unit != 0 ? 1 : 0);
  return static_cast<std::size_t>(std::min<std::uint64_t>(units, kToTheEnd - 1));
}

}  // namespace

CompoundFile::~CompoundFile() {
  if (fd_ >= 0) close(fd_);
}

bool CompoundFile::ReadAt(std::uint64_t offset, std::size_t size, char* out) const {
  if (offset > fileSize_ || size > fileSize_ - offset) return false;
  while (size > 0) {
    const ssize_t n = pread(fd_, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool CompoundFile::ReadSector(std::uint32_t sector, std::size_t size, std::string& out) const {
  out.resize(size);
  return sector < sectors_ && ReadAt((std::uint64_t{sector} + 1) << sectorShift_, size, out.data());
}

bool CompoundFile::Open(const std::string& path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  fileSize_ = static_cast<std::uint64_t>(st.st_size);
  char header[kHeaderSize];
  if (!ReadAt(0, kHeaderSize, header) || std::string_view(header, kSignature.size()) != kSignature) return false;
  sectorShift_ = U16(header + 0x1E);
  // Little-endian byte order, sectors of 512 or 4,096 bytes and mini sectors of 64, streams
  // below 4,096 bytes in the mini stream: every compound file says so.
  if (U16(header + 0x1C) != 0xFFFE || (sectorShift_ != 9 && sectorShift_ != 12) || U16(header + 0x20) != 6 ||
      U32(header + 0x38) != kMiniCutoff)
    return false;
  const std::uint64_t sectorSize = std::uint64_t{1} << sectorShift_;
  // The header takes the first sector; the last one may be cut short.
  const std::uint64_t sectors = fileSize_ > sectorSize ? (fileSize_ - 1) / sectorSize : 0;
  sectors_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, kLastSector));
  miniFatStart_ = U32(header + 0x3C);
  return ReadFat(header) && ReadDirectory(U32(header + 0x30));
}

bool CompoundFile::ReadFat(const char* header) {
  const std::size_t sectorSize = std::size_t{1} << sectorShift_;
  const std::size_t perSector = sectorSize / 4;
  // Only the FAT sectors that describe sectors the file has: a claim beyond them is no reason
  // to read (or allocate) more.
  const std::size_t count = std::min<std::size_t>(U32(header + 0x2C), (sectors_ + perSector - 1) / perSector);
  if (count == 0) return false;
  std::vector<std::uint32_t> fatSectors;
  for (std::size_t i = 0; i < kHeaderFatSectors && fatSectors.size() < count; ++i)
    fatSectors.push_back(U32(header + 0x4C + 4 * i));
  // The rest are listed in a chain of sectors of their own, each ending with the next one's number.
  std::uint32_t next = U32(header + 0x44);
  std::string block;
  for (std::size_t steps = 0; fatSectors.size() < count; ++steps) {
    if (steps >= sectors_ || !ReadSector(next, sectorSize, block)) return false;
    for (std::size_t k = 0; k + 1 < perSector && fatSectors.size() < count; ++k)
      fatSectors.push_back(U32(block.data() + 4 * k));
    next = U32(block.data() + sectorSize - 4);
  }
  fat_.reserve(count * perSector);
  for (const std::uint32_t sector : fatSectors) {
    if (!ReadSector(sector, sectorSize, block)) return false;
    for (std::size_t k = 0; k < perSector; ++k) fat_.push_back(U32(block.data() + 4 * k));
  }
  fat_.resize(std::min<std::size_t>(fat_.size(), sectors_));
  return true;
}

bool CompoundFile::ReadDirectory(std::uint32_t first) {
  std::vector<std::uint32_t> chain;
  if (!Follow(first, fat_, kToTheEnd, chain) || chain.empty()) return false;
  const std::size_t sectorSize = std::size_t{1} << sectorShift_;
  std::string block;
  entries_.reserve(chain.size() * (sectorSize / kEntrySize));
  for (const std::uint32_t sector : chain) {
    if (!ReadSector(sector, sectorSize, block)) return false;
    for (std::size_t at = 0; at < sectorSize; at += kEntrySize) {
      const char* e = block.data() + at;
      Entry& entry = entries_.emplace_back();
      // The name's length in bytes, its terminating null counted.
      const std::size_t nameBytes = std::min<std::size_t>(U16(e + 64), 64);
      for (std::size_t i = 0; i + 1 < nameBytes / 2; ++i) {
        const std::uint16_t unit = U16(e + 2 * i);
        entry.name += unit < 0x80 ? static_cast<char>(unit >= 'a' && unit <= 'z' ? unit - 'a' + 'A' : unit) : '?';
      }
      entry.type = static_cast<std::uint8_t>(e[66]);
      entry.left = U32(e + 68);
      entry.right = U32(e + 72);
      entry.child = U32(e + 76);
      entry.start = U32(e + 116);
      entry.size = U64(e + 120);
      // Files of 512-byte sectors may leave garbage in the size's high half.
      if (sectorShift_ == 9) entry.size &= 0xFFFFFFFF;
    }
  }
  return entries_[0].type == kRoot;
}

bool CompoundFile::ReadChain(std::uint32_t start, std::uint64_t size, std::string& out) const {
  const std::size_t sectorSize = std::size_t{1} << sectorShift_;
  std::vector<std::uint32_t> chain;
  if (!Follow(start, fat_, UnitsFor(size, sectorSize), chain)) return false;
  out.clear();
  out.reserve(static_cast<std::size_t>(size));
  // Runs of consecutive sectors are read at once.
  for (std::size_t i = 0; i < chain.size();) {
    std::size_t run = 1;
    while (i + run < chain.size() && chain[i + run] == chain[i] + run) ++run;
    const std::size_t bytes = std::min<std::size_t>(run * sectorSize, static_cast<std::size_t>(size) - out.size());
    const std::size_t at = out.size();
    out.resize(at + bytes);
    if (!ReadAt((std::uint64_t{chain[i]} + 1) << sectorShift_, bytes, out.data() + at)) return false;
    i += run;
  }
  return true;
}

CompoundFile::Found CompoundFile::Read(std::string_view name, std::string& out, std::uint64_t limit) {
  if (entries_.empty()) return Found::kDamaged;
  std::string wanted(name);
  for (char& c : wanted) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  // The root's children form a tree through their left and right links; a damaged one may
  // loop, so each entry is visited once.
  std::vector<bool> seen(entries_.size());
  std::vector<std::uint32_t> pending{entries_[0].child};
  const Entry* found = nullptr;
  while (!pending.empty() && found == nullptr) {
    const std::uint32_t id = pending.back();
    pending.pop_back();
    if (id >= entries_.size() || seen[id]) continue;
    seen[id] = true;
    const Entry& e = entries_[id];
    if (e.type == kStream && e.name == wanted) found = &e;
    pending.push_back(e.left);
    pending.push_back(e.right);
  }
  if (found == nullptr) return Found::kMissing;
  if (found->size > limit) return Found::kTooLarge;
  if (found->size >= kMiniCutoff) return ReadChain(found->start, found->size, out) ? Found::kRead : Found::kDamaged;
  // A short stream: 64-byte sectors of the mini stream, which is the root entry's data, chained
  // by the mini FAT.
  std::vector<std::uint32_t> chain;
  std::string miniStream;
  std::string miniFatBytes;
  if (!Follow(miniFatStart_, fat_, kToTheEnd, chain)) return Found::kDamaged;
  const std::size_t sectorSize = std::size_t{1} << sectorShift_;
  std::vector<std::uint32_t> miniFat;
  miniFat.reserve(chain.size() * sectorSize / 4);
  for (const std::uint32_t sector : chain) {
    if (!ReadSector(sector, sectorSize, miniFatBytes)) return Found::kDamaged;
    for (std::size_t k = 0; k < sectorSize; k += 4) miniFat.push_back(U32(miniFatBytes.data() + k));
  }
  const Entry& root = entries_[0];
  if (!ReadChain(root.start, root.size, miniStream) ||
      !Follow(found->start, miniFat, UnitsFor(found->size, kMiniSector), chain))
    return Found::kDamaged;
  out.clear();
  out.reserve(static_cast<std::size_t>(found->size));
  for (const std::uint32_t sector : chain) {
    const std::size_t at = std::size_t{sector} * kMiniSector;
    const std::size_t bytes = std::min<std::size_t>(kMiniSector, static_cast<std::size_t>(found->size) - out.size());
    if (at > miniStream.size() || bytes > miniStream.size() - at) return Found::kDamaged;
    out.append(miniStream, at, bytes);
  }
  return Found::kRead;
}

}  // namespace quorvex::sheets
