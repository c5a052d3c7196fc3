#include "tray/LevelGauge.h"

#include <algorithm>

namespace tray {

Gauge GaugeFor(std::uint32_t indexCount, std::uint32_t index) {
  Gauge gauge;
  gauge.segments = static_cast<int>(std::clamp<std::uint32_t>(indexCount, 1, 3));
  gauge.lit = index < std::min<std::uint32_t>(indexCount, 3) ? static_cast<int>(index) + 1 : 0;
  return gauge;
}

namespace {

void FillRect(std::vector<std::uint32_t>& pixels, int size, int left, int top, int right, int bottom,
              std::uint32_t colour) {
  for (int y = std::max(top, 0); y < std::min(bottom, size); ++y)
    for (int x = std::max(left, 0); x < std::min(right, size); ++x)
      pixels[static_cast<std::size_t>(y) * size + x] = colour;
}

}  // namespace

std::vector<std::uint32_t> DrawGauge(int size, Gauge gauge, const GaugeColours& colours) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(std::max(size, 0)) * std::max(size, 0), 0);
  if (size <= 0 || gauge.segments <= 0)
    return pixels;
  // Everything scales with the size the shell asks for; at 16 pixels a one-pixel margin, gap and edge.
  const int margin = std::max(1, size / 16);
  const int gap = std::max(1, size / 10);
  const int edge = std::max(1, size / 16);
  const int inner = size - 2 * margin;
  const int width = std::max(2 * edge + 1, (inner - (gauge.segments - 1) * gap) / gauge.segments);
  // The bars rise from left to right, so that the picture reads as a level even without colour.
  for (int i = 0; i < gauge.segments; ++i) {
    const int left = margin + i * (width + gap);
    const int height = std::max(2 * edge + 1, inner * (i + 1) / gauge.segments);
    const int bottom = size - margin;
    const int top = bottom - height;
    const bool lit = i < gauge.lit;
    FillRect(pixels, size, left, top, left + width, bottom, lit ? colours.litEdge : colours.unlitEdge);
    // An unlit segment is an outline only: the taskbar shows through it.
    FillRect(pixels, size, left + edge, top + edge, left + width - edge, bottom - edge,
             lit ? colours.litFill : 0);
  }
  return pixels;
}

}  // namespace tray
