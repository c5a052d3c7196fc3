// frameprobe: what a showing puts on the screen, read from the X screen itself. It triggers a showing
// the way a person or another program would, then looks at a few pixels about once a millisecond:
// at the corners and edges of the screen, where only the backdrop can be, and inside the movie's
// place, at the edges of its panel, where nothing moves while the movie plays.
//
//   frameprobe [options]
//     --keys <chords>      press a chord through XTest (ctrl+alt+a): the real key path; with a list
//                          (ctrl+alt+a,ctrl+alt+b), each showing takes the next chord in turn
//     --fifo <path>        or write one line to this FIFO; whoever reads it does the triggering
//     --showings <n>       showings one after the other (default 1)
//     --gap <ms>           quiet time between showings (default 500)
//     --timeout <ms>       how long one showing may take, trigger to desktop (default 15000)
//     --settle <ms>        the desktop must hold this long to count as back (default 400)
//     --movie <w>x<h>      the movie's size on the screen (default 400x650)
//     --tolerance <n>      per channel, for telling pixels apart (default 3)
//     --save-first <path>  save the first frame that is not the desktop as a PPM picture
//     --desktop <rrggbb>   paint the bare desktop this colour first (default 3a6ea5; "keep" leaves it)
//
// Prints, per showing:
//   showing <n> first-change <ms> complete <ms> desktop <ms> composing <k> foreign <k> period <ms> at <t>
//           uncovered <k>     (one line; uncovered: the points where the final picture is the desktop)
//   frame <n> <from ms> <to ms> <kind> <verdicts> <pixels>     (each frame in between)
// ("-" for a moment that never came; <t> is the trigger on the raw monotonic clock in milliseconds,
// which is the clock of the stand-ins' journal under Wine), and at the end "showings <n> foreign <k>".
// Exit 0 when every showing appeared and went, 1 when one did not, 2 for bad arguments or no display.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FrameAnalysis.h"
#include "ScreenSampler.h"

namespace {

using namespace frameprobe;
using Clock = std::chrono::steady_clock;

struct Options {
  std::string keys;
  std::string fifo;
  int showings = 1;
  int gapMs = 500;
  int timeoutMs = 15000;
  int settleMs = 400;
  int movieWidth = 400;
  int movieHeight = 650;
  int tolerance = 3;
  std::string saveFirst;
  std::optional<Pixel> desktopColour = 0x3a6ea5;
};

int Usage(const std::string& why) {
  std::fprintf(stderr, "frameprobe: %s\n", why.c_str());
  std::fprintf(stderr,
               "usage: frameprobe (--keys <chord> | --fifo <path>) [--showings n] [--gap ms] "
               "[--timeout ms] [--settle ms] [--movie WxH] [--tolerance n] [--save-first file.ppm] "
               "[--desktop rrggbb|keep]\n");
  return 2;
}

bool Number(const char* text, int& value) {
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(text, &end, 10);
  if (errno || end == text || *end || parsed < 0 || parsed > 1000000)
    return false;
  value = static_cast<int>(parsed);
  return true;
}

std::optional<Options> Parse(int argc, char** argv, std::string& why) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (i + 1 >= argc) {
      why = name + " needs a value";
      return std::nullopt;
    }
    const char* value = argv[++i];
    bool good = true;
    if (name == "--keys")
      options.keys = value;
    else if (name == "--fifo")
      options.fifo = value;
    else if (name == "--save-first")
      options.saveFirst = value;
    else if (name == "--desktop") {
      char* end = nullptr;
      unsigned long colour = std::strtoul(value, &end, 16);
      if (std::string(value) == "keep")
        options.desktopColour.reset();
      else if (std::strlen(value) == 6 && *end == '\0')
        options.desktopColour = static_cast<Pixel>(colour);
      else
        good = false;
    } else if (name == "--showings")
      good = Number(value, options.showings) && options.showings > 0;
    else if (name == "--gap")
      good = Number(value, options.gapMs);
    else if (name == "--timeout")
      good = Number(value, options.timeoutMs);
    else if (name == "--settle")
      good = Number(value, options.settleMs);
    else if (name == "--tolerance")
      good = Number(value, options.tolerance) && options.tolerance < 256;
    else if (name == "--movie")
      good = std::sscanf(value, "%dx%d", &options.movieWidth, &options.movieHeight) == 2 &&
             options.movieWidth > 24 && options.movieHeight > 120;
    else {
      why = "unknown option " + name;
      return std::nullopt;
    }
    if (!good) {
      why = "bad value for " + name + ": " + value;
      return std::nullopt;
    }
  }
  if (options.keys.empty() == options.fifo.empty()) {
    why = "give exactly one of --keys and --fifo";
    return std::nullopt;
  }
  return options;
}

