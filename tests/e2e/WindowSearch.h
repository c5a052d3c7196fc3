#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The top-level windows of a process with the given class and caption (empty: any).
std::vector<HWND> WindowsOf(DWORD processId, const std::wstring& className,
                            const std::wstring& caption = L"");
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// The message-only windows of a process, which no enumeration of top-level windows lists.
std::vector<HWND> MessageOnlyWindowsOf(DWORD processId);
// Null when none appeared within the deadline.
HWND WaitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption);

}  // namespace e2e
