#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ChildProcess.h"
#include "RecordingWindow.h"
#include "TestJournal.h"
#include "WinTestSupport.h"
#include "journal/Journal.h"
#include "win32base/UniqueHandle.h"

namespace {

using wintest::ReceivedMessage;
using wintest::RecordingWindow;

constexpr wchar_t kClientId[] = L"7416C3CD-C93B-4555-82FE-3A4C4ECE0084";
constexpr char kClientIdText[] = "7416C3CD-C93B-4555-82FE-3A4C4ECE0084";

using NotifyRegistration = int(WINAPI*)(HWND, const wchar_t*);

HWND FindService() {
  return FindWindowW(L"NkSysSvrWindow", L"nksyssvr");
}

std::string HexOf(HWND window) {
  return journal::Hex(reinterpret_cast<UINT_PTR>(window));
}

ReceivedMessage Notification(UINT code) {
  return {0x408, 0x55, code};
}

// The client library as a caller gets it: loaded from the shipped folder, its entries found by their
// plain names (which also proves the names carry no stdcall decoration).
class ServiceClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindService(), nullptr) << "a service from an earlier test is still running";
    library_.Reset(LoadLibraryW(wintest::DistFile(L"NORVIKSERVICE.DLL").c_str()));
    ASSERT_TRUE(library_) << "cannot load NORVIKSERVICE.DLL, error " << GetLastError();
    registerNotify_ = Entry("NkSysSvr_RegisterNotify");
    unregisterNotify_ = Entry("NkSysSvr_UnregisterNotify");
    ASSERT_NE(registerNotify_, nullptr) << "NkSysSvr_RegisterNotify is not exported by that name";
    ASSERT_NE(unregisterNotify_, nullptr) << "NkSysSvr_UnregisterNotify is not exported by that name";
  }

  NotifyRegistration Entry(const char* name) const {
    // By way of void*: FARPROC's own signature says nothing about the entry's.
    return reinterpret_cast<NotifyRegistration>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), name)));
  }

  void StartService() {
    service_ = std::make_unique<wintest::ChildProcess>(L"\"" + wintest::DistFile(L"nksyssvr.exe") + L"\"");
    ASSERT_TRUE(service_->Started()) << "cannot start nksyssvr.exe, error " << service_->StartError();
    ASSERT_TRUE(wintest::WaitUntil([] { return FindService() != nullptr; }))
        << "the service window did not appear; service errors: " << service_->Errors();
  }

  int Register(HWND window) { return registerNotify_(window, kClientId); }
  int Unregister(HWND window) { return unregisterNotify_(window, kClientId); }

  static wintest::ProgramRun Control(const std::wstring& arguments) {
    return wintest::RunDistProgram(L"nksyssvr.exe", arguments);
  }

  wintest::TestJournal journal_;
  std::unique_ptr<wintest::ChildProcess> service_;
  win32base::UniqueModule library_;
  NotifyRegistration registerNotify_ = nullptr;
  NotifyRegistration unregisterNotify_ = nullptr;
};

TEST_F(ServiceClientTest, RegisteredWindowReceivesTheNotifyCode) {
  StartService();
  RecordingWindow client(L"ServiceTestClient", L"client");
  ASSERT_NE(Register(client.Handle()), 0) << "registration refused while the service runs";

  auto run = Control(L"notify 0xa0060000");
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_TRUE(wintest::WaitUntil([&] { return client.Received(Notification(0xa0060000)); }))
      << "0x408/0x55/0xa0060000 never arrived; " << client.All().size() << " messages arrived";

  EXPECT_TRUE(journal_.Contains("svc start")) << journal_.Text();
  EXPECT_TRUE(journal_.Contains("svc register " + HexOf(client.Handle()) + " " + kClientIdText + " ok"))
      << journal_.Text();
  EXPECT_TRUE(journal_.Contains("svc notify " + HexOf(client.Handle()) + " 0xa0060000")) << journal_.Text();
}

