#pragma once

// Clears a flag when the scope is left, by return or by throw, unless Keep says that from now on the
// flag is cleared elsewhere.
template <class Flag>
class ClearOnExit {
 public:
  explicit ClearOnExit(Flag& flag) : flag_(&flag) {}
  ~ClearOnExit() {
    if (flag_)
      *flag_ = false;
  }
  ClearOnExit(const ClearOnExit&) = delete;
  ClearOnExit& operator=(const ClearOnExit&) = delete;

  void Keep() { flag_ = nullptr; }

 private:
  Flag* flag_;
};
