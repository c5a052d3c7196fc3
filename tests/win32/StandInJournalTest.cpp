#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>

#include "StuckJournal.h"
#include "TestJournal.h"
#include "WinTestSupport.h"
#include "contract/FlashPlayerLibrary.h"
#include "journal/Journal.h"
#include "win32base/UniqueHandle.h"

namespace {

using namespace std::chrono_literals;

using Initialize = std::int32_t(__stdcall*)();
using SetItemValue = std::int32_t(__stdcall*)(std::uint32_t, std::uint32_t, std::uint32_t);

template <typename Function>
Function Entry(HMODULE library, LPCSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The program calls the ACPI library and the player on its main thread; a journal whose lock someone
// holds must not stop it there. The lines come out once the lock is free, with the times of their events,
// also when the libraries were freed meanwhile.
TEST(StandInJournal, AnAcpiWriteAndAPlayerRequestNeverWaitForTheJournalAndKeepTheirEventTimes) {
  wintest::TestJournal journal;
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string bios =
      std::string(folder) + "gs-standin-journal-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::ofstream(bios, std::ios::binary)
      << "group 15\nitem 15 1 : 0x00080001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n";
  SetEnvironmentVariableA("NKACPI_BIOS", bios.c_str());

  win32base::UniqueModule acpi(LoadLibraryW(wintest::DistFile(L"nkacpi.dll").c_str()));
  win32base::UniqueModule flash(LoadLibraryW(wintest::DistFile(L"swfhost.dll").c_str()));
  ASSERT_TRUE(acpi && flash) << "cannot load the stand-ins from the program folder, error " << GetLastError();
  auto create = Entry<osd::FlashCreateFunction>(flash.Get(), "flash_create");
  auto call = Entry<osd::FlashCallFunctionFunction>(flash.Get(), "flash_callFunction");
  ASSERT_TRUE(create && call);
  win32base::UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(owner);

  const std::wstring label =
      L"<invoke name=\"changeLabel\" "
      L"returntype=\"xml\"><arguments><string>Turbo</string></arguments></invoke>";
  HWND player = nullptr;
  double returned = 0;
  {
    wintest::StuckJournal stuck;
    ASSERT_TRUE(stuck.Held()) << "cannot take the journal's lock";
    // Held for three seconds at most; a library that waited for the journal's lock (two seconds a line)
    // would still be inside its calls when they are up.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Entry<Initialize>(acpi.Get(), reinterpret_cast<LPCSTR>(1))(), 1);
    EXPECT_EQ(Entry<SetItemValue>(acpi.Get(), reinterpret_cast<LPCSTR>(2))(0x80001, 2, 3), 1);
    BSTR movie = SysAllocString(wintest::DistFile(L"Resource\\GearProfileOn.swf").c_str());
    player = create(owner.Get(), movie);
    SysFreeString(movie);
    ASSERT_NE(player, nullptr);
    VARIANT request;
    VariantInit(&request);
    request.vt = VT_BSTR;
    request.bstrVal = SysAllocString(label.c_str());
    EXPECT_EQ(call(player, request), 1);
    VariantClear(&request);
    returned = journal::Now();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "the calls waited for the journal's lock";
    EXPECT_TRUE(journal.Lines().empty()) << "written past the lock:\n" << journal.Text();
    // Freed with their lines still queued: the lines must not go with them.
    owner.Reset();
    flash.Reset();
    acpi.Reset();
  }

  auto written = journal.WaitFor("acpi", "write");
  auto called = journal.WaitFor("flash", "call");
  ASSERT_EQ(written.size(), 1u) << journal.Text();
  ASSERT_EQ(called.size(), 1u) << journal.Text();
  EXPECT_EQ(written[0].Text, "acpi write 0x80001 2 3 ok");
  std::string narrow(label.begin(), label.end());
  EXPECT_EQ(called[0].Text,
            "flash call " + journal::Hex(reinterpret_cast<std::uintptr_t>(player)) + " " + narrow);
  EXPECT_LT(written[0].Ms, returned) << "stamped when it was written, not when it happened";
  EXPECT_LT(called[0].Ms, returned) << "stamped when it was written, not when it happened";
  EXPECT_LT(written[0].Ms, called[0].Ms);

  SetEnvironmentVariableA("NKACPI_BIOS", nullptr);
  DeleteFileA(bios.c_str());
}

}  // namespace
