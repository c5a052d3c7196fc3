#include "BiosItem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "contract/AcpiLibrary.h"
#include "InfoEntries.h"
#include "MessageBox.h"

namespace bios {

template <typename Char>
void BasicBiosItem<Char>::IndexToRational(std::uint32_t, std::int32_t&, std::int32_t&) const {
  ReportUnsupported("IndexToRational");
}

template <typename Char>
double BasicBiosItem<Char>::IndexToValue(std::uint32_t) const {
  ReportUnsupported("IndexToValue");
  return 0.0;
}

template <typename Char>
typename BasicBiosItem<Char>::String BasicBiosItem<Char>::IndexToString(std::uint32_t) const {
  ReportUnsupported("IndexToString");
  return {};
}

template <typename Char>
bool BasicBiosItem<Char>::LoadInfo(const void* block, std::uint32_t size) {
  blockSize_ = size;
  // The walking entry points only ever see the block's start, so the copy is at least one full library
  // block long, zero past the bytes copied: a short or malformed block can then never be read beyond
  // its buffer.
  try {
    block_.assign(std::max(size, kInfoBlockSize), 0);
  } catch (const std::bad_alloc&) {
    block_.clear();
    return false;
  }
  if (block != nullptr && size != 0)
    std::memcpy(block_.data(), block, size);

  std::int64_t remaining = EntryCount(block_.data());
  if (remaining < 3)
    return false;
  const void* cursor = FirstEntry(block_.data());
  itemId_ = EntryInteger(cursor);
  cursor = NextEntry(cursor);
  remaining -= 1;
  return ParseInfo(cursor, remaining);
}

template <typename Char>
bool BasicBiosItem<Char>::ParseInfo(const void*& cursor, std::int64_t& remaining) {
  cursor = NextEntry(NextEntry(cursor));
  remaining -= 2;
  return true;
}

template <typename Char>
std::int32_t BasicBiosItem<Char>::ReadEntry3() const {
  if (block_.empty())
    return 0;
  const void* entry = FirstEntry(block_.data());
  for (int step = 0; step < 3; ++step)
    entry = NextEntry(entry);
  return static_cast<std::int32_t>(EntryInteger(entry));
}

template <typename Char>
void BasicBiosItem<Char>::ReportUnsupported(const char* operation) const {
  char text[64];
  std::snprintf(text, sizeof text, "Item[%x] does not supports %s", static_cast<unsigned>(itemId_),
                operation);
  ShowMessageBox(text, "BiosItem");
}

template class BasicBiosItem<char>;

}  // namespace bios
