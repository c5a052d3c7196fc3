#include "cmdline/NumberArgument.h"
#include "BiosDescription.h"

#include <algorithm>
#include <map>
#include <set>

#include "BiosBlocks.h"
#include "InfoBlock.h"

namespace nkacpi {
namespace {

struct Token {
  std::string_view text;
  std::size_t offset = 0;
  bool quoted = false;
  std::string unquoted;
};

class LineError {
 public:
  explicit LineError(std::string message) : message(std::move(message)) {}
  std::string message;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && IsSpace(line[at]))
      ++at;
    if (at == line.size())
      return tokens;
    Token token;
    token.offset = at;
    if (line[at] == '"') {
      token.quoted = true;
      ++at;
      bool closed = false;
      while (at < line.size()) {
        char c = line[at++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\') {
          if (at == line.size())
            break;
          char escaped = line[at++];
          if (escaped != '"' && escaped != '\\')
            throw LineError(std::string("unknown escape \\") + escaped +
                            " in a string (only \\\" and \\\\ are allowed)");
          c = escaped;
        }
        token.unquoted.push_back(c);
      }
      if (!closed)
        throw LineError("string without its closing quote");
      if (at < line.size() && !IsSpace(line[at]))
        throw LineError("a string must be followed by a space or the end of the line");
    } else {
      while (at < line.size() && !IsSpace(line[at]) && line[at] != '"')
        ++at;
      if (at < line.size() && line[at] == '"')
        throw LineError(Quoted(line.substr(token.offset, at - token.offset)) +
                        " runs into a string; a string must be preceded by a space");
    }
    token.text = line.substr(token.offset, at - token.offset);
    tokens.push_back(std::move(token));
  }
}

std::uint32_t ParseInteger(const Token& token, bool allowNegative, const char* what) {
  if (token.quoted)
    throw LineError(std::string(what) + " must be an integer, not a string");
  std::string_view text = token.text;
  bool negative = !text.empty() && text[0] == '-';
  if (negative)
    text.remove_prefix(1);
  cmdline::NumberReading reading = cmdline::ReadNumber32(text);
  if (reading.outcome == cmdline::NumberReading::Outcome::NotANumber)
    throw LineError(Quoted(token.text) + " is not an integer (decimal, 0x hex, or negative) for " + what);
  if (reading.outcome == cmdline::NumberReading::Outcome::TooLarge)
    throw LineError(Quoted(token.text) + " does not fit in 32 bits");
  std::uint64_t value = reading.value;
  if (negative) {
    if (!allowNegative)
      throw LineError(std::string(what) + " cannot be negative");
    if (value > 0x80000000ull)
      throw LineError(Quoted(token.text) + " does not fit in 32 bits");
    return static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(value));
  }
  return static_cast<std::uint32_t>(value);
}

std::string HexText(std::uint32_t value) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value % 16]);
    value /= 16;
  } while (value != 0);
  return "0x" + text;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (line.ends_with('\n'))
    line.remove_suffix(1);
  if (line.ends_with('\r'))
    line.remove_suffix(1);
  return line;
}

class Parser {
 public:
  void Line(std::string_view line, std::size_t lineIndex) {
    // A comment is free text, not tokens: its quotes need not pair up or stand apart.
    std::size_t first = 0;
    while (first < line.size() && IsSpace(line[first]))
      ++first;
    if (first < line.size() && line[first] == '#')
      return;
    std::vector<Token> tokens = Tokenize(line);
    if (tokens.empty())
      return;
    if (tokens[0].quoted || (tokens[0].text != "group" && tokens[0].text != "item"))
      throw LineError("expected 'group', 'item' or a # comment, found " + Quoted(tokens[0].text));
    if (tokens[0].text == "group")
      Group(tokens);
    else
      Item(tokens, lineIndex);
  }

  BiosDescription Take() { return std::move(description_); }

