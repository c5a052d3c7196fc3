#pragma once

#include <cstdint>

namespace bios {

// Reading an information block only ever goes through the library's walking entry points: the block's
// layout is the library's own.
const void* FirstEntry(const void* block);
std::uint32_t EntryCount(const void* block);
const void* NextEntry(const void* entry);
std::uint32_t EntryInteger(const void* entry);

template <typename Char>
const Char* EntryString(const void* entry);

}  // namespace bios
