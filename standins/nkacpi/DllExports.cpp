// nkacpi.dll: the library's entry points, exported by ordinal only (nkacpi.def), over the portable core.
#include <windows.h>

#include <cstdint>
#include <string>

#include "AcpiMachine.h"
#include "InfoBlock.h"
#include "UserBiosCopy.h"
#include "journal/EntryGuard.h"
#include "journal/JournalWriter.h"

namespace {

constexpr journal::EntryReporter kReporter{"nkacpi", "acpi", true};

void ReportProblem(const std::string& text) {
  journal::Queue("acpi", "error " + text);
  OutputDebugStringA(("nkacpi: " + text + "\n").c_str());
}

nkacpi::AcpiMachine& Machine() {
  static nkacpi::AcpiMachine machine([](const std::string& event) { journal::Queue("acpi", event); },
                                     ReportProblem);
  return machine;
}

// Where the shipped bios.txt is: the folder this library was loaded from.
std::filesystem::path ShippedBiosFile() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&Machine), &self);
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(self, module.data(), static_cast<DWORD>(module.size()));
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);
  }
  return std::filesystem::path(module).parent_path() / L"bios.txt";
}

}  // namespace

extern "C" {

// The journal's lines are written by a thread of the library's own: the program calls in on its main
// thread, which must not wait for the journal's lock.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH)
    journal::OnModuleDetach(reserved);
  return TRUE;
}

std::int32_t __stdcall AcpiInitialize() {
  return journal::GuardEntry<std::int32_t>(kReporter, "AcpiInitialize", 0, [] {
    return Machine().Initialize(nkacpi::ChooseBiosFile(ShippedBiosFile(), ReportProblem));
  });
}

std::int32_t __stdcall AcpiSetItemValue(std::uint32_t id, std::uint32_t index, std::uint32_t mode) {
  return journal::GuardEntry<std::int32_t>(kReporter, "AcpiSetItemValue", 0,
                                           [&] { return Machine().SetItemValue(id, index, mode); });
}

std::int32_t __stdcall AcpiGetItemValue(std::uint32_t id, std::uint32_t* index) {
  return journal::GuardEntry<std::int32_t>(kReporter, "AcpiGetItemValue", 0,
                                           [&] { return Machine().GetItemValue(id, index); });
}

std::int32_t __stdcall AcpiGetGroupInfo(std::uint32_t group, void* block, std::uint32_t* size) {
  return journal::GuardEntry<std::int32_t>(kReporter, "AcpiGetGroupInfo", 0,
                                           [&] { return Machine().GetGroupInfo(group, block, size); });
}

const void* __stdcall AcpiFirstEntry(const void* block) {
  return journal::GuardEntry<const void*>(kReporter, "AcpiFirstEntry", nullptr,
                                          [&] { return nkacpi::FirstEntry(block); });
}

std::uint32_t __stdcall AcpiEntryCount(const void* block) {
  return journal::GuardEntry<std::uint32_t>(kReporter, "AcpiEntryCount", 0,
                                            [&] { return nkacpi::EntryCount(block); });
}

const void* __stdcall AcpiEntryPayload(const void* entry) {
  return journal::GuardEntry<const void*>(kReporter, "AcpiEntryPayload", nullptr,
                                          [&] { return nkacpi::EntryPayload(entry); });
}

const void* __stdcall AcpiNextEntry(const void* entry) {
  return journal::GuardEntry<const void*>(kReporter, "AcpiNextEntry", nullptr,
                                          [&] { return nkacpi::NextEntry(entry); });
}

std::int32_t __stdcall AcpiGetItemInfo(const void* payload, void* block, std::uint32_t* size) {
  return journal::GuardEntry<std::int32_t>(kReporter, "AcpiGetItemInfo", 0,
                                           [&] { return Machine().GetItemInfo(payload, block, size); });
}

}  // extern "C"
