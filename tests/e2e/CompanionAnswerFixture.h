#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "AnnouncementFixture.h"

namespace e2e {

// The program beside a configuration window that does something of its own while the program waits for
// its reply (gearmain --answer): what a real desktop's other programs may do inside that wait.
class CompanionAnswerFixture : public AnnouncementFixture {
 protected:
  void StartAllWithCompanionAnswering(const std::wstring& answer) {
    StartService();
    companion =
        std::make_unique<wintest::ChildProcess>(wintest::DistCommand(L"gearmain.exe", L"--answer " + answer));
    ASSERT_TRUE(wintest::WaitUntil([] {
      return FindWindowW(contract::CompanionClass, contract::CompanionCaption) != nullptr;
    })) << "the configuration window did not come up\n"
        << companion->Errors();
    mainWindow = StartProgram();
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_FALSE(journal.WaitFor("svc", "register").empty()) << journal.Text();
  }
};

}  // namespace e2e