// Where the OSD puts a movie of this size on this screen.
Point MovieCorner(int screenWidth, int screenHeight, int width, int height) {
  Point at;
  at.x = (screenWidth - width) / 2;
  at.y =
      screenHeight - height < 0 ? screenHeight / 7 : static_cast<int>((screenHeight - height * 0.67) * 0.5);
  return at;
}

struct Layout {
  std::vector<Point> points;
  std::vector<bool> inMovie;
};

Layout PointsFor(int width, int height, const Options& options) {
  Layout layout;
  auto add = [&layout, width, height](int x, int y, bool movie) {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return;
    layout.points.push_back({x, y});
    layout.inMovie.push_back(movie);
  };
  const int inset = 3;
  for (int y : {inset, height / 2, height - 1 - inset})
    for (int x : {inset, width / 2, width - 1 - inset})
      if (!(x == width / 2 && y == height / 2))
        add(x, y, false);
  Point movie = MovieCorner(width, height, options.movieWidth, options.movieHeight);
  // An eighth in from the top-left corner, where a window of the user's often stands.
  add(width / 8, height / 8, false);
  add(movie.x - 30, movie.y + options.movieHeight / 2, false);
  add(movie.x + options.movieWidth + 30, movie.y + options.movieHeight / 2, false);
  // The panel's edges, clear of its rounded corners, its glow and its label.
  const int side = 12;
  for (int y : {60, options.movieHeight / 2, options.movieHeight - 60}) {
    add(movie.x + side, movie.y + y, true);
    add(movie.x + options.movieWidth - 1 - side, movie.y + y, true);
  }
  return layout;
}

// Wine's QueryPerformanceCounter counts on this clock, so the journal's times and these line up.
double RawMonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Polls until nothing has changed for a while, so that the desktop taken as the reference is at rest.
std::vector<Pixel> StillScreen(ScreenSampler& screen, const Layout& layout) {
  std::vector<Pixel> last = screen.Read(layout.points);
  Clock::time_point steady = Clock::now();
  Clock::time_point giveUp = steady + std::chrono::seconds(5);
  while (Since(steady) < 200 && Clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<Pixel> now = screen.Read(layout.points);
    if (now != last) {
      last = now;
      steady = Clock::now();
    }
  }
  return last;
}

// The showing's chord from the comma-separated list, in turn.
std::string ChordFor(const std::string& keys, int showing) {
  std::vector<std::string> chords;
  std::size_t start = 0;
  for (std::size_t comma; (comma = keys.find(',', start)) != std::string::npos; start = comma + 1)
    chords.push_back(keys.substr(start, comma - start));
  chords.push_back(keys.substr(start));
  return chords[static_cast<std::size_t>(showing - 1) % chords.size()];
}

