#pragma once

#include <string>
#include <string_view>

namespace journal {

// Appends "<ms> <component> <event>" to the file named by GEARSHIFT_JOURNAL, if any. The event text
// carries the event name and its arguments. Each line is one append, so writers in several processes
// never interleave. Without the variable this does nothing: the journal exists for tests and demos.
void Write(std::string_view component, std::string_view event);

// The journal's hex style for handles, ids and codes: lower case with a 0x prefix.
std::string Hex(unsigned long long value);

}  // namespace journal
