#pragma once

#include <objbase.h>

// The calling thread's membership of a single-threaded COM apartment, for as long as this lives: the
// OSD's accessible object is handed to readers in other processes through it, and their calls reach
// it through the thread's message loop. A thread already in an apartment stays in its own.
class ComApartment {
 public:
  ComApartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (joined_)
      CoUninitialize();
  }

 private:
  bool joined_;
};