bool Trigger(ScreenSampler& screen, const Options& options, int showing, std::string& why) {
  if (!options.keys.empty()) {
    if (!screen.PressChord(ChordFor(options.keys, showing))) {
      why = screen.Error();
      return false;
    }
    return true;
  }
  int fd = open(options.fifo.c_str(), O_WRONLY);
  if (fd < 0) {
    why = "cannot open " + options.fifo + ": " + std::strerror(errno);
    return false;
  }
  bool written = write(fd, "go\n", 3) == 3;
  close(fd);
  if (!written)
    why = "cannot write to " + options.fifo;
  return written;
}

std::string Ms(const std::optional<double>& value) {
  if (!value)
    return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", *value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::string why;
  std::optional<Options> options = Parse(argc, argv, why);
  if (!options)
    return Usage(why);
  ScreenSampler screen;
  if (!screen.Open(nullptr)) {
    std::fprintf(stderr, "frameprobe: %s\n", screen.Error().c_str());
    return 2;
  }
  Layout layout = PointsFor(screen.Width(), screen.Height(), *options);
  if (options->desktopColour)
    screen.PaintDesktop(*options->desktopColour);

  int foreign = 0;
  bool allSeen = true;
  for (int showing = 1; showing <= options->showings; ++showing) {
    std::vector<Pixel> desktop = StillScreen(screen, layout);
    std::vector<Sample> samples;
    bool saved = options->saveFirst.empty() || showing > 1;
    Clock::time_point start = Clock::now();
    double triggeredAt = RawMonotonicMs();
    if (!Trigger(screen, *options, showing, why)) {
      std::fprintf(stderr, "frameprobe: %s\n", why.c_str());
      return 2;
    }
    double desktopSince = -1.0;  // when the desktop came back, while it holds
    bool changed = false;
    for (;;) {
      double ms = Since(start);
      std::vector<Pixel> pixels = screen.Read(layout.points);
      bool isDesktop = true;
      for (std::size_t i = 0; i < pixels.size(); ++i)
        isDesktop = isDesktop && Near(pixels[i], desktop[i], options->tolerance);
      if (!isDesktop && !saved) {
        // Taken right away: the frame the user sees first is what the picture is for.
        saved = true;
        if (!screen.SaveScreen(options->saveFirst))
          std::fprintf(stderr, "frameprobe: cannot save %s\n", options->saveFirst.c_str());
      }
      samples.push_back({ms, std::move(pixels)});
      changed = changed || !isDesktop;
      if (isDesktop && changed) {
        if (desktopSince < 0)
          desktopSince = ms;
        if (ms - desktopSince >= options->settleMs)
          break;
      } else {
        desktopSince = -1.0;
      }
      if (ms > options->timeoutMs)
        break;
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ShowingReport report = Analyse(samples, desktop, layout.inMovie, options->tolerance);
    if (!report.firstChange || !report.firstComplete || !report.backToDesktop)
      allSeen = false;
    foreign += report.foreign;
    // The probe's resolution: the mean time between two looks.
    double period =
        samples.size() > 1 ? (samples.back().ms - samples.front().ms) / (samples.size() - 1) : 0.0;
    std::printf(
        "showing %d first-change %s complete %s desktop %s composing %d foreign %d period %.2f at %.3f "
        "uncovered %d\n",
        showing, Ms(report.firstChange).c_str(), Ms(report.firstComplete).c_str(),
        Ms(report.backToDesktop).c_str(), report.composing, report.foreign, period, triggeredAt,
        report.uncovered);
    for (const Frame& frame : report.between) {
      std::printf("frame %d %.1f %.1f %s %.*s", showing, frame.from, frame.to, KindName(frame.kind),
                  static_cast<int>(frame.verdicts.size()), frame.verdicts.data());
      for (Pixel pixel : frame.pixels)
        std::printf(" %06x", pixel);
      std::printf("\n");
    }
    std::fflush(stdout);
    if (showing < options->showings)
      std::this_thread::sleep_for(std::chrono::milliseconds(options->gapMs));
  }
  std::printf("showings %d foreign %d\n", options->showings, foreign);
  return allSeen ? 0 : 1;
}
