#pragma once

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ProgramFixture.h"

namespace e2e {

inline constexpr const wchar_t* kHotKeyKey = contract::HotKeyRegistryKey;
inline constexpr DWORD kCtrlAltA = 0x5000041, kCtrlAltB = 0x5000042, kCtrlAltC = 0x5000043;
inline constexpr DWORD kLevelChange = contract::LevelChangeNotification;

inline std::string Hex32(DWORD value) {
  return journal::Hex(value);
}

// The program resident with the service and the configuration window beside it, driven the way the
// suite drives it, and watched through the journal and its windows. The hot-key codes of the registry
// are the test's own and removed afterwards.
class AnnouncementFixture : public ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    RemoveHotKeyKey();
  }

  void TearDown() override {
    if (companion && companion->Running())
      wintest::RunDistProgram(L"gearmain.exe", L"stop");
    companion.reset();
    ProgramFixture::TearDown();
    RemoveHotKeyKey();
    if (!copiedFolder.empty())
      RemoveFolder(copiedFolder);
  }

  // Service, configuration window and program, in the order a session starts them.
  void StartAll() {
    StartService();
    companion = std::make_unique<wintest::ChildProcess>(wintest::DistCommand(L"gearmain.exe"));
    ASSERT_TRUE(wintest::WaitUntil([] {
      return FindWindowW(contract::CompanionClass, contract::CompanionCaption) != nullptr;
    })) << "the configuration window did not come up";
    mainWindow = StartProgram();
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_FALSE(journal.WaitFor("svc", "register").empty()) << journal.Text();
  }

  void HotKey(DWORD code) {
    auto run = wintest::RunDistProgram(L"gsctl.exe", L"hotkey " + Widen(Hex32(code)));
    ASSERT_EQ(run.exitCode, 0u) << run.output << run.errors;
  }

  void Notify(DWORD code) {
    auto run = wintest::RunDistProgram(L"nksyssvr.exe", L"notify " + Widen(Hex32(code)));
    ASSERT_EQ(run.exitCode, 0u) << run.output << run.errors;
  }

  // The registry's codes, in the 32-bit view the program reads.
  static void SetHotKeyValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHotKeyKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void SetHotKeyCode(const wchar_t* name, DWORD code) {
    SetHotKeyValue(name, REG_DWORD, &code, sizeof code);
  }
  static void RemoveHotKeyKey() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHotKeyKey, KEY_WOW64_32KEY, 0); }

  HWND OsdWindow() const {
    auto found = WindowsOf(program->Id(), contract::OsdFormClass, contract::OsdFormCaption);
    return found.empty() ? nullptr : found.front();
  }
  std::vector<HWND> Players() const { return WindowsOf(program->Id(), contract::PlayerWindowClass); }
  // Whether, in the desktop's stacking order, a visible player comes before the OSD window that holds
  // the backdrop; a movie behind the backdrop is not seen at all.
  bool MovieInFrontOfBackdrop() const {
    HWND osd = OsdWindow();
    auto players = Players();
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      if (window == osd)
        return false;
      if (IsWindowVisible(window) && std::find(players.begin(), players.end(), window) != players.end())
        return true;
    }
    return false;
  }
  bool OsdVisible() const {
    HWND osd = OsdWindow();
    return osd && IsWindowVisible(osd);
  }

  // The lines of the journal that the program's player library wrote for requests of one function.
  std::vector<wintest::JournalLine> Requests(const std::string& function) const {
    std::vector<wintest::JournalLine> found;
    for (const auto& line : journal.Find("flash", "call")) {
      if (line.Text.find("<invoke name=\"" + function + "\"") != std::string::npos)
        found.push_back(line);
    }
    return found;
  }
  std::vector<wintest::JournalLine> Writes() const { return journal.Find("acpi", "write"); }

  // Waits until the count-th showing has ended: the movie has called out after its "end" and the OSD is
  // hidden again.
  ::testing::AssertionResult WaitForShowingsToEnd(size_t count) {
    bool ended = wintest::WaitUntil(
        [&] { return journal.Find("flash", "callout").size() >= 2 * count && !OsdVisible(); },
        std::chrono::seconds(30));
    if (ended)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "showing " << count << " did not end; " << ProgramState() << "\n"
                                         << journal.Text();
  }

  // Whether the program still runs, or how it ended, with what it wrote to its error output: a showing
  // that never came may be a program that is gone.
  std::string ProgramState() const {
    if (!program)
      return "the program was not started";
    std::optional<DWORD> code = program->WaitForExit(std::chrono::milliseconds(0));
    std::string state =
        code ? "the program has ended with exit code " + Hex32(*code) : "the program still runs";
    std::string errors = program->Errors();
    return errors.empty() ? state : state + "; its error output:\n" + errors;
  }

  // A copy of the shipped folder without the named files, to start the program from; its name begins
  // with the given one.
  void UseFolderWithout(std::initializer_list<std::wstring> missing,
                        const std::wstring& name = L"gs-e2e-folder-") {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    copiedFolder = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
    CopyFolder(wintest::DistDir(), copiedFolder, missing);
    programFolder = copiedFolder;
  }

  // The resident memory of the program's process, in bytes (under Wine the Linux process's VmRSS).
  SIZE_T ProgramMemory() const {
    win32base::UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program->Id()));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters))
      return 0;
    return counters.WorkingSetSize;
  }

  static std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

  std::unique_ptr<wintest::ChildProcess> companion;
  HWND mainWindow = nullptr;
  std::wstring copiedFolder;

 private:
  static void CopyFolder(const std::wstring& from, const std::wstring& to,
                         std::initializer_list<std::wstring> missing) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      bool left = false;
      for (const auto& m : missing)
        left = left || lstrcmpiW(m.c_str(), name.c_str()) == 0;
      if (left)
        continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        CopyFolder(from + L"\\" + name, to + L"\\" + name, {});
      else
        EXPECT_TRUE(CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  static void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
          continue;
        std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveFolder(path);
        else
          DeleteFileW(path.c_str());
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
  }
};

}  // namespace e2e
