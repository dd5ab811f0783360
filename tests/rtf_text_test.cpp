// RTF text as typed: the escapes, tags left for the tag rows, and what RTF
// readers make of a whole document of escaped lines.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/test_support.hpp"
#include "support/typed_document.hpp"
#include "writers/escape/rtf_text.hpp"

namespace kolvo::test {
namespace {

std::string escaped(std::string_view typed, EscapeStats& stats) {
  std::string out = "untouched";
  return escapeRtfText(typed, out, stats) ? out : std::string(typed);
}

std::string escaped(std::string_view typed) {
  EscapeStats stats;
  return escaped(typed, stats);
}

TEST(RtfText, PlainAsciiNeedsNoWork) {
  EscapeStats stats;
  std::string out = "untouched";
  EXPECT_FALSE(escapeRtfText("Plain (text), 100 #words; a-b ~ <x> \"q\" [y]*\r\n", out, stats));
  EXPECT_EQ(out, "untouched");
}

TEST(RtfText, DelimitersPercentUnderscoreAndTab) {
  EXPECT_EQ(escaped("a\\b{c}d\n"), "a\\\\b\\{c\\}d\n");
  EXPECT_EQ(escaped("50% off, 5%"), "50\\'25 off, 5\\'25");
  // No "_" byte is left for the clean-up " _" to delete.
  EXPECT_EQ(escaped("a _b_"), "a \\'5fb\\'5f");
  // The blank after "\tab" ends the control word, so a typed blank stays.
  EXPECT_EQ(escaped("a\tb\t c\r\n"), "a\\tab b\\tab  c\r\n");
}

TEST(RtfText, BeyondAsciiAsSignedSixteenBitUnits) {
  EXPECT_EQ(escaped("f\xC3\xBC" "5"), "f\\u252\\'3f5");
  EXPECT_EQ(escaped("\xE7\xBF\xBF"), "\\u32767\\'3f");    // U+7FFF
  EXPECT_EQ(escaped("\xE8\x80\x80"), "\\u-32768\\'3f");   // U+8000
  EXPECT_EQ(escaped("\xEF\xBF\xBD"), "\\u-3\\'3f");       // U+FFFD
  // Beyond U+FFFF: a surrogate pair.
  EXPECT_EQ(escaped("\xF0\x9F\x98\x80"), "\\u-10179\\'3f\\u-8704\\'3f");  // U+1F600
  EXPECT_EQ(escaped("\xF0\x90\x80\x80"), "\\u-10240\\'3f\\u-9216\\'3f");  // U+10000
  EXPECT_EQ(escaped("\xF4\x8F\xBF\xBF"), "\\u-9217\\'3f\\u-8193\\'3f");   // U+10FFFF
}

TEST(RtfText, ControlCharactersAreCountedAsMissing) {
  EscapeStats stats;
  EXPECT_EQ(escaped("a\x01" "b\x7F" "c\xC2\x85" "d", stats), "a?b?c?d");
  EXPECT_EQ(stats.missingGlyphs, 3u);
}

TEST(RtfText, TagsStayAndNoOtherPercentIsLeft) {
  EXPECT_EQ(escaped("%bsbold%be %cs"), "%bsbold%be %cs");
  for (std::string_view typed : {"%", "%%", "%%bs", "%b%Als", "%ps%", "x%%%be", "%g1%"}) {
    const std::string out = escaped(typed);
    std::size_t tagsTyped = 0;
    std::size_t tagsOut = 0;
    for (std::size_t i = 0; i < typed.size(); ++i) tagsTyped += beginsTag(typed, i) ? 1 : 0;
    for (std::size_t i = out.find('%'); i != std::string::npos; i = out.find('%', i + 1)) {
      EXPECT_TRUE(beginsTag(out, i)) << typed << " -> " << out;
      ++tagsOut;
    }
    EXPECT_EQ(tagsOut, tagsTyped) << typed;
  }
}

// The lines of a document that RTF readers must give back as typed. The
// tag rows run too; the Symbol-font tags are left out, as some readers
// lose that font.
const std::vector<std::string> kNastyLines = {
    "Delimiters \\ { } \\par {\\b x} and % _ #, a _mark, 100%%bs%be",
    "Tab\tthen text, tab\t then blank",
    "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9 z",
    "Beyond the plane: \xF0\x9F\x98\x80 and \xF0\x9D\x84\x9E end",
    "%bsBold%be and %isitalic%ie words",
};
// What the readers show for them.
const std::vector<std::string> kNastyShown = {
    "Delimiters \\ { } \\par {\\b x} and % _ #, a _mark, 100%",
    "Tab\tthen text, tab\t then blank",
    "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9 z",
    "Beyond the plane: \xF0\x9F\x98\x80 and \xF0\x9D\x84\x9E end",
    "Bold and italic words",
};

std::string withoutBlanks(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') kept.push_back(c);
  }
  return kept;
}

void appendUtf8(std::string& out, char32_t cp) {
  const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  constexpr char32_t kLead[] = {0, 0xC0, 0xE0, 0xF0};
  out.push_back(static_cast<char>(kLead[extra] | cp >> (6 * extra)));
  for (int i = extra - 1; i >= 0; --i) out.push_back(static_cast<char>(0x80 | (cp >> (6 * i) & 0x3F)));
}

// "&#N;" as UTF-8, a pair of surrogates joined into one character.
std::string decodeCharacterReferences(const std::string& text) {
  static const std::regex reference("&#([0-9]+);");
  std::string decoded;
  char32_t high = 0;
  std::size_t run = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), reference);
       it != std::sregex_iterator(); ++it) {
    decoded.append(text, run, static_cast<std::size_t>(it->position()) - run);
    run = static_cast<std::size_t>(it->position() + it->length());
    char32_t cp = static_cast<char32_t>(std::stoul((*it)[1]));
    if (cp >= 0xD800 && cp < 0xDC00) {
      high = cp;
      continue;
    }
    if (cp >= 0xDC00 && cp < 0xE000) cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
    appendUtf8(decoded, cp);
  }
  return decoded.append(text, run);
}

class RtfReaders : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path document() {
    EscapeStats stats;
    const auto path = dir / "typed.rtf";
    writeFile(path, typedDocument(kRtfFormat, Format::Rtf, escapeRtfText, kNastyLines, stats));
    EXPECT_EQ(stats.missingGlyphs, 0u);
    return path;
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
  // unrtf's line breaks and tab stops are its own; every character counts.
  std::string shown = decodeCharacterReferences(r.out.substr(r.out.find("-----------------") + 17));
  std::string expected;
  for (const std::string& line : kNastyShown) expected += line;
  EXPECT_EQ(withoutBlanks(shown), withoutBlanks(expected));
}

TEST_F(RtfReaders, AbiwordGivesTheLinesBack) {
  KOLVO_REQUIRE_TOOL("abiword");
  const auto txt = dir / "typed.txt";
  const CommandResult r =
      runCommand({"abiword", "--to=txt", "--to-name=" + txt.string(), document().string()});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream shown(readFile(txt));
  std::string line;
  for (const std::string& expected : kNastyShown) {
    ASSERT_TRUE(std::getline(shown, line));
    EXPECT_EQ(line.substr(0, line.find_last_not_of(' ') + 1), expected);
  }
}

}  // namespace
}  // namespace kolvo::test
