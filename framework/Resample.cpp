#include "framework/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace framework {
namespace {

constexpr int WeightBits = 14;

// The source samples and weights (summing to 1 << WeightBits) of each target position along one axis.
struct Taps {
  std::vector<int> first;    // per target position: its first source sample
  std::vector<int> count;    // per target position: how many samples
  std::vector<int> weights;  // per target position: count weights, back to back
  std::vector<std::size_t> start;
};

Taps TapsFor(int sourceLength, int targetLength) {
  Taps taps;
  double scale = static_cast<double>(targetLength) / sourceLength;
  double support = scale < 1.0 ? 1.0 / scale : 1.0;
  std::vector<double> raw;
  for (int i = 0; i < targetLength; ++i) {
    double centre = (i + 0.5) / scale - 0.5;
    int from = std::max(0, static_cast<int>(std::floor(centre - support)) + 1);
    int to = std::min(sourceLength - 1, static_cast<int>(std::ceil(centre + support)) - 1);
    if (to < from)  // the centre lies outside the picture: its nearest edge sample stands in
      from = to = std::clamp(static_cast<int>(std::lround(centre)), 0, sourceLength - 1);
    raw.clear();
    double sum = 0.0;
    for (int x = from; x <= to; ++x) {
      double w = std::max(0.0, 1.0 - std::abs(x - centre) / support);
      raw.push_back(w);
      sum += w;
    }
    if (sum <= 0.0) {
      std::fill(raw.begin(), raw.end(), 1.0);
      sum = static_cast<double>(raw.size());
    }
    taps.first.push_back(from);
    taps.count.push_back(static_cast<int>(raw.size()));
    taps.start.push_back(taps.weights.size());
    // Rounded one by one, then the remainder goes to the largest, so that a plain colour stays exact.
    int total = 0;
    std::size_t largest = taps.weights.size();
    for (double w : raw) {
      int fixed = static_cast<int>(std::lround(w / sum * (1 << WeightBits)));
      if (taps.weights.size() == largest || fixed > taps.weights[largest])
        largest = taps.weights.size();
      taps.weights.push_back(fixed);
      total += fixed;
    }
    taps.weights[largest] += (1 << WeightBits) - total;
  }
  return taps;
}

// The weights are not negative and sum to 1 << WeightBits, so each channel's sum fits 32 bits and the
// result stays within a byte.
std::uint32_t Filter(const std::uint32_t* samples, const int* weights, int count) {
  std::uint32_t blue = 0, green = 0, red = 0, alpha = 0;
  for (int k = 0; k < count; ++k) {
    std::uint32_t pixel = samples[k], weight = static_cast<std::uint32_t>(weights[k]);
    blue += (pixel & 0xFF) * weight;
    green += ((pixel >> 8) & 0xFF) * weight;
    red += ((pixel >> 16) & 0xFF) * weight;
    alpha += (pixel >> 24) * weight;
  }
  constexpr std::uint32_t half = 1u << (WeightBits - 1);
  return (blue + half) >> WeightBits | ((green + half) >> WeightBits) << 8 |
         ((red + half) >> WeightBits) << 16 | ((alpha + half) >> WeightBits) << 24;
}

}  // namespace

void ResamplePixels(const std::uint32_t* source, int sourceWidth, int sourceHeight, std::uint32_t* target,
                    int targetWidth, int targetHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0)
    return;
  Taps across = TapsFor(sourceWidth, targetWidth);
  Taps down = TapsFor(sourceHeight, targetHeight);
  // Across first, into rows of the target's width; then down, a whole row at a time, which reads the
  // rows in the order they lie in memory.
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(targetWidth) * sourceHeight);
  for (int y = 0; y < sourceHeight; ++y) {
    const std::uint32_t* line = source + static_cast<std::size_t>(y) * sourceWidth;
    std::uint32_t* out = rows.data() + static_cast<std::size_t>(y) * targetWidth;
    for (int x = 0; x < targetWidth; ++x)
      out[x] = Filter(line + across.first[x], &across.weights[across.start[x]], across.count[x]);
  }
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(targetWidth) * 4);
  constexpr std::uint32_t half = 1u << (WeightBits - 1);
  for (int y = 0; y < targetHeight; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    const int* weights = &down.weights[down.start[y]];
    for (int k = 0; k < down.count[y]; ++k) {
      const std::uint32_t* line = rows.data() + static_cast<std::size_t>(down.first[y] + k) * targetWidth;
      std::uint32_t weight = static_cast<std::uint32_t>(weights[k]);
      std::uint32_t* sum = sums.data();
      for (int x = 0; x < targetWidth; ++x, sum += 4) {
        std::uint32_t pixel = line[x];
        sum[0] += (pixel & 0xFF) * weight;
        sum[1] += ((pixel >> 8) & 0xFF) * weight;
        sum[2] += ((pixel >> 16) & 0xFF) * weight;
        sum[3] += (pixel >> 24) * weight;
      }
    }
    std::uint32_t* out = target + static_cast<std::size_t>(y) * targetWidth;
    const std::uint32_t* sum = sums.data();
    for (int x = 0; x < targetWidth; ++x, sum += 4)
      out[x] = (sum[0] + half) >> WeightBits | ((sum[1] + half) >> WeightBits) << 8 |
               ((sum[2] + half) >> WeightBits) << 16 | ((sum[3] + half) >> WeightBits) << 24;
  }
}

}  // namespace framework
