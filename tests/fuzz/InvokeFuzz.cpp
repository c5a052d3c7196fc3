// Feeds arbitrary text through the player's request parser and movie description parser. The first
// byte chooses: even, the rest is UTF-16 (little-endian pairs) handed to the request parser as a BSTR
// would be; odd, the rest is a movie description.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "InvokeRequest.h"
#include "MovieDescription.h"

namespace {

void ExerciseRequest(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  swfhost::InvokeParseResult parsed = swfhost::ParseInvokeRequest(text);
  // Exactly one of a request and a reason, and anything over the limit is refused.
  if (parsed.request.has_value() == !parsed.error.empty())
    std::abort();
  if (text.size() > swfhost::kMaxRequestLength && parsed.request)
    std::abort();
  if (!parsed.request)
    return;
  swfhost::PlayerCommand command = swfhost::CommandFor(*parsed.request);
  // Decoding only ever shortens: a label cannot be longer than the request it came in.
  if (command.label.size() > text.size())
    std::abort();
  // Through UTF-8 and back, every unit stays one unit: pairs stay pairs, lone halves become U+FFFD.
  if (swfhost::Utf16(swfhost::Utf8(command.label)).size() != command.label.size())
    std::abort();
}

void ExerciseMovie(std::string_view text) {
  swfhost::MovieParseResult parsed = swfhost::ParseMovieDescription(text, "fuzz.swf");
  if (parsed.movie) {
    const swfhost::Box& box = parsed.movie->labelBox;
    if (box.Width() <= 0 || box.Height() <= 0 || parsed.movie->labelMinSize > parsed.movie->labelSize)
      std::abort();
  } else if (parsed.error.rfind("fuzz.swf:", 0) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  if (data[0] % 2 == 0)
    ExerciseRequest(data + 1, size - 1);
  else
    ExerciseMovie(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  return 0;
}
