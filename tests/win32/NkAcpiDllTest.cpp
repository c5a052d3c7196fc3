#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "win32base/UniqueHandle.h"

namespace {

using GroupInfo = std::int32_t(__stdcall*)(std::uint32_t, void*, std::uint32_t*);
using ItemInfo = std::int32_t(__stdcall*)(const void*, void*, std::uint32_t*);
using Walk = const void*(__stdcall*)(const void*);
using Count = std::uint32_t(__stdcall*)(const void*);
using Initialize = std::int32_t(__stdcall*)();

// Loads the shipped nkacpi.dll itself, serving a BIOS description this test writes.
class NkAcpiDllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    std::string stem = std::string(directory) + "gs-nkacpi-" + std::to_string(GetCurrentProcessId());
    bios_ = stem + ".txt";
    journal_ = stem + ".log";
    std::ofstream(bios_, std::ios::binary)
        << "group 15\n"
           "item 15 0 : 0x000c0002 0 0 0 800 25 17\n"
           "item 15 1 : 0x00080001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n";
    SetEnvironmentVariableA("NKACPI_BIOS", bios_.c_str());
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", journal_.c_str());
    library_.Reset(LoadLibraryW(wintest::DistFile(L"nkacpi.dll").c_str()));
    ASSERT_TRUE(library_) << "cannot load nkacpi.dll from the program folder, error " << GetLastError();
  }

  void TearDown() override {
    library_.Reset();
    SetEnvironmentVariableA("NKACPI_BIOS", nullptr);
    SetEnvironmentVariableA("GEARSHIFT_JOURNAL", nullptr);
    DeleteFileA(bios_.c_str());
    DeleteFileA(journal_.c_str());
  }

  template <typename Function>
  Function Ordinal(WORD ordinal) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), reinterpret_cast<LPCSTR>(ordinal))));
  }

  // Once there are at least `count`: the library writes its lines on a thread of its own.
  std::vector<std::string> JournalEvents(size_t count) const {
    std::vector<std::string> events;
    wintest::WaitUntil([&] {
      events.clear();
      std::ifstream in(journal_);
      for (std::string line; std::getline(in, line);)
        events.push_back(line.substr(line.find(' ') + 1));
      return events.size() >= count;
    });
    return events;
  }

  std::string bios_, journal_;
  win32base::UniqueModule library_;
};

TEST_F(NkAcpiDllTest, ExportsExactlyTheNineOrdinals) {
  for (WORD ordinal : {1, 2, 3, 5, 6, 7, 9, 10, 11})
    EXPECT_NE(GetProcAddress(library_.Get(), reinterpret_cast<LPCSTR>(ordinal)), nullptr)
        << "ordinal " << ordinal;
  for (WORD ordinal : {4, 8, 12})
    EXPECT_EQ(GetProcAddress(library_.Get(), reinterpret_cast<LPCSTR>(ordinal)), nullptr)
        << "ordinal " << ordinal;
}

TEST_F(NkAcpiDllTest, WalksAGroupThroughTheLibrary) {
  Ordinal<Initialize>(1)();
  std::vector<unsigned char> group(4096), item(4096);
  std::uint32_t size = 4096;
  ASSERT_NE(Ordinal<GroupInfo>(5)(15, group.data(), &size), 0);
  EXPECT_LE(size, 4096u);
  ASSERT_EQ(Ordinal<Count>(7)(group.data()), 2u);

  std::vector<std::uint32_t> ids;
  std::vector<std::uint32_t> itemEntryCounts;
  const void* entry = Ordinal<Walk>(6)(group.data());
  for (int i = 0; i < 2; ++i, entry = Ordinal<Walk>(10)(entry)) {
    std::uint32_t itemSize = 4096;
    ASSERT_NE(Ordinal<ItemInfo>(11)(Ordinal<Walk>(9)(entry), item.data(), &itemSize), 0);
    std::uint32_t id = 0;
    std::memcpy(&id, Ordinal<Walk>(9)(Ordinal<Walk>(6)(item.data())), sizeof id);
    ids.push_back(id);
    itemEntryCounts.push_back(Ordinal<Count>(7)(item.data()));
  }
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{0x000c0002, 0x00080001}));
  EXPECT_EQ(itemEntryCounts, (std::vector<std::uint32_t>{7, 8}));
  EXPECT_EQ(Ordinal<GroupInfo>(5)(14, group.data(), &size), 0);

  EXPECT_EQ(JournalEvents(5), (std::vector<std::string>{"acpi init", "acpi group 15 ok", "acpi item 0xc0002",
                                                        "acpi item 0x80001", "acpi group 14 fail"}));
}

TEST_F(NkAcpiDllTest, ABadLineIsJournalledWithFileAndLine) {
  std::ofstream(bios_, std::ios::binary) << "group 15\nitem 15 x : 1\n";
  EXPECT_EQ(Ordinal<Initialize>(1)(), 0);
  auto events = JournalEvents(2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].rfind("acpi error refused " + bios_ + ":2: ", 0), 0u) << events[1];
}

TEST_F(NkAcpiDllTest, AnEntryThatFailsInsideAnswersNoAndSaysWhy) {
  // Half a surrogate pair is a file name Windows takes but UTF-8 cannot spell, so no message can name
  // it: the entry fails inside, and the caller must hear "no", not lose its process.
  SetEnvironmentVariableW(L"NKACPI_BIOS", L"C:\\gs-\xD800-bios.txt");
  EXPECT_EQ(Ordinal<Initialize>(1)(), 0);
  auto events = JournalEvents(1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].rfind("acpi error AcpiInitialize: ", 0), 0u) << events[0];
}

}  // namespace
