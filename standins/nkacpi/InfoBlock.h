#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The library's information block: a header (magic, entry count, size in bytes) and entries that
// each carry their type and the length of their payload area, closed by an end entry. Nothing in it is
// an address, so a byte copy walks exactly like the original.
namespace nkacpi {

inline constexpr std::uint32_t kMaxBlockSize = 4096;

class InfoBlockWriter {
 public:
  void AddInteger(std::uint32_t value);
  // Stores the text up to its first NUL.
  void AddString(std::string_view text);
  // The size of the finished block, end entry included.
  std::uint32_t Size() const;
  std::vector<unsigned char> Finish() const;

 private:
  void AddEntry(std::uint32_t type, std::string_view data);

  std::vector<unsigned char> entries_;
  std::uint32_t count_ = 0;
};

// The walking entry points. They read at most kMaxBlockSize bytes from a block's start and check the
// whole block before handing out an entry: a block that is not well formed has no entries, and its first
// entry is an end entry whose payload reads as 0 or "". Walking on from the end entry stays on it.
const void* FirstEntry(const void* block);
std::uint32_t EntryCount(const void* block);
const void* NextEntry(const void* entry);
const void* EntryPayload(const void* entry);

// Copies a finished block into a caller's buffer of *size bytes; 0 when it does not fit, which leaves
// the buffer alone and reports 0 bytes filled.
std::int32_t FillBlock(const std::vector<unsigned char>& block, void* buffer, std::uint32_t* size);

}  // namespace nkacpi
