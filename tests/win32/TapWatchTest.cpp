#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "RecordingWindow.h"
#include "StuckJournal.h"
#include "TestJournal.h"
#include "WinTestSupport.h"
#include "contract/TapWatchLibrary.h"
#include "journal/Journal.h"
#include "win32base/UniqueHandle.h"

namespace {

using namespace std::chrono_literals;

constexpr UINT kHotKeyMessage = 0x467;
constexpr WPARAM kHotKeyTag = 0x55;

// Keys down in order, then up in reverse order, one event per call as a keyboard sends them.
void Press(std::initializer_list<WORD> keys) {
  std::vector<INPUT> events;
  auto add = [&](WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    events.push_back(input);
  };
  for (WORD key : keys)
    add(key, 0);
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
    add(*key, KEYEVENTF_KEYUP);
  for (INPUT& input : events)
    SendInput(1, &input, sizeof input);
}

// TapWatch32.dll loaded and hooked as the program does it, delivering to a window of the test's own that
// stands for the program's main form.
class TapWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(L"TMainForm", L"GearShift"), nullptr) << "another main form would take the keys";
    mainForm.emplace(L"TMainForm", L"GearShift");
    ASSERT_TRUE(mainForm->Handle());
    // No codes of an earlier test's: the library watches the defaults.
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\NORVIK\\TUNEDECK_II\\Gear Shift", KEY_WOW64_32KEY, 0);
    library.Reset(LoadLibraryW(wintest::DistFile(L"TapWatch32.dll").c_str()));
    ASSERT_TRUE(library) << "cannot load TapWatch32.dll, error " << GetLastError();
    TapWatchEntry hook = Entry(TapWatchHookName);
    unhook = Entry(TapWatchUnhookName);
    ASSERT_NE(hook, nullptr);
    ASSERT_NE(unhook, nullptr);
    hook();
  }
  void TearDown() override { Unhook(); }

  TapWatchEntry Entry(const char* name) const {
    return reinterpret_cast<TapWatchEntry>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
  }
  void Unhook() {
    if (TapWatchEntry entry = std::exchange(unhook, nullptr))
      entry();
  }

  wintest::TestJournal journal;
  std::optional<wintest::RecordingWindow> mainForm;
  win32base::UniqueModule library;
  TapWatchEntry unhook = nullptr;
};

TEST_F(TapWatchTest, AHotKeyNeverWaitsForTheJournalAndItsLineIsStampedBeforeItsMessageArrives) {
  struct HotKey {
    std::initializer_list<WORD> keys;
    std::uint32_t code;
  };
  const HotKey hotKeys[] = {{{VK_LCONTROL, VK_LMENU, 'B'}, 0x5000042},
                            {{VK_LCONTROL, VK_LMENU, 'C'}, 0x5000043}};
  std::vector<double> arrivals;  // on the journal's clock, a moment after each message arrived
  {
    wintest::StuckJournal stuck;
    ASSERT_TRUE(stuck.Held()) << "cannot take the journal's lock";
    // Two seconds: Wine's wait for a low-level hook that does not answer, and the journal's own wait for
    // its lock. A hook thread that waited on the journal once it had delivered would hold up the keys
    // that follow for that long.
    auto start = std::chrono::steady_clock::now();
    auto remaining = [&] {
      return std::chrono::duration_cast<std::chrono::milliseconds>(
          2000ms - (std::chrono::steady_clock::now() - start));
    };
    for (const HotKey& hotKey : hotKeys) {
      Press(hotKey.keys);
      bool arrived = wintest::WaitUntil(
          [&] {
            return mainForm->Received({kHotKeyMessage, kHotKeyTag, hotKey.code});
          },
          remaining());
      ASSERT_TRUE(arrived && remaining() > 0ms)
          << "hot key " << journal::Hex(hotKey.code) << " waited for the journal\n"
          << journal.Text();
      arrivals.push_back(journal::Now());
    }
  }

  auto delivered = journal.WaitFor("hook", "deliver", 2);
  ASSERT_EQ(delivered.size(), 2u) << journal.Text();
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(delivered[i].Text, "hook deliver " + journal::Hex(hotKeys[i].code));
    EXPECT_LT(delivered[i].Ms, arrivals[i]) << delivered[i].Text << " is stamped after its message arrived";
  }
  // Once Unhook returns, nothing of the library's is left to be written.
  Unhook();
  EXPECT_TRUE(journal.Contains("hook unhook")) << journal.Text();
}

}  // namespace
