#pragma once

#include <string>

#include "framework/Bitmap.h"

// Loads a picture file into target as a 32-bit bitmap, its transparent parts blended over opaque
// black. A file that gives no picture is reported to the user in a message box and leaves target
// empty. GDI+ must be running.
void LoadImageIntoBitmap(const std::wstring& path, framework::TBitmap& target);
