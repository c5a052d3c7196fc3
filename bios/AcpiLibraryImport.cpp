#include "contract/AcpiLibrary.h"

// Imported by ordinal only (see nkacpi.def): the maker publishes no names, and Windows refuses to start
// the program without the library.
extern "C" {
__declspec(dllimport) std::int32_t NKACPI_CALL AcpiInitialize();
__declspec(dllimport) std::int32_t NKACPI_CALL AcpiSetItemValue(std::uint32_t, std::uint32_t, std::uint32_t);
__declspec(dllimport) std::int32_t NKACPI_CALL AcpiGetItemValue(std::uint32_t, std::uint32_t*);
__declspec(dllimport) std::int32_t NKACPI_CALL AcpiGetGroupInfo(std::uint32_t, void*, std::uint32_t*);
__declspec(dllimport) const void* NKACPI_CALL AcpiFirstEntry(const void*);
__declspec(dllimport) std::uint32_t NKACPI_CALL AcpiEntryCount(const void*);
__declspec(dllimport) const void* NKACPI_CALL AcpiEntryPayload(const void*);
__declspec(dllimport) const void* NKACPI_CALL AcpiNextEntry(const void*);
__declspec(dllimport) std::int32_t NKACPI_CALL AcpiGetItemInfo(const void*, void*, std::uint32_t*);
}

namespace bios {

const AcpiLibrary& Acpi() {
  static const AcpiLibrary library{AcpiInitialize,   AcpiSetItemValue, AcpiGetItemValue,
                                   AcpiGetGroupInfo, AcpiFirstEntry,   AcpiEntryCount,
                                   AcpiEntryPayload, AcpiNextEntry,    AcpiGetItemInfo};
  return library;
}

}  // namespace bios
