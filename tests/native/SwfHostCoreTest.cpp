#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "InvokeRequest.h"
#include "MovieDescription.h"
#include "Timeline.h"

namespace {

using namespace swfhost;

std::u16string Invoke(std::u16string_view name, std::u16string_view argument) {
  return u"<invoke name=\"" + std::u16string(name) + u"\" returntype=\"xml\"><arguments><string>" +
         std::u16string(argument) + u"</string></arguments></invoke>";
}

PlayerCommand CommandOf(std::u16string_view text) {
  InvokeParseResult parsed = ParseInvokeRequest(text);
  EXPECT_TRUE(parsed.request) << Utf8(text) << ": " << parsed.error;
  return parsed.request ? CommandFor(*parsed.request) : PlayerCommand{};
}

std::string RequestRefusal(std::u16string_view text) {
  InvokeParseResult parsed = ParseInvokeRequest(text);
  EXPECT_FALSE(parsed.request) << Utf8(text);
  return parsed.error;
}

TEST(InvokeRequest, ReadsTheProgramsRequests) {
  EXPECT_EQ(CommandOf(Invoke(u"externalCommand", u"show")).action, PlayerAction::Show);
  EXPECT_EQ(CommandOf(Invoke(u"externalCommand", u"end")).action, PlayerAction::End);
  PlayerCommand label = CommandOf(Invoke(u"changeLabel", u"Turbo"));
  EXPECT_EQ(label.action, PlayerAction::ChangeLabel);
  EXPECT_EQ(Utf8(label.label), "Turbo");
  InvokeParseResult parsed = ParseInvokeRequest(Invoke(u"changeLabel", u""));
  ASSERT_TRUE(parsed.request) << parsed.error;
  EXPECT_EQ(Utf8(parsed.request->returnType), "xml");
  EXPECT_EQ(CommandFor(*parsed.request).action, PlayerAction::ChangeLabel) << "an empty label is a label";
}

TEST(InvokeRequest, DecodesEntitiesQuotesAndToleratesSpacing) {
  EXPECT_EQ(Utf8(CommandOf(Invoke(u"changeLabel", u"&lt;a&gt; &amp; &quot;b&quot; &apos;c&apos;")).label),
            "<a> & \"b\" 'c'");
  EXPECT_EQ(Utf8(CommandOf(Invoke(u"changeLabel", u"&#65;&#x42;&#X43;&#x00e9;")).label), "ABC\xC3\xA9");
  std::u16string astral = CommandOf(Invoke(u"changeLabel", u"&#x1F697;")).label;
  EXPECT_EQ(astral, std::u16string(u"\xD83D\xDE97")) << "beyond the BMP as a surrogate pair";
  // Non-ASCII characters as such, and white space inside the string kept as it is.
  EXPECT_EQ(CommandOf(Invoke(u"changeLabel", u"  Gr\u00fc\u00dfe \u6a21\u5f0f ")).label,
            std::u16string(u"  Gr\u00fc\u00dfe \u6a21\u5f0f "));

  PlayerCommand spaced = CommandOf(
      u"<?xml version='1.0'?>\r\n<!-- from a hand-written test -->\n"
      u"<invoke   returntype = 'xml'\tname='change&#76;abel' >\n  <arguments>\n"
      u"    <string>Quiet</string >\n  </arguments>\n</invoke >\n");
  EXPECT_EQ(spaced.action, PlayerAction::ChangeLabel);
  EXPECT_EQ(Utf8(spaced.label), "Quiet");
  EXPECT_EQ(Utf8(CommandOf(u"<invoke name=\"changeLabel\"><arguments><string>a<!-- c -->b</string>"
                           u"</arguments></invoke>")
                     .label),
            "ab");
}

TEST(InvokeRequest, IgnoresWhatItDoesNotKnow) {
  PlayerCommand unknown = CommandOf(Invoke(u"rewind", u"now"));
  EXPECT_EQ(unknown.action, PlayerAction::Ignore);
  EXPECT_EQ(unknown.why, "the movie has no function 'rewind'");
  EXPECT_EQ(CommandOf(Invoke(u"externalCommand", u"Show")).why, "externalCommand 'Show' is not known")
      << "command names are case-sensitive, as in the movie";
  EXPECT_EQ(CommandOf(u"<invoke name=\"changeLabel\"><arguments/></invoke>").why,
            "changeLabel needs the label as its first argument");
  EXPECT_EQ(CommandOf(u"<invoke name=\"externalCommand\"><arguments><true/></arguments></invoke>").why,
            "externalCommand needs a command name as its first argument");

  // Unknown attributes and elements, even inside the arguments, take nothing away from the request.
  InvokeParseResult parsed = ParseInvokeRequest(
      u"<invoke name=\"changeLabel\" extra=\"1\"><meta><deep x='y'>z</deep></meta>"
      u"<arguments><string>Balanced</string><number>3.5</number><shape/><null/></arguments>"
      u"<arguments><string>second list</string></arguments></invoke>");
  ASSERT_TRUE(parsed.request) << parsed.error;
  const auto& arguments = parsed.request->arguments;
  ASSERT_EQ(arguments.size(), 4u);
  EXPECT_EQ(arguments[1].kind, InvokeArgument::Kind::Number);
  EXPECT_EQ(Utf8(arguments[1].text), "3.5");
  EXPECT_EQ(arguments[2].kind, InvokeArgument::Kind::Other);
  EXPECT_EQ(arguments[3].kind, InvokeArgument::Kind::Null);
  EXPECT_EQ(Utf8(CommandFor(*parsed.request).label), "Balanced");
}

TEST(InvokeRequest, RefusesMalformedTextSayingWhereAndWhy) {
  struct Case {
    std::u16string text;
    std::string error;
  };
  const Case cases[] = {
      {u"", "expected an element at character 0"},
      {u"show", "expected an element at character 0"},
      {u"<invoke name=\"a\">", "<invoke> without its end tag at character 17"},
      {u"<invoke name=\"a\"></invokes>", "</invokes> closes <invoke> at character 26"},
      {u"<invoke name=\"a\"><arguments></invoke>", "</invoke> closes <arguments> at character 36"},
      {u"<invoke name=a/>", "attribute value without quotes at character 13"},
      {u"<invoke name=\"a'/>", "attribute value without its closing quote at character 18"},
      {u"<invoke name=\"a\"name=\"b\"/>", "attributes must be separated by white space at character 16"},
      {u"<invoke name=\"a\" name=\"b\"/>", "attribute name given twice at character 25"},
      {u"<invoke name=\"<\"/>", "'<' inside an attribute value at character 14"},
      {u"<invoke name=\"a\">&nbsp;</invoke>", "unknown entity &nbsp; at character 17"},
      {u"<invoke name=\"a\">fish & chips</invoke>",
       "'&' that starts no entity (write &amp;) at character 22"},
      {u"<invoke name=\"a\">&#xD800;</invoke>",
       "character reference &#xD800; names no character at character 17"},
      {u"<invoke name=\"a\">&#0;</invoke>", "character reference &#0; names no character at character 17"},
      {u"<invoke name=\"a\">&#x110000;</invoke>",
       "character reference &#x110000; is beyond Unicode at character 17"},
      {u"<invoke name=\"a\">&#12a;</invoke>", "'#12a' is not a character reference at character 17"},
      {u"<invoke name=\"a\"/><invoke name=\"b\"/>", "text after the root element at character 18"},
      {u"<invoke name=\"a\"><![CDATA[x]]></invoke>",
       "CDATA sections and declarations are not supported at character 17"},
      {u"<!-- open", "comment without its end at character 0"},
      {u"<1nvoke/>", "expected a name at character 1"},
      {u"<arguments/>", "the request is <arguments>, not <invoke>"},
      {u"<invoke returntype=\"xml\"/>", "<invoke> names no function"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestRefusal(c.text), c.error) << Utf8(c.text);

  std::u16string deep = u"<invoke name=\"a\">";
  for (int i = 0; i < 40; ++i)
    deep += u"<x>";
  EXPECT_EQ(RequestRefusal(deep), "elements nested deeper than 32 at character 110");
}

TEST(InvokeRequest, RefusesTextsOverTheLimitAndTakesThoseAtIt) {
  std::u16string fixed = Invoke(u"changeLabel", u"");
  std::u16string atLimit = Invoke(u"changeLabel", std::u16string(kMaxRequestLength - fixed.size(), u'W'));
  ASSERT_EQ(atLimit.size(), kMaxRequestLength);
  EXPECT_EQ(CommandOf(atLimit).label.size(), kMaxRequestLength - fixed.size());
  EXPECT_EQ(RequestRefusal(atLimit + u" "), "request of 4097 characters is longer than the limit of 4096");
}

TEST(InvokeRequest, ConvertsBetweenUtf8AndUtf16) {
  EXPECT_EQ(Utf16("a\xC3\xA9\xE6\xA8\xA1\xF0\x9F\x9A\x97"), std::u16string(u"a\u00e9\u6a21\xD83D\xDE97"));
  EXPECT_EQ(Utf8(u"a\u00e9\u6a21\xD83D\xDE97"), "a\xC3\xA9\xE6\xA8\xA1\xF0\x9F\x9A\x97");
  EXPECT_EQ(Utf8(std::u16string(1, char16_t(0xD83D)) + u"x"), "\xEF\xBF\xBDx") << "a lone surrogate";
  // Broken, overlong and surrogate-encoding sequences each give one replacement character per byte read.
  EXPECT_EQ(Utf16("\xC3"), u"\uFFFD");
  EXPECT_EQ(Utf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf16("\xED\xA0\x80!"), u"\uFFFD\uFFFD\uFFFD!");
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(MovieDescription, ShippedMoviesLoadAndFitTheirPanel) {
  std::optional<MovieDescription> movies[2];
  const char* names[] = {"GearProfileOn.swf", "GearProfileOff.swf"};
  for (int i = 0; i < 2; ++i) {
    std::string text = ReadFile(std::string(GS_SHIPPED_MOVIES) + "/" + names[i]);
    ASSERT_FALSE(text.empty()) << names[i];
    MovieParseResult parsed = ParseMovieDescription(text, names[i]);
    ASSERT_TRUE(parsed.movie) << parsed.error;
    const MovieDescription& movie = *parsed.movie;
    EXPECT_EQ(movie.width, 400);
    EXPECT_EQ(movie.height, 650);
    const Box& box = movie.labelBox;
    EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= movie.width && box.bottom <= movie.height)
        << names[i];
    // The label must still be inside the window where the intro starts it and where the outro ends it.
    EXPECT_LE(box.bottom + movie.introSlide, movie.height) << names[i];
    EXPECT_GE(box.top - movie.outroSlide, 0) << names[i];
    EXPECT_TRUE(movie.introMs >= 150 && movie.introMs <= 1000) << names[i] << ": the intro is for people";
    movies[i] = movie;
  }
  EXPECT_NE(movies[0]->accent, movies[1]->accent) << "the two profiles look different";
}

TEST(MovieDescription, ReadsEveryKeyAndIgnoresUnknownOnes) {
  MovieParseResult parsed = ParseMovieDescription(
      "\xEF\xBB\xBF# made by hand\r\n"
      "swfhost-movie 1\r\n"
      "size = 320 480\n"
      "panel.top = #0A1B2c\n"
      "panel.bottom=#000000\n"
      "panel.border = #ffffff\n"
      "panel.radius = 12\n"
      "border.width = 0\n"
      "accent = #ff8000\n"
      "glyph = gear\n"
      "glyph.centre = 160 -20\n"
      "glyph.radius = 50\n"
      "title =  GEAR  PROFILE \n"
      "title.colour = #102030\n"
      "title.size = 18\n"
      "title.top = 200\n"
      "label = Gr\xC3\xBC\xC3\x9F"
      "e = hi\n"
      "label.colour = #eeeeee\n"
      "label.font = Segoe UI Semibold ,Tahoma\n"
      "label.size = 40\n"
      "label.minsize = 40\n"
      "label.weight = 600\n"
      "label.box = 10 220 310 400\n"
      "intro.ms = 0\n"
      "outro.ms = 10000\n"
      "intro.slide = -30\n"
      "outro.slide = 0\n"
      "sparkle.count = many\n"
      "timeline = some later version's key\n",
      "test.swf");
  ASSERT_TRUE(parsed.movie) << parsed.error;
  const MovieDescription& movie = *parsed.movie;
  EXPECT_EQ(movie.width, 320);
  EXPECT_EQ(movie.height, 480);
  EXPECT_EQ(movie.panelTop, (Colour{0x0a, 0x1b, 0x2c}));
  EXPECT_EQ(movie.accent, (Colour{0xff, 0x80, 0x00}));
  EXPECT_EQ(movie.radius, 12);
  EXPECT_EQ(movie.borderWidth, 0);
  EXPECT_TRUE(movie.gear);
  EXPECT_EQ(movie.glyphY, -20);
  EXPECT_EQ(movie.title, "GEAR  PROFILE") << "texts keep inner spaces and lose the outer ones";
  EXPECT_EQ(movie.label,
            "Gr\xC3\xBC\xC3\x9F"
            "e = hi")
      << "only the first '=' separates";
  EXPECT_EQ(movie.fonts, (std::vector<std::string>{"Segoe UI Semibold", "Tahoma"}));
  EXPECT_EQ(movie.labelWeight, 600);
  EXPECT_EQ(movie.labelBox, (Box{10, 220, 310, 400}));
  EXPECT_EQ(movie.introMs, 0);
  EXPECT_EQ(movie.outroMs, 10000);
  EXPECT_EQ(movie.introSlide, -30);

  MovieParseResult bare = ParseMovieDescription("swfhost-movie 1\n", "bare.swf");
  ASSERT_TRUE(bare.movie) << bare.error;
  EXPECT_EQ(*bare.movie, MovieDescription{}) << "a movie that says nothing plays the default look";
}

TEST(MovieDescription, RefusesBadFilesNamingFileAndLine) {
  auto refusal = [](const std::string& text) {
    MovieParseResult parsed = ParseMovieDescription(text, "m.swf");
    EXPECT_FALSE(parsed.movie) << text;
    return parsed.error;
  };
  EXPECT_EQ(refusal(""), "m.swf:0: empty: no 'swfhost-movie 1' line");
  EXPECT_EQ(refusal(std::string("FWS\x0a\0\0\0", 8)),
            "m.swf:1: expected 'swfhost-movie 1' first (this player plays its own movie descriptions, not "
            "Flash files)");
  EXPECT_EQ(refusal("# c\nswfhost-movie 2\n"),
            "m.swf:2: movie format version 2 is not known (this player reads version 1)");
  EXPECT_EQ(refusal(std::string("swfhost-movie 1\nlabel = a\0b\n", 28)),
            "m.swf:2: binary data: not a swfhost movie description");
  EXPECT_EQ(refusal("swfhost-movie 1\naccent #ffffff\n"),
            "m.swf:2: expected 'key = value', found 'accent #ffffff'");
  EXPECT_EQ(refusal("swfhost-movie 1\n= 3\n"), "m.swf:2: a value without its key");
  EXPECT_EQ(refusal("swfhost-movie 1\naccent = #fff\n"),
            "m.swf:2: 'accent' needs a colour written #rrggbb, found '#fff'");
  EXPECT_EQ(refusal("swfhost-movie 1\naccent = #ggffff\n"),
            "m.swf:2: 'accent' needs a colour written #rrggbb, found '#ggffff'");
  EXPECT_EQ(refusal("swfhost-movie 1\nsize = 400\n"),
            "m.swf:2: 'size' needs a width and a height, whole numbers from 16 to 4096, found '400'");
  EXPECT_EQ(
      refusal("swfhost-movie 1\nintro.ms = 12ms\n"),
      "m.swf:2: 'intro.ms' needs a duration in milliseconds, whole numbers from 0 to 10000, found '12ms'");
  EXPECT_EQ(refusal("swfhost-movie 1\nintro.ms = 99999999999\n"),
            "m.swf:2: 'intro.ms' needs a duration in milliseconds, whole numbers from 0 to 10000, found "
            "'99999999999'");
  EXPECT_EQ(refusal("swfhost-movie 1\nglyph = star\n"),
            "m.swf:2: 'glyph' needs 'gear' or 'none', found 'star'");
  EXPECT_EQ(refusal("swfhost-movie 1\nlabel.font = Tahoma,,Arial\n"),
            "m.swf:2: 'label.font' needs font face names of 1 to 31 characters separated by commas, found "
            "'Tahoma,,Arial'");
  EXPECT_EQ(refusal("swfhost-movie 1\naccent = #ffffff\n\naccent = #000000\n"),
            "m.swf:4: 'accent' is already given on line 2");
  EXPECT_EQ(refusal("swfhost-movie 1\nlabel.box = 100 10 50 20\n"),
            "m.swf:2: 'label.box' must have its right beyond its left and its bottom below its top");
  EXPECT_EQ(refusal("swfhost-movie 1\nlabel.size = 20\nlabel.minsize = 30\n"),
            "m.swf:3: 'label.minsize' is larger than 'label.size'");
  EXPECT_EQ(refusal("swfhost-movie 1\n" + std::string(kMaxMovieFileSize, '#')),
            "m.swf:0: larger than 65536 bytes");
}

constexpr ClipTiming kTiming{400, 300, 40, 30};

TEST(Timeline, IntroFadesAndSlidesInThenCallsOutOnce) {
  Timeline timeline(kTiming);
  EXPECT_EQ(timeline.FrameAt(0).appear, 1.0) << "a new movie shows its label";
  EXPECT_FALSE(timeline.Running());

  EXPECT_EQ(timeline.Request(Clip::Intro, 1000), Timeline::Outcome::Started);
  EXPECT_TRUE(timeline.Running());
  EXPECT_EQ(timeline.FrameAt(1000).appear, 0.0);
  EXPECT_EQ(timeline.FrameAt(1000).slide, 40.0);
  Frame middle = timeline.FrameAt(1200);
  EXPECT_GT(middle.appear, 0.5) << "eased out: most of the way there at half time";
  EXPECT_LT(middle.appear, 1.0);
  EXPECT_GT(middle.slide, 0.0);
  EXPECT_TRUE(timeline.Advance(1399).empty());
  EXPECT_EQ(timeline.Advance(1400), std::vector<Clip>{Clip::Intro});
  EXPECT_TRUE(timeline.Advance(5000).empty()) << "one call-out per request";
  EXPECT_FALSE(timeline.Running());
  EXPECT_EQ(timeline.FrameAt(5000).appear, 1.0);
  EXPECT_EQ(timeline.FrameAt(5000).slide, 0.0);

  EXPECT_EQ(timeline.Request(Clip::Outro, 6000), Timeline::Outcome::Started);
  EXPECT_EQ(timeline.Advance(6300), std::vector<Clip>{Clip::Outro});
  EXPECT_EQ(timeline.FrameAt(6300).appear, 0.0) << "the outro leaves the label gone";
  EXPECT_EQ(timeline.FrameAt(6300).slide, -30.0);
}

TEST(Timeline, RequestsDuringAClipWaitAndEachCallsOut) {
  Timeline timeline(kTiming);
  timeline.Request(Clip::Intro, 0);
  EXPECT_EQ(timeline.Request(Clip::Outro, 100), Timeline::Outcome::Waiting) << "end during the intro";
  EXPECT_GT(timeline.FrameAt(200).appear, 0.0) << "the intro goes on";
  // A late tick sees both clips over: the outro began when the intro ended, not at the tick.
  EXPECT_EQ(timeline.Advance(700), (std::vector<Clip>{Clip::Intro, Clip::Outro}));
  EXPECT_FALSE(timeline.Running());

  timeline.Request(Clip::Intro, 1000);
  timeline.Request(Clip::Outro, 1001);
  timeline.Request(Clip::Intro, 1002);
  EXPECT_EQ(timeline.Advance(1450), std::vector<Clip>{Clip::Intro});
  EXPECT_LT(timeline.FrameAt(1450).appear, 1.0) << "the waiting outro runs from 1400";
  EXPECT_EQ(timeline.Advance(1700), std::vector<Clip>{Clip::Outro});
  EXPECT_EQ(timeline.FrameAt(1700).appear, 0.0) << "the intro after it starts from nothing";
  EXPECT_EQ(timeline.Advance(2100), std::vector<Clip>{Clip::Intro});

  timeline.Request(Clip::Intro, 3000);
  for (std::size_t i = 0; i < Timeline::kMaxWaiting; ++i)
    EXPECT_EQ(timeline.Request(Clip::Outro, 3001), Timeline::Outcome::Waiting);
  EXPECT_EQ(timeline.Request(Clip::Outro, 3002), Timeline::Outcome::Refused);
  EXPECT_EQ(timeline.Advance(100000).size(), Timeline::kMaxWaiting + 1);
}

TEST(Timeline, StopFreezesTheFrameAndPlayRestartsTheIntro) {
  Timeline timeline(kTiming);
  timeline.Request(Clip::Intro, 0);
  timeline.Request(Clip::Outro, 10);
  Frame at100 = timeline.FrameAt(100);
  timeline.Stop(100);
  EXPECT_FALSE(timeline.Running());
  EXPECT_EQ(timeline.FrameAt(9000).appear, at100.appear) << "frozen where it was stopped";
  EXPECT_TRUE(timeline.Advance(9000).empty()) << "a stopped movie calls out for nothing";

  timeline.Play(10000);
  EXPECT_TRUE(timeline.Running());
  EXPECT_EQ(timeline.FrameAt(10000).appear, 0.0);
  EXPECT_EQ(timeline.Advance(10400), std::vector<Clip>{Clip::Intro}) << "the waiting outro was dropped";
  EXPECT_TRUE(timeline.Advance(20000).empty());

  timeline.Request(Clip::Outro, 30000);
  timeline.Stop(30100);
  EXPECT_EQ(timeline.Request(Clip::Intro, 31000), Timeline::Outcome::Started) << "a request after a stop";
  EXPECT_EQ(timeline.Advance(31400), std::vector<Clip>{Clip::Intro});
}

TEST(Timeline, ClipsOfNoDurationEndAtTheNextTick) {
  Timeline timeline(ClipTiming{0, 0, 10, 10});
  timeline.Request(Clip::Intro, 50);
  EXPECT_EQ(timeline.FrameAt(50).appear, 1.0);
  timeline.Request(Clip::Outro, 50);
  EXPECT_EQ(timeline.Advance(50), (std::vector<Clip>{Clip::Intro, Clip::Outro}));
}

}  // namespace
