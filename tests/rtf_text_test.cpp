// RTF text as typed: the escapes, tags left for the tag rows, and what RTF
// readers make of a whole document of escaped lines.
#include "text/rtf_text.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.hpp"
#include "support/typed_document.hpp"

namespace kolvo::test {
namespace {

TEST(RtfText, Escapes) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a\\b{c}d\r\n", "a\\\\b\\{c\\}d\r\n"},
      {"50% a _b_", "50\\'25 a \\'5fb\\'5f"},  // no "%" to form a tag, no " _" to delete
      {"a\tb\t c", "a\\tab b\\tab  c"},        // "\tab" takes one blank as its end
      {"f\xC3\xBC"
       "5",
       "f\\u252\\'3f5"},
      {"\xE7\xBF\xBF\xE8\x80\x80\xEF\xBF\xBD", "\\u32767\\'3f\\u-32768\\'3f\\u-3\\'3f"},
      {"\xF0\x9F\x98\x80", "\\u-10179\\'3f\\u-8704\\'3f"},  // U+1F600 as a surrogate pair
      {"\xF4\x8F\xBF\xBF", "\\u-9217\\'3f\\u-8193\\'3f"},   // U+10FFFF
      {"%bsbold%be %cs", "%bsbold%be %cs"},
  };
  EscapeStats stats;
  for (const auto& [typed, rtf] : cases) EXPECT_EQ(escapedBy(escapeRtfText, typed, stats), rtf);
  EXPECT_EQ(stats.missingGlyphs, 0u);
  EXPECT_EQ(escapedBy(escapeRtfText,
                      "a\x01"
                      "b\x7F"
                      "c\xC2\x85",
                      stats),
            "a?b?c?");
  EXPECT_EQ(stats.missingGlyphs, 3u);
  std::string out = "untouched";
  EXPECT_FALSE(escapeRtfText("Plain (text), #1; a-b ~ <x> \"q\" [y]*\r\n", out, stats));
  EXPECT_EQ(out, "untouched");
  for (std::string_view typed : {"%", "%%", "%%bs", "%b%Als", "%ps%", "x%%%be", "a%"}) {
    expectOnlyTheTypedTags(escapeRtfText, typed);
  }
}

// Typed lines and what RTF readers must show for them (where different).
const std::vector<std::pair<std::string, std::string>> kNasty = {
    {"Delimiters \\ { } \\par {\\b x} and % _ #, a _mark, 100%%bs%be",
     "Delimiters \\ { } \\par {\\b x} and % _ #, a _mark, 100%"},
    {"Tab\tthen text, tab\t then blank", ""},
    {"f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9 "
     "z",
     ""},
    {"Beyond the plane: \xF0\x9F\x98\x80 and \xF0\x9D\x84\x9E end", ""},
    {"%bsBold%be and %isitalic%ie words", "Bold and italic words"},
};

class RtfReaders : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path document() {
    std::vector<std::string> lines;
    for (const auto& line : kNasty) lines.push_back(line.first);
    EscapeStats stats;
    writeFile(dir / "typed.rtf",
              typedDocument(kRtfFormat, Format::Rtf, escapeRtfText, lines, stats));
    return dir / "typed.rtf";
  }
  static std::string shown(std::size_t i) {
    return kNasty[i].second.empty() ? kNasty[i].first : kNasty[i].second;
  }
};

TEST_F(RtfReaders, UnrtfGivesTheCharactersBack) {
  KOLVO_REQUIRE_TOOL("unrtf");
  // Plain-text unrtf shows "?" for every character beyond ASCII unless its
  // configuration says how to print one: a copy of it that prints "&#N;".
  const std::filesystem::path shipped = "/usr/share/unrtf/text.conf";
  if (!std::filesystem::exists(shipped)) GTEST_SKIP() << "no " << shipped;
  writeFile(dir / "text.conf", readFile(shipped) + "unisymbol_print\n\t&#%;\n");
  const CommandResult r =
      runCommand({"unrtf", "-P", dir.path().string(), "--text", document().string()});
  ASSERT_EQ(r.status, 0) << r.err;
  // unrtf breaks lines and sets tabs its own way, and shows each UTF-16
  // unit on its own: compare the characters, the blanks left out.
  std::string expected;
  for (std::size_t i = 0; i < kNasty.size(); ++i) {
    const std::string line = shown(i);
    for (std::size_t at = 0; at < line.size();) {
      const char32_t cp = nextCodePoint(line, at);
      if (cp > 0xFFFF) {
        expected += "&#" + std::to_string(0xD800 + ((cp - 0x10000) >> 10)) + ";&#" +
                    std::to_string(0xDC00 + ((cp - 0x10000) & 0x3FF)) + ";";
      } else if (cp > 0x7F) {
        expected += "&#" + std::to_string(cp) + ";";
      } else if (cp != ' ' && cp != '\t') {
        expected += static_cast<char>(cp);
      }
    }
  }
  std::string text = r.out.substr(r.out.find("-----------------") + 17);
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
  EXPECT_EQ(text, expected);
}

TEST_F(RtfReaders, AbiwordGivesTheLinesBack) {
  KOLVO_REQUIRE_TOOL("abiword");
  const auto txt = dir / "typed.txt";
  const CommandResult r =
      runCommand({"abiword", "--to=txt", "--to-name=" + txt.string(), document().string()});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream text(readFile(txt));
  std::string line;
  for (std::size_t i = 0; i < kNasty.size(); ++i) {
    ASSERT_TRUE(std::getline(text, line));
    EXPECT_EQ(line.substr(0, line.find_last_not_of(' ') + 1), shown(i));
  }
}

}  // namespace
}  // namespace kolvo::test
