// The native build's nkacpi: the program's binding table served by the stand-in's portable core. The file
// is NKACPI_BIOS, else bios.txt in the working directory: natively there is no installed folder that the
// user cannot write, so no copy of it is made either.
#include <cstdio>
#include <cstdlib>

#include "AcpiMachine.h"
#include "InfoBlock.h"
#include "contract/AcpiLibrary.h"

namespace {

nkacpi::AcpiMachine& Machine() {
  static nkacpi::AcpiMachine machine(
      [](const std::string&) {},
      [](const std::string& text) { std::fprintf(stderr, "nkacpi: %s\n", text.c_str()); });
  return machine;
}

std::int32_t Initialize() {
  const char* file = std::getenv("NKACPI_BIOS");
  return Machine().Initialize(file && *file ? file : "bios.txt");
}

std::int32_t SetItemValue(std::uint32_t id, std::uint32_t index, std::uint32_t mode) {
  return Machine().SetItemValue(id, index, mode);
}

std::int32_t GetItemValue(std::uint32_t id, std::uint32_t* index) {
  return Machine().GetItemValue(id, index);
}

std::int32_t GetGroupInfo(std::uint32_t group, void* block, std::uint32_t* size) {
  return Machine().GetGroupInfo(group, block, size);
}

std::int32_t GetItemInfo(const void* payload, void* block, std::uint32_t* size) {
  return Machine().GetItemInfo(payload, block, size);
}

}  // namespace

namespace bios {

const AcpiLibrary& Acpi() {
  static const AcpiLibrary library{Initialize,           SetItemValue,       GetItemValue,
                                   GetGroupInfo,         nkacpi::FirstEntry, nkacpi::EntryCount,
                                   nkacpi::EntryPayload, nkacpi::NextEntry,  GetItemInfo};
  return library;
}

}  // namespace bios
