#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "InvokeRequest.h"
#include "layout/LabelRequest.h"

namespace {

// The label as the player reads it back out of the request; "(refused: ...)" when it cannot.
std::u16string LabelThePlayerReads(const std::string& request, UINT codePage) {
  std::u16string wide(request.size(), u'\0');
  int length = MultiByteToWideChar(codePage, 0, request.data(), static_cast<int>(request.size()),
                                   reinterpret_cast<wchar_t*>(wide.data()), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length > 0 ? length : 0));
  swfhost::InvokeParseResult parsed = swfhost::ParseInvokeRequest(wide);
  if (!parsed.request)
    return u"(refused: " + swfhost::Utf16(parsed.error) + u")";
  return swfhost::CommandFor(*parsed.request).label;
}

std::u16string Utf16Of(const std::string& text, UINT codePage) {
  return LabelThePlayerReads(LabelRequest(text, codePage), codePage);
}

TEST(LabelRequestTest, PlainTextGoesInByteForByteAndXmlCharactersAsEntities) {
  EXPECT_EQ(LabelRequest("Quieter", 1252).size(), 100u);
  EXPECT_EQ(LabelRequest("Turbo", 1252),
            "<invoke name=\"changeLabel\" returntype=\"xml\"><arguments><string>Turbo</string></arguments>"
            "</invoke>");
  std::string tricky = "Fish & \"Chips\" <3> 'n'";
  std::string request = LabelRequest(tricky, 1252);
  EXPECT_NE(request.find("Fish &amp; &quot;Chips&quot; &lt;3&gt; &apos;n&apos;"), std::string::npos)
      << request;
  EXPECT_EQ(LabelThePlayerReads(request, 1252), u"Fish & \"Chips\" <3> 'n'");
}

TEST(LabelRequestTest, LongLabelIsCutToFitTheBufferAtAWholeCharacterOrEntity) {
  struct Case {
    const char* what;
    std::string text;
    UINT codePage;
    size_t labelBytes;  // of the label as it stands in the request
    size_t textBytes;   // of the text that it carries
  };
  std::string pairs;
  for (int i = 0; i < 100; ++i)
    pairs += "\x82\xa0";
  const std::string x160(160, 'x'), x161(161, 'x');
  const Case cases[] = {
      {"plain, exactly full", std::string(162, 'x'), 1252, 162, 162},
      {"plain, far too long", std::string(1000, 'x'), 1252, 162, 162},
      {"an entity that would not fit", x160 + "&", 1252, 160, 160},
      {"an entity that just fits", std::string(157, 'x') + "&y", 1252, 162, 158},
      {"Shift JIS, a double-byte character astride the end", x161 + "\x82\xa0", 932, 161, 161},
      {"Shift JIS, double-byte characters after one byte", "x" + pairs, 932, 161, 161},
      {"GBK, a double-byte character astride the end", x161 + "\xc4\xe3", 936, 161, 161},
      {"UTF-8, a three-byte character astride the end", x160 + "\xe2\x82\xac", CP_UTF8, 160, 160},
  };
  for (const Case& c : cases) {
    std::string request = LabelRequest(c.text, c.codePage);
    EXPECT_LE(request.size() + 1, LabelRequestBufferSize) << c.what;
    EXPECT_EQ(request.size(), 93 + c.labelBytes) << c.what;
    std::u16string label = LabelThePlayerReads(request, c.codePage);
    EXPECT_EQ(label.find(u"refused"), std::u16string::npos) << c.what << ": the request is not well-formed";
    EXPECT_EQ(label, Utf16Of(c.text.substr(0, c.textBytes), c.codePage))
        << c.what << ": the label must be the start of the text, whole characters only";
  }
}

}  // namespace
