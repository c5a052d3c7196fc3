#include "framework/Application.h"

#include <exception>
#include <utility>

#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "win32base/WindowLifeMessages.h"

namespace framework {

TApplication& Application() {
  static TApplication* application = new TApplication();  // intentionally never destroyed
  return *application;
}

namespace {

std::wstring ExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

TApplication::TApplication() {
  // Like any Windows program, the title is the executable's name without its extension.
  std::wstring path = ExePath();
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  Title = name.substr(0, name.find_last_of(L'.'));
}

TApplication::~TApplication() {
  DestroyForms();
}

void TApplication::Initialize() {
  mainThreadId_ = GetCurrentThreadId();
  if (!lifeGuard_)
    lifeGuard_.emplace();
  if (!mainThread_)
    mainThread_ = std::make_unique<MainThreadChannel>();
  if (!window_) {
    // A tool window never gets a task-bar button of its own: the button belongs to the main form.
    window_.Reset(CreateHostedWindow(*this, L"TApplication", Title.c_str(),
                                     WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS, WS_EX_TOOLWINDOW, 0, 0, 0, 0,
                                     nullptr));
  }
}

void TApplication::FormConstructing(TForm& form) noexcept {
  if (adopting_ && !mainForm_)
    mainForm_ = &form;
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form, std::function<void()> forget) {
  if (!mainForm_)
    mainForm_ = form.get();
  forms_.push_back({std::move(form), std::move(forget)});
}

void TApplication::Run() {
  running_ = true;
  if (ShowMainForm && mainForm_)
    mainForm_->Show();
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    // The message may have been taken after a sent message ended the session inside GetMessage: its
    // window or its task may belong to a form that is gone.
    if (got == 0 || got == -1 || terminated_)
      break;
    win32base::DropPostedWindowLifeMessage(msg);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  running_ = false;
  // Nothing pumps the channel from here on: a worker waiting for the main thread must not wait for ever.
  if (mainThread_)
    mainThread_->Close();
}

void TApplication::Terminate() {
  terminated_ = true;
  DWORD mainThread = mainThreadId_;
  if (mainThread == 0 || GetCurrentThreadId() == mainThread) {
    PostQuitMessage(0);
  } else {
    PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
  }
}

namespace {

// The message of the exception being handled: a std::exception's, else none.
std::string CurrentExceptionMessage() noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    try {
      return error.what();
    } catch (...) {
      // No memory for a copy of the message: the report goes out without it.
    }
  } catch (...) {
  }
  return {};
}

}  // namespace

void TApplication::HandleException() noexcept {
  ShowException(CurrentExceptionMessage());
}

void TApplication::HandleExceptionLater() noexcept {
  try {
    MainThread().Post([this, message = CurrentExceptionMessage()] { ShowException(message); });
  } catch (...) {
    // No channel, or no memory for the task: there is nobody left to tell.
  }
}

void TApplication::ShowException(const std::string& message) noexcept {
  try {
    if (OnException) {
      OnException(message);
      return;
    }
  } catch (...) {
    // The replacement failed: fall back to the message box rather than lose the report.
  }
  ShowMessageBox(Widen(message), Title, MB_ICONSTOP);
}

void TApplication::DestroyForms() noexcept {
  while (!forms_.empty()) {
    OwnedForm owned = std::move(forms_.back());
    forms_.pop_back();
    owned.form->Destroy();
    if (owned.form.get() == mainForm_)
      mainForm_ = nullptr;
    if (owned.forget)
      owned.forget();
  }
}

void TApplication::EndSession() noexcept {
  if (std::exchange(sessionEnded_, true))
    return;
  // Nothing the loop could still take from the queue may run: not a worker's task, not a form's timer.
  Terminate();
  if (mainThread_)
    mainThread_->Close();
  // The forms themselves stay: the end may arrive inside a wait of a handler that goes on using them
  // once it returns. They are destroyed after the loop, as at any other end.
  RunEndSessionHandlers();
}

void TApplication::RunEndSessionHandlers() noexcept {
  // A copy: a handler may wait, and inside its wait anything may happen to the list.
  std::vector<TForm*> forms;
  try {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
      forms.push_back(it->form.get());
  } catch (...) {
    return;  // no memory for the list: the forms' own clean-up at their destruction is all there is
  }
  for (TForm* form : forms) {
    if (!form->OnEndSession)
      continue;
    try {
      form->OnEndSession(form);
    } catch (...) {
      HandleException();
    }
  }
}

MainThreadChannel& TApplication::MainThread() {
  if (!mainThread_)
    throw Exception("The application is not initialised: no main-thread channel");
  return *mainThread_;
}

std::wstring TApplication::ExeFolder() {
  std::wstring path = ExePath();
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

LRESULT TApplication::HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  switch (msg) {
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends once this returns and the process may be ended without a quit message: what
      // must not be left undone (the service unregistration among it) has to happen now.
      if (wParam)
        EndSession();
      return 0;
    default:
      return DefWindowProcW(window, msg, wParam, lParam);
  }
}

}  // namespace framework
