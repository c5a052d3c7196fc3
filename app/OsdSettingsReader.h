#pragma once

#include <cstdint>

#include "osd/OsdPlacement.h"

// The three values of the program's key that say where the OSD shows, read afresh for each showing and
// never written. A value that is absent, of another type than a 32-bit number or out of range is its
// default; nothing in the registry can make this fail.
OsdSettings ReadOsdSettings();

// How long the movie stays after its first call-out before it is told to end, in milliseconds: the
// user's value when it is a 32-bit number from 500 to 10000, else the 2000 that has always held.
std::int32_t ReadOsdHoldTime();
