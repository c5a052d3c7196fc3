#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramFixture.h"

namespace e2e {
namespace {

using wintest::WaitUntil;

// Message boxes are dialogs of the system's dialog class.
std::vector<HWND> MessageBoxesOf(DWORD processId) {
  return WindowsOf(processId, L"#32770");
}

// The message of a box: the text of its static controls (the icon's has none). Read once it is there,
// since the box may be found before its controls are filled in.
std::wstring MessageTextOf(HWND box) {
  std::wstring text;
  WaitUntil([&] {
    text.clear();
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t name[32] = {}, caption[256] = {};
      GetClassNameW(child, name, 32);
      if (_wcsicmp(name, L"Static") == 0 && GetWindowTextW(child, caption, 256) > 0)
        text += caption;
    }
    return !text.empty();
  });
  return text;
}

class LevelItemLookupTest : public ProgramFixture {
 protected:
  // Starts the program on a model it does not support and returns its message box.
  HWND StartUnsupported() {
    program = std::make_unique<wintest::ChildProcess>(wintest::DistCommand(L"GearShift.exe"));
    EXPECT_TRUE(program->Started());
    HWND box = nullptr;
    WaitUntil([&] {
      auto boxes = MessageBoxesOf(program->Id());
      box = boxes.empty() ? nullptr : boxes.front();
      return box != nullptr;
    });
    return box;
  }

  std::vector<std::string> AcpiEvents() const {
    std::vector<std::string> events;
    for (const auto& line : journal.Lines())
      if (line.Component == "acpi")
        events.push_back(line.Text);
    return events;
  }
};

TEST_F(LevelItemLookupTest, ModelWithoutTheLevelGroupSaysSoOnceAndEnds) {
  UseBios("group 16\nitem 16 0 : 0x00080001 0 0 0 2 \"a\" \"b\"\n");
  HWND box = StartUnsupported();
  ASSERT_NE(box, nullptr) << "no message box appeared\n" << journal.Text();
  EXPECT_EQ(MessageTextOf(box), L"This Model does not Support Gear Shift!");
  EXPECT_EQ(MessageBoxesOf(program->Id()).size(), 1u);
  EXPECT_TRUE(program->Running()) << "the program must wait for the user";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program->WaitForExit(), 0u) << "after the message the program must end with code 0";
  EXPECT_EQ(journal.Find("svc", "unregister").size(), 1u) << "it still unregisters on its way out\n"
                                                          << journal.Text();
  // Nothing of the library is used past the group that could not be opened.
  EXPECT_EQ(AcpiEvents(), (std::vector<std::string>{"acpi init", "acpi group 15 fail"})) << journal.Text();
}

TEST_F(LevelItemLookupTest, CloseRequestWhileTheBoxIsOpenEndsTheProgram) {
  UseBios("group 16\n");
  HWND box = StartUnsupported();
  ASSERT_NE(box, nullptr) << journal.Text();
  // The main form exists (it registered before the lookup) but start-up has not finished.
  HWND window = WaitForWindow(program->Id(), L"TMainForm", L"GearShift");
  ASSERT_NE(window, nullptr);
  PostMessageW(window, kCloseRequest, 0x55, 0);
  EXPECT_EQ(program->WaitForExit(), 0u) << "the close request must end the program, box or no box\n"
                                        << journal.Text();
  EXPECT_EQ(journal.Find("svc", "unregister").size(), 1u) << journal.Text();
}

TEST_F(LevelItemLookupTest, GroupWithoutAnItemNumberedOneIsUnsupportedToo) {
  UseBios("group 15\nitem 15 0 : 0x00080002 0 0 0 2 \"a\" \"b\"\nitem 15 0 : 0x00070003 0 0 0\n");
  HWND box = StartUnsupported();
  ASSERT_NE(box, nullptr) << journal.Text();
  EXPECT_EQ(MessageTextOf(box), L"This Model does not Support Gear Shift!");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program->WaitForExit(), 0u);
}

TEST_F(LevelItemLookupTest, FirstItemNumberedOneInGroupOrderIsTheLevelItem) {
  UseBios(
      "group 15\n"
      "item 15 0 : 0x00080002 0 0 0 2 \"x\" \"y\"\n"
      "item 15 1 : 0x00080001 0 0 0 3 \"Quiet\" \"Balanced\" \"Turbo\"\n"
      "item 15 0 : 0x00000001 0 0 0 0 1 3\n");
  StartService();
  HWND window = StartProgram();
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(journal.WaitFor("acpi", "item", 2).empty()) << journal.Text();
  // The walk is over; whatever the main thread does next (the main loop, or a message box's own loop,
  // whose box exists before the loop runs) answers this.
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result));
  EXPECT_TRUE(MessageBoxesOf(program->Id()).empty()) << "a supported model must start without a message";

  // The close request is posted, so it is only taken once start-up is over: after it, nothing more is
  // read.
  CloseProgram(window);
  EXPECT_EQ(journal.Find("acpi", "item").size(), 2u) << "the walk must stop at the first match\n"
                                                     << journal.Text();
  EXPECT_TRUE(journal.Contains("acpi item 0x80001")) << journal.Text();
  EXPECT_FALSE(journal.Contains("acpi item 0x1")) << journal.Text();
}

}  // namespace
}  // namespace e2e
