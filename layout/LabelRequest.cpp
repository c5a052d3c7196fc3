#include "layout/LabelRequest.h"

#include "osd/PlayerRequests.h"

namespace {

std::string_view EntityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    default:
      return {};
  }
}

// The bytes of the character that starts at text[at]: a lead byte takes its trail byte with it, and
// in UTF-8 a lead byte takes its continuation bytes. A lead byte cut off at the end stands alone.
std::size_t CharacterLength(std::string_view text, std::size_t at, UINT codePage) {
  auto byte = static_cast<unsigned char>(text[at]);
  std::size_t length = 1;
  if (codePage == CP_UTF8) {
    if (byte >= 0xC0) {
      while (at + length < text.size() && length < 4 &&
             (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
        ++length;
    }
  } else if (IsDBCSLeadByteEx(codePage, byte) && at + 1 < text.size()) {
    length = 2;
  }
  return length;
}

}  // namespace

std::string LabelRequest(std::string_view text, UINT codePage) {
  if (codePage == CP_ACP)
    codePage = GetACP();
  const std::size_t capacity = LabelRequestBufferSize - 1 - InvokeRequest("changeLabel", "").size();
  std::string label;
  for (std::size_t at = 0; at < text.size();) {
    std::string_view entity = EntityOf(text[at]);
    std::size_t length = entity.empty() ? CharacterLength(text, at, codePage) : 1;
    std::string_view piece = entity.empty() ? text.substr(at, length) : entity;
    if (label.size() + piece.size() > capacity)
      break;
    label += piece;
    at += length;
  }
  return InvokeRequest("changeLabel", label);
}
