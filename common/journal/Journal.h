#pragma once

#include <string>
#include <string_view>

namespace journal {

// Appends "<ms> <component> <event>" to the file named by GEARSHIFT_JOURNAL, if any. The event text
// carries the event name and its arguments. Each line is one append, so writers in several processes
// never interleave. Without the variable this does nothing: the journal exists for tests and demos.
void Write(std::string_view component, std::string_view event);

// The same for an event that happened earlier, at Now()'s reading then: a component that must not wait
// for the file hands its lines to another thread, and they keep the time of their events.
void WriteAt(double milliseconds, std::string_view component, std::string_view event);

// The same into a journal file named earlier (FilePath() then); nothing when the name is empty.
void AppendAt(const std::wstring& file, double milliseconds, std::string_view component,
              std::string_view event);

// The journal file GEARSHIFT_JOURNAL names now; empty when there is none.
std::wstring FilePath();

// The journal's clock, in the milliseconds a line carries.
double Now();

// The journal's hex style for handles, ids and codes: lower case with a 0x prefix.
std::string Hex(unsigned long long value);

// The named mutex every writer of every process holds around its append.
inline constexpr wchar_t AppendLockName[] = L"GearShiftJournalAppend";

}  // namespace journal
