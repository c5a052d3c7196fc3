#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"
#include "win32base/WindowLifeGuard.h"

namespace {

// An object that counts the messages its window hands it.
class CountingWindow : private win32base::BaseWindow<CountingWindow> {
 public:
  // Makes the object's window on the calling thread.
  HWND Create() {
    constexpr wchar_t kClass[] = L"GearShiftTestCountingWindow";
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = WindowClass(kClass, instance);
    RegisterClassExW(&windowClass);  // already registered by an earlier test is fine
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  }
  int Received() const { return received_.load(); }

 private:
  friend class win32base::BaseWindow<CountingWindow>;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    ++received_;
    if (win32base::IsWindowLifeMessage(message))
      life.push_back(message);
    // Asked by another thread: makes a window of its own here and destroys it again.
    if (message == WM_USER) {
      made = std::make_unique<CountingWindow>();
      DestroyWindow(made->Create());
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  std::atomic<int> received_{0};

 public:
  std::vector<UINT> life;  // the window-life messages heard, in order
  std::unique_ptr<CountingWindow> made;
};

TEST(BaseWindowTest, WindowThatItsOwnerCannotDestroyNeverReachesItsObjectAgain) {
  CountingWindow object;
  std::atomic<HWND> window{nullptr};
  win32base::UniqueKernelHandle created(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  win32base::UniqueKernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(created && release);
  // The window lives on a thread of its own, answering what is sent to it, until it is released; then it
  // is destroyed there, where it can be.
  std::thread owner([&] {
    HWND made = object.Create();
    window = made;
    SetEvent(created.Get());
    HANDLE wait = release.Get();
    while (MsgWaitForMultipleObjects(1, &wait, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    }
    if (made)
      DestroyWindow(made);
  });
  WaitForSingleObject(created.Get(), 10000);
  HWND handle = window.load();
  bool reached = handle && object.Received() > 0;

  // Its owner on this thread lets go of it: DestroyWindow fails for another thread's window.
  win32base::UniqueWindow(handle).Reset();
  bool survived = handle && IsWindow(handle);
  int before = object.Received();
  // Nor may a forged creation hand it the object again, sent from here or posted to its own thread.
  CREATESTRUCTW creation{};
  creation.lpCreateParams = &object;
  if (survived) {
    SendMessageW(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&creation));
    PostMessageW(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&creation));
    SendMessageW(handle, WM_USER, 0, 0);
  }
  SetEvent(release.Get());
  owner.join();

  ASSERT_TRUE(reached) << "the window was not made, or its messages never reached its object";
  ASSERT_TRUE(survived) << "the other thread's window was destroyed from this one";
  EXPECT_EQ(object.Received(), before)
      << "the window went on reaching its object after its owner let go of it (" << object.Received() - before
      << " messages, its destruction's among them)";
}

TEST(BaseWindowTest, WindowMadeAndDestroyedInsideAMessageFromAnotherThreadHearsItsWholeLife) {
  // Inside such a message the system's own window-life messages look sent from another thread too; the
  // guard of the thread tells them from forgeries.
  win32base::WindowLifeGuard guard;
  CountingWindow asked;
  HWND window = asked.Create();
  ASSERT_NE(window, nullptr);
  std::atomic<bool> answered{false};
  std::thread asker([&] {
    SendMessageW(window, WM_USER, 0, 0);
    answered = true;
  });
  for (DWORD start = GetTickCount(); !answered && GetTickCount() - start < 10000;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
  }
  asker.join();
  DestroyWindow(window);
  ASSERT_TRUE(asked.made) << "the message from the other thread never arrived";
  EXPECT_EQ(asked.made->life, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}))
      << "the window made and destroyed there missed part of its life";
}

}  // namespace
