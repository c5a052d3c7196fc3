#include "Journal.h"

#include <windows.h>

#include <cstdio>

#include "win32base/UniqueHandle.h"

namespace journal {

std::wstring FilePath() {
  DWORD needed = GetEnvironmentVariableW(L"GEARSHIFT_JOURNAL", nullptr, 0);
  if (needed == 0)
    return {};
  std::wstring path(needed, L'\0');
  DWORD written = GetEnvironmentVariableW(L"GEARSHIFT_JOURNAL", path.data(), needed);
  path.resize(written < needed ? written : 0);
  return path;
}

namespace {

// Append-only access alone is not enough under Wine: two appenders can land on the same offset and one
// line is lost. Every writer of every process takes this mutex around its append.
class AppendLock {
 public:
  AppendLock() {
    static win32base::UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, AppendLockName));
    mutex_ = mutex.Get();
    // A writer that died while holding it hands it over as abandoned, which still grants ownership;
    // the time limit only keeps a wedged writer from freezing the component that journals.
    if (mutex_ && WaitForSingleObject(mutex_, 2000) == WAIT_TIMEOUT)
      mutex_ = nullptr;
  }
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;
  ~AppendLock() {
    if (mutex_)
      ReleaseMutex(mutex_);
  }

 private:
  HANDLE mutex_ = nullptr;
};

}  // namespace

double Now() {
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  if (frequency.QuadPart == 0)
    return 0.0;
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", value);
  return text;
}

void Write(std::string_view component, std::string_view event) {
  WriteAt(Now(), component, event);
}

void WriteAt(double milliseconds, std::string_view component, std::string_view event) {
  AppendAt(FilePath(), milliseconds, component, event);
}

void AppendAt(const std::wstring& path, double milliseconds, std::string_view component,
              std::string_view event) {
  if (path.empty())
    return;

  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%.3f ", milliseconds);
  std::string line = stamp;
  line.append(component).append(" ").append(event).append("\n");

  AppendLock lock;
  // Append-only access makes every WriteFile land at the end of the file, atomically with respect to
  // other appenders; sharing lets every stand-in and the tests keep it open at once.
  win32base::UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    OutputDebugStringA(("journal: cannot open the journal file for " + line).c_str());
    return;
  }
  DWORD written = 0;
  WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace journal
