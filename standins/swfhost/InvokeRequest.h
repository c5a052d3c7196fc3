#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The player's external-interface requests: one <invoke> element naming a function, with its arguments
// as typed elements, e.g.
//   <invoke name="changeLabel" returntype="xml"><arguments><string>Turbo</string></arguments></invoke>
// Text is UTF-16, as the caller hands it over in a BSTR.
namespace swfhost {

// Longer requests are refused unread: the program's own requests stay under 256 characters, so anything
// near this is a caller's mistake, and a bound keeps a stray megabyte from being parsed and journalled.
inline constexpr std::size_t kMaxRequestLength = 4096;

struct InvokeArgument {
  enum class Kind { String, Number, True, False, Null, Undefined, Other };
  Kind kind = Kind::Other;
  std::u16string text;
};

struct InvokeRequest {
  std::u16string name;
  std::u16string returnType;
  std::vector<InvokeArgument> arguments;
};

struct InvokeParseResult {
  std::optional<InvokeRequest> request;
  // Why the text was refused, naming the character offset where that was found out.
  std::string error;
};

// Well-formed XML only: attributes in either quote style, the five named entities and numeric character
// references, comments and a <?xml?> declaration, white space between elements. Elements the invoke
// format does not know are skipped with their contents.
InvokeParseResult ParseInvokeRequest(std::u16string_view text);

enum class PlayerAction { ChangeLabel, Show, End, Ignore };

struct PlayerCommand {
  PlayerAction action = PlayerAction::Ignore;
  std::u16string label;
  // For Ignore: what the movie does not know about the request.
  std::string why;
};

// What a request asks of the movie: "changeLabel" with the new text, externalCommand "show" or "end".
PlayerCommand CommandFor(const InvokeRequest& request);

// UTF-8 for journals and messages; unpaired surrogates become U+FFFD.
std::string Utf8(std::u16string_view text);
std::u16string Utf16(std::string_view utf8);

}  // namespace swfhost
