#pragma once

#include "win32base/Text.h"

namespace framework {

// The base's text conversions, under the names the program uses.
using win32base::Narrow;
using win32base::NarrowExactly;
using win32base::Widen;

}  // namespace framework
