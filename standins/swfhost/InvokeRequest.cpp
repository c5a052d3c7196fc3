#include "InvokeRequest.h"

#include <utility>

namespace swfhost {
namespace {

// Deep enough for any invoke text, shallow enough that nesting cannot exhaust the stack.
constexpr int kMaxDepth = 32;

struct Element {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
  std::vector<Element> children;
  std::u16string text;

  const std::u16string* Attribute(std::u16string_view key) const {
    for (const auto& [name, value] : attributes)
      if (name == key)
        return &value;
    return nullptr;
  }
};

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool IsNameStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x80;
}

bool IsNameChar(char16_t c) {
  return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}

void AppendCodePoint(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

class Reader {
 public:
  explicit Reader(std::u16string_view text) : text_(text) {}

  std::optional<Element> Document() {
    SkipMisc();
    Element root;
    if (!Failed() && !AtEnd() && Peek() == u'<' && ParseElement(root, 0)) {
      SkipMisc();
      if (!Failed() && !AtEnd())
        Fail("text after the root element");
    } else if (!Failed()) {
      Fail("expected an element");
    }
    if (Failed())
      return std::nullopt;
    return root;
  }

  const std::string& Error() const { return error_; }

 private:
  bool AtEnd() const { return at_ >= text_.size(); }
  char16_t Peek() const { return text_[at_]; }
  bool Failed() const { return !error_.empty(); }
  bool StartsWith(std::u16string_view prefix) const { return text_.substr(at_, prefix.size()) == prefix; }

  bool Fail(const std::string& what) {
    if (error_.empty())
      error_ = what + " at character " + std::to_string(at_);
    return false;
  }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek()))
      ++at_;
  }

  // White space, comments and processing instructions (the <?xml ...?> declaration) around elements.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (StartsWith(u"<!--")) {
        std::size_t end = text_.find(u"-->", at_ + 4);
        if (end == std::u16string_view::npos) {
          Fail("comment without its end");
          return;
        }
        at_ = end + 3;
      } else if (StartsWith(u"<?")) {
        std::size_t end = text_.find(u"?>", at_ + 2);
        if (end == std::u16string_view::npos) {
          Fail("processing instruction without its end");
          return;
        }
        at_ = end + 2;
      } else {
        return;
      }
    }
  }

  bool ParseName(std::u16string& name) {
    if (AtEnd() || !IsNameStart(Peek()))
      return Fail("expected a name");
    std::size_t start = at_;
    while (!AtEnd() && IsNameChar(Peek()))
      ++at_;
    name.assign(text_.substr(start, at_ - start));
    return true;
  }

  // At '&': one entity or character reference, appended to out.
  bool ParseReference(std::u16string& out) {
    std::size_t start = at_;
    std::size_t end = text_.find(u';', at_);
    // No entity we know is longer than &#x10FFFF; plus some leading zeros.
    if (end == std::u16string_view::npos || end - start > 16)
      return Fail("'&' that starts no entity (write &amp;)");
    std::u16string_view body = text_.substr(start + 1, end - start - 1);
    static const std::pair<std::u16string_view, char16_t> named[] = {
        {u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''}};
    for (const auto& [entity, character] : named) {
      if (body == entity) {
        out.push_back(character);
        at_ = end + 1;
        return true;
      }
    }
    if (body.size() < 2 || body[0] != u'#')
      return Fail("unknown entity &" + Utf8(body) + ";");
    bool hex = body[1] == u'x' || body[1] == u'X';
    std::u16string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty())
      return Fail("character reference without digits");
    char32_t code = 0;
    for (char16_t c : digits) {
      unsigned digit;
      if (c >= u'0' && c <= u'9')
        digit = c - u'0';
      else if (hex && c >= u'a' && c <= u'f')
        digit = c - u'a' + 10;
      else if (hex && c >= u'A' && c <= u'F')
        digit = c - u'A' + 10;
      else
        return Fail("'" + Utf8(body) + "' is not a character reference");
      code = code * (hex ? 16 : 10) + digit;
      if (code > 0x10FFFF)
        return Fail("character reference &" + Utf8(body) + "; is beyond Unicode");
    }
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
      return Fail("character reference &" + Utf8(body) + "; names no character");
    AppendCodePoint(out, code);
    at_ = end + 1;
    return true;
  }

  bool ParseAttributeValue(std::u16string& value) {
    if (AtEnd() || (Peek() != u'"' && Peek() != u'\''))
      return Fail("attribute value without quotes");
    char16_t quote = Peek();
    ++at_;
    while (!AtEnd() && Peek() != quote) {
      if (Peek() == u'<')
        return Fail("'<' inside an attribute value");
      if (Peek() == u'&') {
        if (!ParseReference(value))
          return false;
      } else {
        value.push_back(Peek());
        ++at_;
      }
    }
    if (AtEnd())
      return Fail("attribute value without its closing quote");
    ++at_;
    return true;
  }

  // At '<' of a start tag.
  bool ParseElement(Element& element, int depth) {
    if (depth >= kMaxDepth)
      return Fail("elements nested deeper than " + std::to_string(kMaxDepth));
    ++at_;
    if (!ParseName(element.name))
      return false;
    for (;;) {
      bool spaced = !AtEnd() && IsSpace(Peek());
      SkipSpace();
      if (AtEnd())
        return Fail("start tag <" + Utf8(element.name) + "> without its end");
      if (StartsWith(u"/>")) {
        at_ += 2;
        return true;
      }
      if (Peek() == u'>') {
        ++at_;
        break;
      }
      if (!spaced)
        return Fail("attributes must be separated by white space");
      std::u16string key, value;
      if (!ParseName(key))
        return false;
      SkipSpace();
      if (AtEnd() || Peek() != u'=')
        return Fail("attribute " + Utf8(key) + " without '='");
      ++at_;
      SkipSpace();
      if (!ParseAttributeValue(value))
        return false;
      if (element.Attribute(key))
        return Fail("attribute " + Utf8(key) + " given twice");
      element.attributes.emplace_back(std::move(key), std::move(value));
    }
    return ParseContent(element, depth);
  }

  // After the '>' of a start tag, up to and including the matching end tag.
  bool ParseContent(Element& element, int depth) {
    for (;;) {
      if (AtEnd())
        return Fail("<" + Utf8(element.name) + "> without its end tag");
      char16_t c = Peek();
      if (c == u'&') {
        if (!ParseReference(element.text))
          return false;
      } else if (c != u'<') {
        element.text.push_back(c);
        ++at_;
      } else if (StartsWith(u"</")) {
        at_ += 2;
        std::u16string name;
        if (!ParseName(name))
          return false;
        if (name != element.name)
          return Fail("</" + Utf8(name) + "> closes <" + Utf8(element.name) + ">");
        SkipSpace();
        if (AtEnd() || Peek() != u'>')
          return Fail("end tag </" + Utf8(name) + "> without '>'");
        ++at_;
        return true;
      } else if (StartsWith(u"<!--") || StartsWith(u"<?")) {
        SkipMisc();
        if (Failed())
          return false;
      } else if (StartsWith(u"<!")) {
        return Fail("CDATA sections and declarations are not supported");
      } else {
        element.children.emplace_back();
        if (!ParseElement(element.children.back(), depth + 1))
          return false;
      }
    }
  }

  std::u16string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

