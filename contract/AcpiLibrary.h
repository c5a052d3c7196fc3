#pragma once

#include <cstdint>

// The maker's ACPI library uses the Windows API calling convention; elsewhere there is only one.
#if defined(_WIN32)
#define NKACPI_CALL __stdcall
#else
#define NKACPI_CALL
#endif

namespace bios {

// The size of every information block buffer the library is handed.
inline constexpr std::uint32_t kInfoBlockSize = 4096;

// The nine entry points of nkacpi.dll, by export ordinal. On Windows they are imported by ordinal from
// the library itself; the native build binds them to the stand-in's portable core.
struct AcpiLibrary {
  std::int32_t(NKACPI_CALL* Initialize)();                                                             // 1
  std::int32_t(NKACPI_CALL* SetItemValue)(std::uint32_t id, std::uint32_t index, std::uint32_t mode);  // 2
  std::int32_t(NKACPI_CALL* GetItemValue)(std::uint32_t id, std::uint32_t* index);                     // 3
  std::int32_t(NKACPI_CALL* GetGroupInfo)(std::uint32_t group, void* block, std::uint32_t* size);      // 5
  const void*(NKACPI_CALL* FirstEntry)(const void* block);                                             // 6
  std::uint32_t(NKACPI_CALL* EntryCount)(const void* block);                                           // 7
  const void*(NKACPI_CALL* EntryPayload)(const void* entry);                                           // 9
  const void*(NKACPI_CALL* NextEntry)(const void* entry);                                              // 10
  std::int32_t(NKACPI_CALL* GetItemInfo)(const void* payload, void* block, std::uint32_t* size);       // 11
};

const AcpiLibrary& Acpi();

}  // namespace bios
