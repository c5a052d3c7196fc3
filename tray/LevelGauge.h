#pragma once

#include <cstdint>
#include <vector>

namespace tray {

// What the icon tells of the level: one segment per level the item can take (at most three), and as
// many of them lit as the level in force is high. An index the item does not offer lights none.
struct Gauge {
  int segments = 3;
  int lit = 0;
};

Gauge GaugeFor(std::uint32_t indexCount, std::uint32_t index);

// The colours of a picture, as 0xAARRGGBB.
struct GaugeColours {
  std::uint32_t litFill;
  std::uint32_t litEdge;
  std::uint32_t unlitEdge;
};

// Colours that read on a light and on a dark taskbar alike: a bright fill inside a dark edge, and empty
// segments edged in a grey that stands apart from both.
inline constexpr GaugeColours EverydayColours{0xFFF5A000, 0xFF2B1D00, 0xFF8A8A8A};

// The picture, size x size pixels, the top row first, premultiplied 0xAARRGGBB; outside the segments
// it is transparent.
std::vector<std::uint32_t> DrawGauge(int size, Gauge gauge, const GaugeColours& colours);

}  // namespace tray