InvokeArgument ArgumentOf(const Element& element) {
  static const std::pair<std::u16string_view, InvokeArgument::Kind> kinds[] = {
      {u"string", InvokeArgument::Kind::String}, {u"number", InvokeArgument::Kind::Number},
      {u"true", InvokeArgument::Kind::True},     {u"false", InvokeArgument::Kind::False},
      {u"null", InvokeArgument::Kind::Null},     {u"undefined", InvokeArgument::Kind::Undefined}};
  InvokeArgument argument;
  for (const auto& [name, kind] : kinds)
    if (element.name == name)
      argument.kind = kind;
  if (argument.kind == InvokeArgument::Kind::String || argument.kind == InvokeArgument::Kind::Number)
    argument.text = element.text;
  return argument;
}

}  // namespace

InvokeParseResult ParseInvokeRequest(std::u16string_view text) {
  InvokeParseResult result;
  if (text.size() > kMaxRequestLength) {
    result.error = "request of " + std::to_string(text.size()) + " characters is longer than the limit of " +
                   std::to_string(kMaxRequestLength);
    return result;
  }
  Reader reader(text);
  std::optional<Element> root = reader.Document();
  if (!root) {
    result.error = reader.Error();
    return result;
  }
  if (root->name != u"invoke") {
    result.error = "the request is <" + Utf8(root->name) + ">, not <invoke>";
    return result;
  }
  const std::u16string* name = root->Attribute(u"name");
  if (!name || name->empty()) {
    result.error = "<invoke> names no function";
    return result;
  }
  InvokeRequest request;
  request.name = *name;
  if (const std::u16string* returnType = root->Attribute(u"returntype"))
    request.returnType = *returnType;
  // Only the first <arguments> counts; a second one is as unknown as any other extra element.
  for (const Element& child : root->children) {
    if (child.name != u"arguments")
      continue;
    for (const Element& argument : child.children)
      request.arguments.push_back(ArgumentOf(argument));
    break;
  }
  result.request = std::move(request);
  return result;
}

PlayerCommand CommandFor(const InvokeRequest& request) {
  PlayerCommand command;
  const InvokeArgument* first = request.arguments.empty() ? nullptr : &request.arguments.front();
  bool textual =
      first && (first->kind == InvokeArgument::Kind::String || first->kind == InvokeArgument::Kind::Number);
  if (request.name == u"changeLabel") {
    if (!textual) {
      command.why = "changeLabel needs the label as its first argument";
      return command;
    }
    command.action = PlayerAction::ChangeLabel;
    command.label = first->text;
  } else if (request.name == u"externalCommand") {
    if (textual && first->text == u"show") {
      command.action = PlayerAction::Show;
    } else if (textual && first->text == u"end") {
      command.action = PlayerAction::End;
    } else {
      command.why = textual ? "externalCommand '" + Utf8(first->text) + "' is not known"
                            : "externalCommand needs a command name as its first argument";
    }
  } else {
    command.why = "the movie has no function '" + Utf8(request.name) + "'";
  }
  return command;
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string Utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    int extra = lead < 0x80           ? 0
                : (lead >> 5) == 0x6  ? 1
                : (lead >> 4) == 0xE  ? 2
                : (lead >> 3) == 0x1E ? 3
                                      : -1;
    char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
    for (int k = 1; valid && k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are as invalid as broken sequences.
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (valid && (code < minimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
      valid = false;
    if (!valid) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    AppendCodePoint(out, code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace swfhost
