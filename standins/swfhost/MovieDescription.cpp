#include "MovieDescription.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace swfhost {
namespace {

constexpr std::string_view kMagic = "swfhost-movie";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
      ++at;
    std::size_t start = at;
    while (at < text.size() && text[at] != ' ' && text[at] != '\t')
      ++at;
    if (at > start)
      words.push_back(text.substr(start, at - start));
  }
  return words;
}

// Reads the value of one key into the description, or says what is wrong with it.
using ValueReader = std::function<std::optional<std::string>(MovieDescription&, std::string_view)>;

std::optional<int> Integer(std::string_view word) {
  int value = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size())
    return std::nullopt;
  return value;
}

// Exactly count integers between minimum and maximum, or what the value should have been.
std::optional<std::vector<int>> ReadIntegers(std::string_view value, std::size_t count, int minimum,
                                             int maximum) {
  std::vector<std::string_view> words = Words(value);
  if (words.size() != count)
    return std::nullopt;
  std::vector<int> numbers;
  for (std::string_view word : words) {
    std::optional<int> number = Integer(word);
    if (!number || *number < minimum || *number > maximum)
      return std::nullopt;
    numbers.push_back(*number);
  }
  return numbers;
}

std::string NeedIntegers(const std::string& what, int minimum, int maximum, std::string_view value) {
  return "needs " + what + ", whole numbers from " + std::to_string(minimum) + " to " +
         std::to_string(maximum) + ", found '" + std::string(value) + "'";
}

ValueReader Integers(std::vector<int MovieDescription::*> fields, int minimum, int maximum,
                     std::string what) {
  return [=](MovieDescription& movie, std::string_view value) -> std::optional<std::string> {
    std::optional<std::vector<int>> numbers = ReadIntegers(value, fields.size(), minimum, maximum);
    if (!numbers)
      return NeedIntegers(what, minimum, maximum, value);
    for (std::size_t i = 0; i < fields.size(); ++i)
      movie.*fields[i] = (*numbers)[i];
    return std::nullopt;
  };
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return std::nullopt;
}

ValueReader ColourOf(Colour MovieDescription::*field) {
  return [=](MovieDescription& movie, std::string_view value) -> std::optional<std::string> {
    std::string need = "needs a colour written #rrggbb, found '" + std::string(value) + "'";
    if (value.size() != 7 || value[0] != '#')
      return need;
    int channels[3];
    for (int i = 0; i < 3; ++i) {
      auto high = HexDigit(value[1 + 2 * i]), low = HexDigit(value[2 + 2 * i]);
      if (!high || !low)
        return need;
      channels[i] = *high * 16 + *low;
    }
    movie.*field = Colour{static_cast<std::uint8_t>(channels[0]), static_cast<std::uint8_t>(channels[1]),
                          static_cast<std::uint8_t>(channels[2])};
    return std::nullopt;
  };
}

ValueReader TextOf(std::string MovieDescription::*field) {
  return [=](MovieDescription& movie, std::string_view value) -> std::optional<std::string> {
    movie.*field = std::string(value);
    return std::nullopt;
  };
}

const std::map<std::string, ValueReader, std::less<>>& Readers() {
  using M = MovieDescription;
  static const std::map<std::string, ValueReader, std::less<>> readers = {
      {"size", Integers({&M::width, &M::height}, 16, 4096, "a width and a height")},
      {"panel.top", ColourOf(&M::panelTop)},
      {"panel.bottom", ColourOf(&M::panelBottom)},
      {"panel.border", ColourOf(&M::border)},
      {"panel.radius", Integers({&M::radius}, 0, 2048, "a corner radius")},
      {"border.width", Integers({&M::borderWidth}, 0, 64, "a border width")},
      {"accent", ColourOf(&M::accent)},
      {"glyph",
       [](M& movie, std::string_view value) -> std::optional<std::string> {
         if (value != "gear" && value != "none")
           return "needs 'gear' or 'none', found '" + std::string(value) + "'";
         movie.gear = value == "gear";
         return std::nullopt;
       }},
      {"glyph.centre", Integers({&M::glyphX, &M::glyphY}, -4096, 4096, "an x and a y")},
      {"glyph.radius", Integers({&M::glyphRadius}, 4, 2048, "a radius")},
      {"title", TextOf(&M::title)},
      {"title.colour", ColourOf(&M::titleColour)},
      {"title.size", Integers({&M::titleSize}, 4, 512, "a size in pixels")},
      {"title.top", Integers({&M::titleTop}, -4096, 4096, "a y")},
      {"label", TextOf(&M::label)},
      {"label.colour", ColourOf(&M::labelColour)},
      {"label.font",
       [](M& movie, std::string_view value) -> std::optional<std::string> {
         std::vector<std::string> faces;
         std::size_t at = 0;
         while (at <= value.size()) {
           std::size_t comma = std::min(value.find(',', at), value.size());
           std::string_view face = Trim(value.substr(at, comma - at));
           // A LOGFONT face name holds 31 characters.
           if (face.empty() || face.size() > 31)
             return "needs font face names of 1 to 31 characters separated by commas, found '" +
                    std::string(value) + "'";
           faces.emplace_back(face);
           at = comma + 1;
         }
         movie.fonts = std::move(faces);
         return std::nullopt;
       }},
      {"label.size", Integers({&M::labelSize}, 4, 512, "a size in pixels")},
      {"label.minsize", Integers({&M::labelMinSize}, 4, 512, "a size in pixels")},
      {"label.weight", Integers({&M::labelWeight}, 100, 900, "a font weight")},
      {"label.box",
       [](M& movie, std::string_view value) -> std::optional<std::string> {
         std::optional<std::vector<int>> numbers = ReadIntegers(value, 4, -4096, 4096);
         if (!numbers)
           return NeedIntegers("left, top, right and bottom", -4096, 4096, value);
         movie.labelBox = Box{(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]};
         return std::nullopt;
       }},
      {"intro.ms", Integers({&M::introMs}, 0, 10000, "a duration in milliseconds")},
      {"outro.ms", Integers({&M::outroMs}, 0, 10000, "a duration in milliseconds")},
      {"intro.slide", Integers({&M::introSlide}, -4096, 4096, "a distance in pixels")},
      {"outro.slide", Integers({&M::outroSlide}, -4096, 4096, "a distance in pixels")},
  };
  return readers;
}

}  // namespace

