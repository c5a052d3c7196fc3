#include "InfoEntries.h"

#include <cstring>

#include "contract/AcpiLibrary.h"

namespace bios {

const void* FirstEntry(const void* block) {
  return Acpi().FirstEntry(block);
}

std::uint32_t EntryCount(const void* block) {
  return Acpi().EntryCount(block);
}

const void* NextEntry(const void* entry) {
  return Acpi().NextEntry(entry);
}

std::uint32_t EntryInteger(const void* entry) {
  // The payload carries no alignment promise.
  std::uint32_t value = 0;
  std::memcpy(&value, Acpi().EntryPayload(entry), sizeof value);
  return value;
}

template <typename Char>
const Char* EntryString(const void* entry) {
  return static_cast<const Char*>(Acpi().EntryPayload(entry));
}

template const char* EntryString<char>(const void* entry);

}  // namespace bios
