#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The simulated BIOS as its description file states it:
//   # comment
//   group <number>
//   item <group> <value-index> : <entry> <entry> ...
// An entry is an integer (decimal, 0x hex, or negative) or a double-quoted string, in which
// backslash escapes a quote or a backslash; entry 0 is the item id.
namespace nkacpi {

struct BiosEntry {
  bool isString = false;
  std::uint32_t integer = 0;
  std::string text;
};

struct BiosItem {
  std::uint32_t group = 0;
  std::uint32_t valueIndex = 0;
  std::vector<BiosEntry> entries;
  // Where the value index stands in the file, so a write changes that token and nothing else.
  std::size_t line = 0;
  std::size_t indexOffset = 0;
  std::size_t indexLength = 0;

  std::uint32_t Id() const { return entries.front().integer; }
};

struct BiosDescription {
  // The file's bytes: any byte-order mark, then each line with the end it was saved with (the last
  // may have none), so that a rewrite gives back everything but the values written.
  std::string byteOrderMark;
  std::vector<std::string> lines;
  // In the order they were declared; each group lists its items in file order.
  std::vector<std::uint32_t> groups;
  std::vector<BiosItem> items;
};

struct BiosParseResult {
  std::optional<BiosDescription> description;
  // "<file>:<line>: <what is wrong>" when the description was refused.
  std::string error;
};

// All or nothing: one bad line refuses the whole description.
BiosParseResult ParseBiosDescription(std::string_view text, std::string_view fileName);

// The file text again, with each item's current value index in place of the one it was read with.
std::string RenderBiosDescription(const BiosDescription& description);

// Stores a new value index in the item and in its line.
void SetValueIndex(BiosDescription& description, BiosItem& item, std::uint32_t index);

}  // namespace nkacpi
