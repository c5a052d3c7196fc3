#include "osd/CallOutLedger.h"

#include <algorithm>

void CallOutLedger::Owe() {
  ++owed_;
}

void CallOutLedger::Disown(std::uint64_t now) {
  Expire(now);
  // Showings ended this way are a deadline apart, longer than the longest clip, so what an earlier one
  // disowned has as a rule expired by now; what has not is waited for as long as this showing's.
  disowned_ = owed_;
  hiddenAt_ = now;
}

bool CallOutLedger::Swallow(std::uint64_t now) {
  Expire(now);
  // A call-out beyond those asked for (a movie may call out on its own) is taken as it comes.
  if (owed_ > 0)
    --owed_;
  if (disowned_ == 0)
    return false;
  --disowned_;
  return true;
}

void CallOutLedger::Expire(std::uint64_t now) {
  if (disowned_ == 0 || now - hiddenAt_ <= LongestClip)
    return;
  owed_ -= std::min(owed_, disowned_);
  disowned_ = 0;
}
