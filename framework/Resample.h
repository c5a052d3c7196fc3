#pragma once

#include <cstdint>

namespace framework {

// Scales a picture of 32-bit pixels (rows top down, no padding) to another size with a triangle
// filter that widens as the picture shrinks, so that it neither blocks when enlarged nor shimmers
// when reduced. Each of the four bytes of a pixel is filtered on its own. Done once per size, it is
// what a stretched backdrop is painted from.
void ResamplePixels(const std::uint32_t* source, int sourceWidth, int sourceHeight, std::uint32_t* target,
                    int targetWidth, int targetHeight);

}  // namespace framework
