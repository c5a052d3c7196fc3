#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A movie of this player is a short text file, not Flash byte code: it describes one animated label.
//
//   swfhost-movie 1              first line that is not blank or a comment: format and version
//   # comment
//   key = value                  one per line; unknown keys are ignored, a bad value refuses the file
//
// Keys (pixels in movie coordinates, colours #rrggbb, texts UTF-8 to the end of the line):
//   size = <width> <height>              panel.top, panel.bottom = <colour>   (vertical gradient)
//   panel.radius = <corner radius>       panel.border = <colour>   border.width = <pixels, 0 for none>
//   accent = <colour>                    glyph = gear | none   glyph.centre = <x> <y>   glyph.radius = <r>
//   title = <text>   title.colour = <colour>   title.size = <pixels>   title.top = <y>
//   label = <text shown before any changeLabel>   label.colour = <colour>
//   label.font = <face>, <face>, ...     (the first one installed is used)
//   label.size = <largest pixels>   label.minsize = <smallest pixels>   label.weight = <100..900>
//   label.box = <left> <top> <right> <bottom>   (the label is wrapped and shrunk to stay inside)
//   intro.ms, outro.ms = <duration>      intro.slide, outro.slide = <pixels the content travels>
namespace swfhost {

struct Colour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
};

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Box&) const = default;
};

struct MovieDescription {
  int width = 400, height = 650;
  Colour panelTop{0x30, 0x33, 0x3a}, panelBottom{0x18, 0x1a, 0x1e}, border{0x50, 0x54, 0x5c};
  int radius = 24, borderWidth = 2;
  Colour accent{0x9a, 0xa0, 0xaa};
  bool gear = false;
  int glyphX = 200, glyphY = 200, glyphRadius = 90;
  std::string title;
  Colour titleColour{0x9a, 0xa0, 0xaa};
  int titleSize = 22, titleTop = 340;
  std::string label;
  Colour labelColour{0xff, 0xff, 0xff};
  std::vector<std::string> fonts{"Segoe UI", "Tahoma", "Arial"};
  int labelSize = 64, labelMinSize = 12, labelWeight = 700;
  Box labelBox{30, 250, 370, 500};
  int introMs = 400, outroMs = 300;
  int introSlide = 40, outroSlide = 40;

  bool operator==(const MovieDescription&) const = default;
};

struct MovieParseResult {
  std::optional<MovieDescription> movie;
  // "<file>:<line>: <what is wrong>" when the description was refused.
  std::string error;
};

// All or nothing: a file with one bad value is refused whole, so a movie never plays half its design.
MovieParseResult ParseMovieDescription(std::string_view text, std::string_view fileName);

// The movie drawn at another size, as a vector movie is: every place and length of the design scaled to
// it (places by their own axis, lengths by the smaller of the two scales), its times unchanged. A size
// that is not positive leaves the movie as it is.
MovieDescription ScaledTo(const MovieDescription& movie, int width, int height);

// Descriptions larger than this are refused unread; the shipped ones are well under a kilobyte.
inline constexpr std::size_t kMaxMovieFileSize = 64 * 1024;

}  // namespace swfhost
