#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "ChildProcess.h"
#include "TestJournal.h"
#include "WindowSearch.h"
#include "contract/ProcessContract.h"
#include "journal/Journal.h"

namespace e2e {

inline constexpr UINT kCloseRequest = contract::CloseRequestMessage,
                      kServiceNotify = contract::ServiceNotifyMessage, kHotKey = contract::HotKeyMessage;

inline std::string HexOf(HWND window) {
  return journal::Hex(reinterpret_cast<uintptr_t>(window));
}

// The shipped programs as a user runs them, each test with a fresh journal and its own copy of the
// simulated BIOS (the program writes to it), and nothing left running afterwards.
class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    biosPath = std::string(dir) + "gs-e2e-bios-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_TRUE(CopyFileW(wintest::DistFile(L"bios.txt").c_str(),
                          std::wstring(biosPath.begin(), biosPath.end()).c_str(), FALSE))
        << "cannot copy the shipped bios.txt";
    SetEnvironmentVariableA("NKACPI_BIOS", biosPath.c_str());
  }

  void TearDown() override {
    program.reset();
    if (service && service->Running())
      wintest::RunDistProgram(L"nksyssvr.exe", L"stop");
    SetEnvironmentVariableA("NKACPI_BIOS", nullptr);
    DeleteFileA(biosPath.c_str());
  }

  // Replaces this test's BIOS with another description.
  void UseBios(const std::string& description) {
    std::ofstream(biosPath, std::ios::binary | std::ios::trunc) << description;
  }

  // Starts the program (from the shipped folder, unless another was chosen) and waits for its hidden
  // main form.
  HWND StartProgram() {
    std::wstring command = programFolder.empty() ? wintest::DistCommand(L"GearShift.exe")
                                                 : L"\"" + programFolder + L"\\GearShift.exe\"";
    program = std::make_unique<wintest::ChildProcess>(command);
    EXPECT_TRUE(program->Started()) << "GearShift.exe did not start, error " << program->StartError();
    HWND window = WaitForWindow(program->Id(), contract::MainFormClass, contract::MainFormCaption);
    EXPECT_NE(window, nullptr) << "no main form appeared\n" << journal.Text();
    return window;
  }

  void StartService() {
    service = std::make_unique<wintest::ChildProcess>(wintest::DistCommand(L"nksyssvr.exe"));
    ASSERT_FALSE(journal.WaitFor("svc", "start").empty()) << "the service did not start\n" << journal.Text();
  }

  // Closes the program the way the suite does and checks that it ends cleanly.
  void CloseProgram(HWND window) {
    PostMessageW(window, kCloseRequest, contract::MessageTag, 0);
    EXPECT_EQ(program->WaitForExit(), 0u) << "the program did not end cleanly on the close request";
  }

  wintest::TestJournal journal;
  std::wstring programFolder;  // empty: the shipped folder
  std::string biosPath;
  std::unique_ptr<wintest::ChildProcess> service;
  std::unique_ptr<wintest::ChildProcess> program;
};

}  // namespace e2e