 private:
  void Group(const std::vector<Token>& tokens) {
    if (tokens.size() != 2)
      throw LineError("expected 'group <number>'");
    std::uint32_t group = ParseInteger(tokens[1], true, "the group number");
    if (!groupLines_.insert(group).second)
      throw LineError("group " + std::to_string(group) + " is declared twice");
    // The format does not order groups and items: an item before this line has declared the group
    // already, and the group keeps that place.
    if (!itemsPerGroup_.count(group))
      Declare(group);
  }

  void Declare(std::uint32_t group) {
    itemsPerGroup_[group] = 0;
    description_.groups.push_back(group);
  }

  void Item(const std::vector<Token>& tokens, std::size_t lineIndex) {
    if (tokens.size() < 4 || tokens[3].quoted || tokens[3].text != ":")
      throw LineError("expected 'item <group> <value-index> : <entry> ...'");
    if (tokens.size() < 5)
      throw LineError("an item needs at least its id after ':'");
    BiosItem item;
    item.group = ParseInteger(tokens[1], true, "the group number");
    item.valueIndex = ParseInteger(tokens[2], false, "the value index");
    item.line = lineIndex;
    item.indexOffset = tokens[2].offset;
    item.indexLength = tokens[2].text.size();
    for (std::size_t i = 4; i < tokens.size(); ++i) {
      BiosEntry entry;
      entry.isString = tokens[i].quoted;
      if (entry.isString)
        entry.text = tokens[i].unquoted;
      else
        entry.integer = ParseInteger(tokens[i], true, "an entry");
      item.entries.push_back(std::move(entry));
    }
    if (item.entries[0].isString)
      throw LineError("entry 0 is the item id and must be an integer");
    // Ordinals 2 and 3 name an item by its id alone, so an id may stand for one item only.
    for (const BiosItem& other : description_.items) {
      if (other.Id() == item.Id())
        throw LineError("item id " + HexText(item.Id()) + " is already used on line " +
                        std::to_string(other.line + 1));
    }
    std::uint32_t blockSize = ItemBlockSize(item);
    if (blockSize > kMaxBlockSize)
      throw LineError("the item's information block would take " + std::to_string(blockSize) +
                      " bytes; the library's blocks hold at most " + std::to_string(kMaxBlockSize));
    if (!itemsPerGroup_.count(item.group))
      Declare(item.group);
    if (GroupBlockSize(++itemsPerGroup_[item.group]) > kMaxBlockSize)
      throw LineError("group " + std::to_string(item.group) +
                      " has more items than one information block holds");
    description_.items.push_back(std::move(item));
  }

  BiosDescription description_;
  std::map<std::uint32_t, std::uint32_t> itemsPerGroup_;
  std::set<std::uint32_t> groupLines_;
};

}  // namespace

BiosParseResult ParseBiosDescription(std::string_view text, std::string_view fileName) {
  // Editors on Windows often save UTF-8 with this mark in front; it is no part of the first line.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string byteOrderMark;
  if (text.starts_with(kByteOrderMark)) {
    byteOrderMark = kByteOrderMark;
    text.remove_prefix(kByteOrderMark.size());
  }
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = std::min(text.find('\n', start), text.size() - 1);
    lines.emplace_back(text.substr(start, end + 1 - start));
    start = end + 1;
  }

  Parser parser;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      parser.Line(WithoutLineEnd(lines[i]), i);
    } catch (const LineError& error) {
      return {std::nullopt, std::string(fileName) + ":" + std::to_string(i + 1) + ": " + error.message};
    }
  }
  BiosDescription description = parser.Take();
  description.byteOrderMark = std::move(byteOrderMark);
  description.lines = std::move(lines);
  return {std::move(description), {}};
}

std::string RenderBiosDescription(const BiosDescription& description) {
  std::string text = description.byteOrderMark;
  for (const std::string& line : description.lines)
    text.append(line);
  return text;
}

void SetValueIndex(BiosDescription& description, BiosItem& item, std::uint32_t index) {
  std::string value = std::to_string(index);
  description.lines[item.line].replace(item.indexOffset, item.indexLength, value);
  item.indexLength = value.size();
  item.valueIndex = index;
}

}  // namespace nkacpi
