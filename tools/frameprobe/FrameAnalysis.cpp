#include "FrameAnalysis.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace frameprobe {
namespace {

std::vector<Frame> Runs(const std::vector<Sample>& samples) {
  std::vector<Frame> runs;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    double end = i + 1 < samples.size() ? samples[i + 1].ms : samples[i].ms;
    if (!runs.empty() && runs.back().pixels == samples[i].pixels) {
      runs.back().to = end;
      continue;
    }
    Frame frame;
    frame.from = samples[i].ms;
    frame.to = end;
    frame.pixels = samples[i].pixels;
    runs.push_back(std::move(frame));
  }
  return runs;
}

bool AllNear(const std::vector<Pixel>& a, const std::vector<Pixel>& b, int tolerance) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!Near(a[i], b[i], tolerance))
      return false;
  }
  return true;
}

}  // namespace

const char* KindName(FrameKind kind) {
  switch (kind) {
    case FrameKind::Desktop:
      return "desktop";
    case FrameKind::Final:
      return "final";
    case FrameKind::Composing:
      return "composing";
    case FrameKind::Foreign:
      return "foreign";
  }
  return "?";
}

bool Near(Pixel a, Pixel b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    int x = static_cast<int>((a >> shift) & 0xFF), y = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(x - y) > tolerance)
      return false;
  }
  return true;
}

ShowingReport Analyse(const std::vector<Sample>& samples, const std::vector<Pixel>& desktop,
                      const std::vector<bool>& inMovie, int tolerance) {
  ShowingReport report;
  std::vector<Frame> runs = Runs(samples);

  // The final picture is the one the showing holds longest: the movie's intro and outro are short
  // beside the two seconds it stands still.
  std::map<std::vector<Pixel>, double> held;
  for (const Frame& run : runs) {
    if (!AllNear(run.pixels, desktop, tolerance))
      held[run.pixels] += run.to - run.from;
  }
  if (held.empty())
    return report;
  report.finalPicture = std::max_element(held.begin(), held.end(), [](const auto& a, const auto& b) {
                          return a.second < b.second;
                        })->first;
  const std::vector<Pixel>& final = report.finalPicture;
  for (std::size_t i = 0; i < final.size(); ++i)
    report.uncovered += Near(final[i], desktop[i], tolerance) ? 1 : 0;

  auto verdict = [&](const std::vector<Pixel>& pixels, std::size_t i, const std::vector<Pixel>* backdrop) {
    if (Near(pixels[i], desktop[i], tolerance))
      return 'd';
    if (Near(pixels[i], final[i], tolerance))
      return 'f';
    if (backdrop && inMovie[i] && Near(pixels[i], (*backdrop)[i], tolerance))
      return 'b';
    return 'x';
  };

  // The backdrop behind the movie, if the screen showed it alone on the way out.
  std::optional<std::vector<Pixel>> backdrop;
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    if (AllNear(run->pixels, desktop, tolerance))
      continue;
    bool outsideFinal = true, movieDiffers = false;
    for (std::size_t i = 0; i < run->pixels.size(); ++i) {
      if (!inMovie[i] && verdict(run->pixels, i, nullptr) != 'f')
        outsideFinal = false;
      if (inMovie[i] && verdict(run->pixels, i, nullptr) == 'x')
        movieDiffers = true;
    }
    if (outsideFinal && movieDiffers)
      backdrop = run->pixels;
    break;
  }

  for (Frame& run : runs) {
    bool desktopAll = true, finalAll = true, foreign = false;
    for (std::size_t i = 0; i < run.pixels.size(); ++i) {
      char v = verdict(run.pixels, i, backdrop ? &*backdrop : nullptr);
      run.verdicts.push_back(v);
      desktopAll = desktopAll && v == 'd';
      finalAll = finalAll && v == 'f';
      foreign = foreign || v == 'x';
    }
    run.kind = desktopAll ? FrameKind::Desktop
               : finalAll ? FrameKind::Final
               : foreign  ? FrameKind::Foreign
                          : FrameKind::Composing;
    if (run.kind != FrameKind::Desktop && !report.firstChange)
      report.firstChange = run.from;
    if (run.kind == FrameKind::Final && !report.firstComplete)
      report.firstComplete = run.from;
    if (run.kind == FrameKind::Desktop && report.firstChange)
      report.backToDesktop = run.from;
    else if (run.kind != FrameKind::Desktop)
      report.backToDesktop.reset();
    if (run.kind == FrameKind::Composing || run.kind == FrameKind::Foreign) {
      (run.kind == FrameKind::Foreign ? report.foreign : report.composing) += 1;
      report.between.push_back(run);
    }
  }
  return report;
}

}  // namespace frameprobe
