#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/MainThreadChannel.h"
#include "framework/UniqueHandle.h"
#include "framework/WindowHost.h"
#include "win32base/WindowLifeGuard.h"

namespace framework {

class TForm;

// The process's application object: its forms, its own hidden top-level window, the message loop and
// the standard exception report. One per process, reached through Application().
class TApplication : private WindowHost {
 public:
  TApplication();
  ~TApplication() override;

  // Creates the application's own window and the main-thread channel and filters the main thread's
  // messages; call once, on the main thread.
  void Initialize();

  // Creates a form, stores it in reference and keeps it until DestroyForms, which sets reference back
  // to null (it must outlive the form: a global variable, as a form's usually is). The first form created
  // becomes the main form, already while its constructor runs: a main form that closes itself during
  // construction ends the application.
  template <class T>
  void CreateForm(T*& reference) {
    TForm* previousMainForm = mainForm_;
    adopting_ = true;
    std::unique_ptr<T> form;
    try {
      form = std::make_unique<T>();
    } catch (...) {
      adopting_ = false;
      mainForm_ = previousMainForm;
      throw;
    }
    adopting_ = false;
    reference = form.get();
    AdoptForm(std::move(form), [&reference] { reference = nullptr; });
  }
  // Called by every form's constructor.
  void FormConstructing(TForm& form) noexcept;

  // Runs the message loop until a quit request is taken from the queue or Terminate was asked for.
  // Once it has ended, the main thread takes no more work from the main-thread channel.
  void Run();
  // Asks the message loop to end; callable from any thread.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  // True while the message loop runs: start-up is over.
  bool Running() const { return running_.load(); }

  // Reports the exception being handled (call from a catch block): the message of a std::exception,
  // an empty message for any other thrown object.
  void HandleException() noexcept;
  // The same report, shown later from the main loop: for a catch block where no message box may run
  // now (inside a call of a foreign library, or on a worker thread). Lost only when the main thread no
  // longer takes work.
  void HandleExceptionLater() noexcept;
  void ShowException(const std::string& message) noexcept;
  // Replaces the message box of the exception report, for example to record it.
  std::function<void(const std::string& message)> OnException;

  // Runs each form's OnDestroy and destroys the forms, the last created first, clearing the variables
  // CreateForm filled. Idempotent.
  void DestroyForms() noexcept;

  HWND Handle() const { return window_.Get(); }
  TForm* MainForm() const { return mainForm_; }
  MainThreadChannel& MainThread();
  // The folder of the program's executable, with its trailing backslash.
  static std::wstring ExeFolder();

  bool ShowMainForm = true;
  bool MainFormOnTaskBar = false;
  std::wstring Title;

 private:
  struct OwnedForm {
    std::unique_ptr<TForm> form;
    std::function<void()> forget;  // clears the variable that CreateForm filled
  };

  void AdoptForm(std::unique_ptr<TForm> form, std::function<void()> forget);
  // The session is ending: the process may be ended as soon as WM_ENDSESSION returns.
  void EndSession() noexcept;
  void RunEndSessionHandlers() noexcept;
  LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

  // Every loop of the main thread, the program's and a message box's alike, drops a posted window-life
  // message, and the system's destructions of its windows are told from forged ones.
  std::optional<win32base::WindowLifeGuard> lifeGuard_;
  UniqueWindow window_;
  std::unique_ptr<MainThreadChannel> mainThread_;
  std::vector<OwnedForm> forms_;
  TForm* mainForm_ = nullptr;
  bool adopting_ = false;
  bool sessionEnded_ = false;
  // Read by other threads (Terminate may come from any of them).
  std::atomic<DWORD> mainThreadId_{0};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> running_{false};
};

// The one application object of the process; created on first use and never destroyed, so that forms
// and late callbacks can always reach it.
TApplication& Application();

}  // namespace framework
