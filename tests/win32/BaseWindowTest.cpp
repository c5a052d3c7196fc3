#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "win32base/BaseWindow.h"
#include "win32base/UniqueHandle.h"

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
    return DefWindowProcW(window, message, wParam, lParam);
  }

  std::atomic<int> received_{0};
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

}  // namespace
