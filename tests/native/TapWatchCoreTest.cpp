#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "HookWatchdog.h"
#include "HotKeyCode.h"
#include "PressTracker.h"

namespace {

using namespace tapwatch;

constexpr std::uint32_t kA = 'A', kB = 'B', kC = 'C', kQ = 'Q';
constexpr std::uint32_t kCtrlAltA = 0x5000041, kCtrlAltB = 0x5000042, kCtrlAltC = 0x5000043;

TEST(HotKeyCode, PacksModifiersAboveTheKey) {
  EXPECT_EQ(PackCode(ModCtrl | ModAlt, kA), kCtrlAltA);
  EXPECT_EQ(DefaultCodes,
            (std::array<std::uint32_t, 3>{PackCode(ModCtrl | ModAlt, kA), PackCode(ModCtrl | ModAlt, kB),
                                          PackCode(ModCtrl | ModAlt, kC)}));
  EXPECT_EQ(PackCode(ModWin | ModShift, 0x7B), 0xA00007Bu) << "Win+Shift+F12";
  EXPECT_EQ(ModifiersOf(0xA00007B), ModWin | ModShift);
  EXPECT_EQ(KeyOf(0xA00007B), 0x7Bu);
}

TEST(HotKeyCode, OnlyCodesAPressCanMakeArePressable) {
  EXPECT_TRUE(IsPressable(kCtrlAltA));
  EXPECT_TRUE(IsPressable(0x8000051)) << "Win+Q";
  EXPECT_TRUE(IsPressable(0x7B)) << "a key without modifiers";
  EXPECT_FALSE(IsPressable(0x15000041)) << "a modifier bit that does not exist";
  EXPECT_FALSE(IsPressable(0x5000000)) << "no key";
  EXPECT_FALSE(IsPressable(0x5000141)) << "beyond the virtual keys";
  EXPECT_FALSE(IsPressable(0x50000FF));
  EXPECT_FALSE(IsPressable(0x10)) << "a modifier is never the key of a code";
  EXPECT_FALSE(IsPressable(0x10000A3));
}

TEST(HotKeyCode, RegistryValuesReplaceTheirLevelsDefaultOnly) {
  EXPECT_EQ(ConfiguredCodes({}), DefaultCodes);
  EXPECT_EQ(ConfiguredCodes({std::nullopt, 0x8000051u, std::nullopt}),
            (std::array<std::uint32_t, 3>{kCtrlAltA, 0x8000051, kCtrlAltC}));
  EXPECT_EQ(ConfiguredCodes({0x10u, 0x10u, 0u}), (std::array<std::uint32_t, 3>{0x10, 0x10, 0}));
}

// Feeds a tracker events and keeps what it decided.
class Keyboard {
 public:
  explicit Keyboard(std::array<std::uint32_t, 3> codes = DefaultCodes) { tracker.SetCodes(codes); }

  KeyReaction Down(std::uint32_t key, std::uint32_t scanCode = 0) { return Record({key, scanCode, false}); }
  KeyReaction Up(std::uint32_t key, std::uint32_t scanCode = 0) { return Record({key, scanCode, true}); }
  // Modifiers down in order, the key down and up, the modifiers up in reverse order.
  void Tap(std::initializer_list<std::uint32_t> modifiers, std::uint32_t key, int repeats = 0) {
    for (std::uint32_t modifier : modifiers)
      Down(modifier);
    Down(key);
    for (int i = 0; i < repeats; ++i)
      Down(key);
    Up(key);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
      Up(*it);
  }

  PressTracker tracker;
  std::vector<std::uint32_t> delivered;
  // The events the focused program gets, as "+key" and "-key".
  std::vector<std::string> passed;

