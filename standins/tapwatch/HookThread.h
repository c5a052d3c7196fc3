#pragma once

// The library's two entries. The hook lives on a thread of the library's own with its own message loop:
// the program's main thread is blocked at times (a wait, a synchronous message, a modal box), and a hook
// on it would stall every key press on the desktop meanwhile, until Windows dropped the hook for good.
namespace tapwatch {

// Starts the hook thread and returns once the hook is in place: true then, and when it already ran. May
// throw (out of memory, a lock the system refuses); the entries report it.
bool StartHookThread();

// Removes the hook and ends its thread; returns once the thread has ended. Nothing when none runs.
void StopHookThread();

}  // namespace tapwatch