MovieParseResult ParseMovieDescription(std::string_view text, std::string_view fileName) {
  MovieParseResult result;
  auto refuse = [&](std::size_t line, const std::string& what) {
    result.error = std::string(fileName) + ":" + std::to_string(line) + ": " + what;
    return result;
  };
  if (text.size() > kMaxMovieFileSize)
    return refuse(0, "larger than " + std::to_string(kMaxMovieFileSize) + " bytes");
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);

  MovieDescription movie;
  bool versioned = false;
  std::map<std::string, std::size_t, std::less<>> seen;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = Trim(text.substr(at, end - at));
    at = end + 1;
    ++lineNumber;
    if (line.empty() || line.front() == '#')
      continue;
    if (line.find('\0') != std::string_view::npos)
      return refuse(lineNumber, "binary data: not a swfhost movie description");
    if (!versioned) {
      std::vector<std::string_view> words = Words(line);
      if (words.size() != 2 || words[0] != kMagic)
        return refuse(lineNumber,
                      "expected 'swfhost-movie 1' first (this player plays its own movie "
                      "descriptions, not Flash files)");
      if (words[1] != "1")
        return refuse(lineNumber, "movie format version " + std::string(words[1]) +
                                      " is not known (this "
                                      "player reads version 1)");
      versioned = true;
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      return refuse(lineNumber, "expected 'key = value', found '" + std::string(line) + "'");
    std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (key.empty())
      return refuse(lineNumber, "a value without its key");
    if (auto previous = seen.find(key); previous != seen.end())
      return refuse(lineNumber, "'" + std::string(key) + "' is already given on line " +
                                    std::to_string(previous->second));
    seen.emplace(std::string(key), lineNumber);
    // Keys of later versions of a movie are left to the players that know them.
    auto reader = Readers().find(key);
    if (reader == Readers().end())
      continue;
    if (std::optional<std::string> wrong = reader->second(movie, value))
      return refuse(lineNumber, "'" + std::string(key) + "' " + *wrong);
  }
  if (!versioned)
    return refuse(lineNumber, "empty: no 'swfhost-movie 1' line");

  const Box& box = movie.labelBox;
  if (box.Width() <= 0 || box.Height() <= 0)
    return refuse(seen.count("label.box") ? seen.find("label.box")->second : 0,
                  "'label.box' must have its right beyond its left and its bottom below its top");
  if (movie.labelMinSize > movie.labelSize)
    return refuse(seen.count("label.minsize") ? seen.find("label.minsize")->second : 0,
                  "'label.minsize' is larger than 'label.size'");
  result.movie = std::move(movie);
  return result;
}

MovieDescription ScaledTo(const MovieDescription& movie, int width, int height) {
  if (width <= 0 || height <= 0 || movie.width <= 0 || movie.height <= 0 ||
      (width == movie.width && height == movie.height))
    return movie;
  const double sx = static_cast<double>(width) / movie.width, sy = static_cast<double>(height) / movie.height;
  const double length = std::min(sx, sy);
  auto x = [sx](int value) { return static_cast<int>(std::lround(value * sx)); };
  auto y = [sy](int value) { return static_cast<int>(std::lround(value * sy)); };
  // A line or a size that the design draws stays at least a pixel.
  auto scaled = [length](int value) {
    int result = static_cast<int>(std::lround(value * length));
    return value > 0 ? std::max(result, 1) : result;
  };
  MovieDescription drawn = movie;
  drawn.width = width;
  drawn.height = height;
  drawn.radius = scaled(movie.radius);
  drawn.borderWidth = scaled(movie.borderWidth);
  drawn.glyphX = x(movie.glyphX);
  drawn.glyphY = y(movie.glyphY);
  drawn.glyphRadius = scaled(movie.glyphRadius);
  drawn.titleSize = scaled(movie.titleSize);
  drawn.titleTop = y(movie.titleTop);
  drawn.labelSize = scaled(movie.labelSize);
  drawn.labelMinSize = scaled(movie.labelMinSize);
  drawn.labelBox = {x(movie.labelBox.left), y(movie.labelBox.top), x(movie.labelBox.right),
                    y(movie.labelBox.bottom)};
  drawn.introSlide = scaled(movie.introSlide);
  drawn.outroSlide = scaled(movie.outroSlide);
  return drawn;
}

}  // namespace swfhost
