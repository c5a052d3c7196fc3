#include "BiosStringItem.h"

#include "InfoEntries.h"

namespace bios {

template <typename Char>
bool BasicBiosStringItem<Char>::ParseInfo(const void*& cursor, std::int64_t& remaining) {
  BasicBiosItem<Char>::ParseInfo(cursor, remaining);
  if (remaining < 3)
    return false;
  cursor = NextEntry(cursor);
  stringCount_ = EntryInteger(cursor);
  cursor = NextEntry(cursor);
  remaining -= 2;
  if (stringCount_ == 0 || stringCount_ > remaining)
    return false;
  for (std::uint32_t i = 0; i < stringCount_; ++i) {
    strings_.push_back(EntryString<Char>(cursor));
    cursor = NextEntry(cursor);
  }
  remaining -= stringCount_;
  return true;
}

template class BasicBiosStringItem<char>;

}  // namespace bios