 private:
  KeyReaction Record(const KeyEvent& event) {
    KeyReaction reaction = tracker.OnKey(event);
    if (reaction.deliver)
      delivered.push_back(*reaction.deliver);
    EXPECT_TRUE(!reaction.deliver || reaction.swallow) << "a delivered press must not reach the program";
    if (!reaction.swallow)
      passed.push_back((event.up ? "-" : "+") + std::to_string(event.key));
    return reaction;
  }
};

std::string Plus(std::uint32_t key) {
  return "+" + std::to_string(key);
}
std::string Minus(std::uint32_t key) {
  return "-" + std::to_string(key);
}

TEST(PressTracker, DeliversAWatchedPressOnceAndSwallowsOnlyItsKey) {
  Keyboard keyboard;
  keyboard.Tap({vk::LControl, vk::LMenu}, kA);
  EXPECT_EQ(keyboard.delivered, std::vector<std::uint32_t>{kCtrlAltA});
  EXPECT_EQ(keyboard.passed, (std::vector<std::string>{Plus(vk::LControl), Plus(vk::LMenu), Minus(vk::LMenu),
                                                       Minus(vk::LControl)}))
      << "the modifiers pass, the A goes neither down nor up";

  // Left, right and side-less modifiers (Wine reports injected ones side-less) make the same codes.
  keyboard.Tap({vk::RControl, vk::RMenu}, kB);
  keyboard.Tap({vk::Control, vk::Menu}, kC);
  keyboard.Tap({vk::LControl, vk::RMenu}, kA);
  EXPECT_EQ(keyboard.delivered, (std::vector<std::uint32_t>{kCtrlAltA, kCtrlAltB, kCtrlAltC, kCtrlAltA}));
}

TEST(PressTracker, OtherCombinationsPassUntouched) {
  Keyboard keyboard;
  keyboard.Tap({}, kA);
  keyboard.Tap({vk::LMenu}, kA);
  keyboard.Tap({vk::LControl, vk::LMenu, vk::LShift}, kA);
  keyboard.Tap({vk::LControl, vk::LMenu, vk::LWin}, kB);
  keyboard.Tap({vk::LControl, vk::LMenu}, 'D');
  EXPECT_TRUE(keyboard.delivered.empty());
  EXPECT_EQ(keyboard.passed.size(), 2u + 4 + 8 + 8 + 6) << "every event passed";

  // A press that began before its modifiers is not theirs: its repeats stay the plain key's.
  Keyboard early;
  early.Down(kA);
  early.Down(vk::LControl);
  early.Down(vk::LMenu);
  early.Down(kA);
  early.Up(kA);
  EXPECT_TRUE(early.delivered.empty());
  EXPECT_EQ(early.passed.size(), 5u);
}

TEST(PressTracker, HeldKeysDeliverOnceAndANewPressAgain) {
  Keyboard keyboard;
  keyboard.Tap({vk::LControl, vk::LMenu}, kB, 5);
  EXPECT_EQ(keyboard.delivered, std::vector<std::uint32_t>{kCtrlAltB});
  EXPECT_EQ(keyboard.passed.size(), 4u) << "the auto-repeated downs are swallowed with the press";
  keyboard.Tap({vk::LControl, vk::LMenu}, kB);
  EXPECT_EQ(keyboard.delivered.size(), 2u);

  // Letting go of a modifier while the key is held ends nothing: the press's repeats and its up stay
  // swallowed, and the key's release is what ends the press.
  Keyboard released;
  released.Down(vk::LControl);
  released.Down(vk::LMenu);
  released.Down(kA);
  released.Up(vk::LMenu);
  EXPECT_TRUE(released.Down(kA).swallow);
  EXPECT_TRUE(released.Up(kA).swallow);
  EXPECT_EQ(released.delivered.size(), 1u);

  // The repeats of a key that passed keep passing.
  Keyboard plain;
  plain.Tap({}, 'X', 3);
  EXPECT_EQ(plain.passed.size(), 5u);

  // Of two Ctrl keys held, letting one go leaves Ctrl held.
  Keyboard both;
  both.Down(vk::LControl);
  both.Down(vk::RControl);
  both.Down(vk::LMenu);
  both.Up(vk::LControl);
  both.Tap({}, kC);
  EXPECT_EQ(both.delivered, std::vector<std::uint32_t>{kCtrlAltC});
}

TEST(PressTracker, WatchesExactlyTheCodesItIsGiven) {
  Keyboard keyboard({0x8000051, kCtrlAltB, kCtrlAltB});
  keyboard.Tap({vk::LControl, vk::LMenu}, kA);
  keyboard.Tap({vk::LControl, vk::LMenu}, kB);
  keyboard.Tap({vk::RWin}, kQ);
  EXPECT_EQ(keyboard.delivered, (std::vector<std::uint32_t>{kCtrlAltB, 0x8000051}))
      << "the replaced default passes, a code given twice is delivered once";

  keyboard.tracker.SetCodes({kCtrlAltA, kCtrlAltB, kCtrlAltC});
  keyboard.delivered.clear();
  keyboard.Tap({vk::LWin}, kQ);
  keyboard.Tap({vk::LControl, vk::LMenu}, kA);
  EXPECT_EQ(keyboard.delivered, std::vector<std::uint32_t>{kCtrlAltA});

  // A code no press can make never matches, even a shift key on its own.
  Keyboard unpressable({0x10, 0x10000A2, 0});
  unpressable.Tap({}, vk::Shift);
  unpressable.Tap({vk::LControl}, vk::LControl);
  unpressable.Tap({}, 0);
  EXPECT_TRUE(unpressable.delivered.empty());
}

TEST(PressTracker, AltGrIsNotCtrlAlt) {
  constexpr std::uint32_t kLeftCtrlScan = 0x1D;
  Keyboard keyboard;
  // AltGr+A as the layout sends it: its own left Ctrl, then the right Alt.
  keyboard.Down(vk::LControl, PressTracker::kAltGrControlScanCode);
  keyboard.Down(vk::RMenu);
  keyboard.Tap({}, kA);
  keyboard.Up(vk::LControl, PressTracker::kAltGrControlScanCode);
  keyboard.Up(vk::RMenu);
  EXPECT_TRUE(keyboard.delivered.empty()) << "AltGr+A is a character on some layouts";
  EXPECT_EQ(keyboard.passed.size(), 6u);

  // The user's own left Ctrl with AltGr is Ctrl+Alt.
  keyboard.Down(vk::LControl, kLeftCtrlScan);
  keyboard.Down(vk::LControl, PressTracker::kAltGrControlScanCode);
  keyboard.Down(vk::RMenu);
  keyboard.Tap({}, kA);
  EXPECT_EQ(keyboard.delivered, std::vector<std::uint32_t>{kCtrlAltA});
}

TEST(PressTracker, AsksForTheMaskKeystrokeWhenAltOrWinWouldBeReleasedAlone) {
  Keyboard keyboard({0x8000051, 0x4000051, kCtrlAltC});
  EXPECT_FALSE(keyboard.Down(vk::LWin).mask);
  KeyReaction win = keyboard.Down(kQ);
  EXPECT_TRUE(win.deliver && win.mask) << "Win+Q: the Start menu would open on the release";
  // The mask keystroke itself is not a key of the press: the held Q's repeats stay swallowed.
  keyboard.Down(vk::Unassigned);
  keyboard.Up(vk::Unassigned);
  EXPECT_TRUE(keyboard.Down(kQ).swallow);
  EXPECT_TRUE(keyboard.Up(kQ).swallow);
  keyboard.Up(vk::LWin);

  keyboard.Down(vk::LMenu);
  EXPECT_TRUE(keyboard.Down(kQ).mask) << "Alt+Q: the menu bar would take the release";
  keyboard.Up(kQ);
  keyboard.Up(vk::LMenu);

  keyboard.Down(vk::LControl);
  keyboard.Down(vk::LMenu);
  KeyReaction ctrlAlt = keyboard.Down(kC);
  EXPECT_TRUE(ctrlAlt.deliver && !ctrlAlt.mask) << "a held Ctrl masks the release already";
}

TEST(PressTracker, RestartForgetsWhatItMayHaveMissed) {
  Keyboard keyboard;
  // A watched press whose up was never seen: after the restart its next down is a new press.
  keyboard.Down(vk::LControl);
  keyboard.Down(vk::LMenu);
  keyboard.Down(kA);
  keyboard.tracker.Restart(ModCtrl | ModAlt);
  EXPECT_TRUE(keyboard.Down(kA).deliver);
  EXPECT_EQ(keyboard.delivered.size(), 2u);
  keyboard.Up(kA);

  // The modifiers the system reported held count until a key of their kind comes up, from either side.
  keyboard.tracker.Restart(ModCtrl | ModAlt);
  EXPECT_EQ(keyboard.tracker.Modifiers(), ModCtrl | ModAlt);
  keyboard.Up(vk::RControl);
  EXPECT_EQ(keyboard.tracker.Modifiers(), ModAlt);
  EXPECT_FALSE(keyboard.Down(kB).deliver) << "Alt+B is not Ctrl+Alt+B";

  // A delivered key held across a restart: its up is no longer known as swallowed, and passes.
  Keyboard held;
  held.Down(vk::LControl);
  held.Down(vk::LMenu);
  held.Down(kC);
  held.tracker.Restart(0);
  EXPECT_FALSE(held.Up(kC).swallow);
}

SeenKey Key(std::uint32_t key, bool up = false, std::uint32_t scanCode = 0) {
  return {key, scanCode, false, up};
}

TEST(HookWatchdog, KeysSeenByBothAreNeverMissedWhicheverComesFirst) {
  HookWatchdog watchdog;
  watchdog.HookSaw(Key(kA), 1000);
  watchdog.RawSaw(Key(kA), 1003);
  watchdog.RawSaw(Key(kA, true), 1010);
  watchdog.HookSaw(Key(kA, true), 1400);
  // Raw input names modifiers without their side; injected keys carry no scan code, a keyboard's do, and
  // its num pad keys have other virtual keys in raw input than in the hook.
  watchdog.HookSaw(Key(vk::LControl), 2000);
  watchdog.RawSaw(Key(vk::Control), 2001);
  watchdog.HookSaw(Key(0x61, false, 0x4F), 2100);  // VK_NUMPAD1
  watchdog.RawSaw(Key(0x23, false, 0x4F), 2101);   // VK_END
  EXPECT_FALSE(watchdog.HookMissed(10000));
  EXPECT_EQ(watchdog.NextCheckIn(10000), std::nullopt) << "nothing is pending";

  // What the hook sees and raw input never reports (no window has the focus) is simply forgotten.
  watchdog.HookSaw(Key(kB), 3000);
  EXPECT_FALSE(watchdog.HookMissed(9000));
}

TEST(HookWatchdog, AKeyOnlyRawInputReportedMeansTheHookIsGone) {
  HookWatchdog watchdog;
  watchdog.RawSaw(Key(kA), 5000);
  EXPECT_FALSE(watchdog.HookMissed(5499));
  EXPECT_EQ(watchdog.NextCheckIn(5200), 300u);
  EXPECT_TRUE(watchdog.HookMissed(5500));
  EXPECT_EQ(watchdog.NextCheckIn(5600), 0u);
  watchdog.Forget();
  EXPECT_FALSE(watchdog.HookMissed(99999)) << "a fresh start after installing the hook again";

  // A key the hook saw long ago does not stand in for the same key now.
  watchdog.HookSaw(Key(kA), 10000);
  watchdog.RawSaw(Key(kA), 10600);
  EXPECT_TRUE(watchdog.HookMissed(11100));

  // The direction is part of the event.
  HookWatchdog direction;
  direction.HookSaw(Key(kA), 100);
  direction.RawSaw(Key(kA, true), 101);
  EXPECT_TRUE(direction.HookMissed(601));

  // A flood the hook does not see is an answer at once; prefix halves (0xFF) are nobody's key.
  HookWatchdog flood;
  flood.RawSaw(Key(0xFF), 0);
  EXPECT_FALSE(flood.HookMissed(100000));
  for (std::size_t i = 0; i <= HookWatchdog::kCapacity; ++i)
    flood.RawSaw(Key(kA, i % 2 == 1), 0);
  EXPECT_TRUE(flood.HookMissed(1));
}

}  // namespace
