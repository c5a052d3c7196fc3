#pragma once

#include "osd/OsdPlacement.h"

// The three values of the program's key that say where the OSD shows, read afresh for each showing and
// never written. A value that is absent, of another type than a 32-bit number or out of range is its
// default; nothing in the registry can make this fail.
OsdSettings ReadOsdSettings();
