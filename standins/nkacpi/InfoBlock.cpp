#include "InfoBlock.h"

#include <cstring>

namespace nkacpi {
namespace {

constexpr std::uint32_t kMagic = 0x42494B4E;  // "NKIB"
constexpr std::uint32_t kHeaderSize = 12;
constexpr std::uint32_t kEntryHeaderSize = 8;
constexpr std::uint32_t kInteger = 0, kString = 1, kEnd = 2;
// Every payload area ends in at least one NUL and holds at least four bytes, so an entry read as an
// integer or as a string, whatever it really is, never leaves its own area.
constexpr std::uint32_t kEndAreaSize = 4;
constexpr std::uint32_t kEndEntrySize = kEntryHeaderSize + kEndAreaSize;

// An end entry for blocks that are not well formed and for callers that pass no entry at all.
alignas(4) constexpr unsigned char kLoneEnd[kEndEntrySize] = {kEnd, 0, 0, 0, kEndAreaSize, 0, 0, 0,
                                                              0,    0, 0, 0};

std::uint32_t Read32(const unsigned char* at) {
  std::uint32_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Append32(std::vector<unsigned char>& bytes, std::uint32_t value) {
  unsigned char raw[4];
  std::memcpy(raw, &value, sizeof raw);
  bytes.insert(bytes.end(), raw, raw + 4);
}

std::uint32_t AreaSize(std::size_t dataSize) {
  return static_cast<std::uint32_t>((dataSize + 1 + 3) / 4 * 4);
}

bool IsWellFormed(const unsigned char* block) {
  if (block == nullptr || Read32(block) != kMagic)
    return false;
  std::uint32_t count = Read32(block + 4);
  std::uint32_t size = Read32(block + 8);
  if (size > kMaxBlockSize || size < kHeaderSize + kEndEntrySize || size % 4 != 0)
    return false;
  std::uint32_t endOffset = size - kEndEntrySize;
  std::uint32_t offset = kHeaderSize;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (offset + kEntryHeaderSize > endOffset)
      return false;
    std::uint32_t type = Read32(block + offset);
    std::uint32_t area = Read32(block + offset + 4);
    if ((type != kInteger && type != kString) || area < 4 || area % 4 != 0 ||
        area > endOffset - offset - kEntryHeaderSize)
      return false;
    offset += kEntryHeaderSize + area;
    if (block[offset - 1] != 0)
      return false;
  }
  if (offset != endOffset || Read32(block + offset) != kEnd || Read32(block + offset + 4) != kEndAreaSize)
    return false;
  return Read32(block + offset + kEntryHeaderSize) == 0;
}

}  // namespace

void InfoBlockWriter::AddEntry(std::uint32_t type, std::string_view data) {
  Append32(entries_, type);
  std::uint32_t area = AreaSize(data.size());
  Append32(entries_, area);
  entries_.insert(entries_.end(), data.begin(), data.end());
  entries_.insert(entries_.end(), area - data.size(), 0);
  ++count_;
}

void InfoBlockWriter::AddInteger(std::uint32_t value) {
  unsigned char raw[4];
  std::memcpy(raw, &value, sizeof raw);
  AddEntry(kInteger, std::string_view(reinterpret_cast<const char*>(raw), sizeof raw));
}

void InfoBlockWriter::AddString(std::string_view text) {
  AddEntry(kString, text.substr(0, text.find('\0')));
}

std::uint32_t InfoBlockWriter::Size() const {
  return static_cast<std::uint32_t>(kHeaderSize + entries_.size() + kEndEntrySize);
}

std::vector<unsigned char> InfoBlockWriter::Finish() const {
  std::vector<unsigned char> block;
  block.reserve(Size());
  Append32(block, kMagic);
  Append32(block, count_);
  Append32(block, Size());
  block.insert(block.end(), entries_.begin(), entries_.end());
  block.insert(block.end(), kLoneEnd, kLoneEnd + kEndEntrySize);
  return block;
}

const void* FirstEntry(const void* block) {
  auto* bytes = static_cast<const unsigned char*>(block);
  return IsWellFormed(bytes) ? bytes + kHeaderSize : kLoneEnd;
}

std::uint32_t EntryCount(const void* block) {
  auto* bytes = static_cast<const unsigned char*>(block);
  return IsWellFormed(bytes) ? Read32(bytes + 4) : 0;
}

const void* NextEntry(const void* entry) {
  if (entry == nullptr)
    return kLoneEnd;
  auto* bytes = static_cast<const unsigned char*>(entry);
  if (Read32(bytes) == kEnd)
    return entry;
  return bytes + kEntryHeaderSize + Read32(bytes + 4);
}

const void* EntryPayload(const void* entry) {
  auto* bytes = static_cast<const unsigned char*>(entry ? entry : kLoneEnd);
  return bytes + kEntryHeaderSize;
}

std::int32_t FillBlock(const std::vector<unsigned char>& block, void* buffer, std::uint32_t* size) {
  if (size == nullptr)
    return 0;
  if (buffer == nullptr || block.size() > *size) {
    *size = 0;
    return 0;
  }
  std::memcpy(buffer, block.data(), block.size());
  *size = static_cast<std::uint32_t>(block.size());
  return 1;
}

}  // namespace nkacpi
