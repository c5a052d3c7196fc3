#pragma once

#include <cstdint>

// The longest a movie's clip may run, in milliseconds. A showing fits its movie's intro, the wait before
// "end", the outro and the fade-out into its deadline: a movie whose clip runs longer never ends a
// showing by itself anyway.
inline constexpr std::uint64_t LongestClip = 7750;

// The call-outs a movie still owes. A movie answers every "show" and every "end" that it took with one
// call-out, in the order taken; the first of those still to come may belong to a showing that has been
// ended without them, and they are swallowed when they come so that they do not step a later showing on.
// A movie may never send some (one call-out for two requests that overlap, none for a clip it dropped):
// once the showing that asked for them has been hidden longer than the longest clip, they are no longer
// waited for, and so cannot swallow a later showing's own.
class CallOutLedger {
 public:
  // The movie took a request that it answers with a call-out.
  void Owe();
  // The showing that asked for what is still owed has ended without it; its movie was hidden at now
  // (milliseconds on a clock that only goes forward).
  void Disown(std::uint64_t now);
  // A call-out came at now: true when it belongs to a showing that is over and is to do nothing.
  bool Swallow(std::uint64_t now);

  std::uint32_t Owed() const { return owed_; }
  std::uint32_t Disowned() const { return disowned_; }

 private:
  void Expire(std::uint64_t now);

  std::uint32_t owed_ = 0;      // every call-out still to come, the disowned ones first
  std::uint32_t disowned_ = 0;  // how many of the first of them belong to a showing that is over
  std::uint64_t hiddenAt_ = 0;  // when that showing's movie was hidden
};