TEST_F(ServiceClientTest, PowerSourceChangeNotifiesEveryRegisteredWindow) {
  StartService();
  RecordingWindow first(L"ServiceTestClient", L"first");
  RecordingWindow second(L"ServiceTestClient", L"second");
  ASSERT_NE(Register(first.Handle()), 0);
  ASSERT_NE(Register(second.Handle()), 0);

  // As Windows delivers it to every top-level window when the machine goes on or off mains power.
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(FindService(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0,
                                  SMTO_ABORTIFHUNG, 10000, &result));
  EXPECT_TRUE(wintest::WaitUntil(
      [&] { return first.Received(Notification(0xa0060000)) && second.Received(Notification(0xa0060000)); }));
}

TEST_F(ServiceClientTest, OnlyLiveRegisteredWindowsAreNotifiedAndEachOnce) {
  StartService();
  RecordingWindow unregistered(L"ServiceTestClient", L"unregistered");
  RecordingWindow destroyed(L"ServiceTestClient", L"destroyed");
  RecordingWindow twice(L"ServiceTestClient", L"twice");
  RecordingWindow last(L"ServiceTestClient", L"last");
  for (HWND window :
       {unregistered.Handle(), destroyed.Handle(), twice.Handle(), twice.Handle(), last.Handle()})
    ASSERT_NE(Register(window), 0);
  std::string destroyedHex = HexOf(destroyed.Handle());
  Unregister(unregistered.Handle());
  destroyed.Destroy();

  ASSERT_EQ(Control(L"notify 7").exitCode, 0u);
  // The service posts in registration order to one queue of ours: once the last window has its
  // message, anything posted to the others has been dispatched too.
  ASSERT_TRUE(wintest::WaitUntil([&] { return last.Received(Notification(7)); }));
  EXPECT_EQ(twice.CountOf(Notification(7)), 1u) << "registering twice must not double the notification";
  EXPECT_FALSE(unregistered.Received(Notification(7)));
  EXPECT_TRUE(journal_.Contains("svc unregister " + HexOf(unregistered.Handle()) + " " + kClientIdText))
      << journal_.Text();
  EXPECT_FALSE(journal_.ContainsPrefix("svc notify " + HexOf(unregistered.Handle()))) << journal_.Text();
  EXPECT_FALSE(journal_.ContainsPrefix("svc notify " + destroyedHex + " ")) << journal_.Text();
}

TEST_F(ServiceClientTest, SecondServiceExitsAtOnceAndTheFirstKeepsServing) {
  StartService();
  auto second = Control(L"");
  EXPECT_EQ(second.exitCode, 1u);
  EXPECT_NE(second.errors.find("already running"), std::string::npos) << second.errors;

  RecordingWindow client(L"ServiceTestClient", L"client");
  EXPECT_NE(Register(client.Handle()), 0) << "the first service stopped serving";
  EXPECT_TRUE(service_->Running());
}

TEST_F(ServiceClientTest, StopEndsTheServiceAndLaterRegistrationsAreRefused) {
  StartService();
  auto stop = Control(L"stop");
  ASSERT_EQ(stop.exitCode, 0u) << stop.errors;
  EXPECT_EQ(service_->WaitForExit(), 0u) << "the service did not end cleanly";

  RecordingWindow client(L"ServiceTestClient", L"client");
  EXPECT_EQ(Register(client.Handle()), 0);
  EXPECT_TRUE(journal_.Contains("svc register " + HexOf(client.Handle()) + " " + kClientIdText + " refused"))
      << journal_.Text();
}

TEST_F(ServiceClientTest, WithoutServiceRegistrationIsRefusedAndUnregistrationStillJournaled) {
  RecordingWindow client(L"ServiceTestClient", L"client");
  EXPECT_EQ(Register(client.Handle()), 0);
  Unregister(client.Handle());
  EXPECT_EQ(
      journal_.Events(),
      (std::vector<std::string>{"svc register " + HexOf(client.Handle()) + " " + kClientIdText + " refused",
                                "svc unregister " + HexOf(client.Handle()) + " " + kClientIdText}));
}

TEST_F(ServiceClientTest, WithoutServiceNotifyAndStopFailWithAMessage) {
  for (const wchar_t* command : {L"notify 0xa0060000", L"stop"}) {
    auto run = Control(command);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.errors.find("no service is running"), std::string::npos) << run.errors;
  }
}

}  // namespace
