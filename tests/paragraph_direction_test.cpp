// A typed paragraph runs the way of its first strong character, and the
// flowing formats say so: readers then order and align it as its writer
// meant. Markup keeps its bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "support/test_support.hpp"
#include "text/line_look.hpp"
#include "text/paragraph_direction.hpp"
#include "text/text_decoding.hpp"

namespace kolvo {
namespace {

TEST(ParagraphDirection, TheFirstStrongCharacterDecides) {
  // Right to left: Hebrew, Arabic, Persian, Syriac, Thaana, N'Ko, their
  // presentation forms, the marks.
  for (const char* text : {"שלום", "مرحبا", "سلام دنیا", "ܫܠܡܐ", "ދިވެހި", "ߒߞߏ", "ﻣﺮﺣﺒﺎ",
                           "\xE2\x80\x8F" "abc", "\xF0\x9E\xA4\x80"}) {  // RLM; Adlam
    EXPECT_TRUE(startsRightToLeft(text)) << text;
  }
  // What comes before the first strong character does not count: digits,
  // punctuation, blanks, symbols, emoji, marks, and the markup's tags.
  EXPECT_TRUE(startsRightToLeft("  123, (\xE2\x80\x94) \xF0\x9F\x98\x80 \xCC\x81 שלום hello"));
  EXPECT_TRUE(startsRightToLeft("%cs%bsمركز%be%ce"));
  // Left to right: Latin, Greek, Cyrillic, CJK, Indic, Thai, and a left mark.
  for (const char* text : {"hello שלום", "Ελλάδα", "Привет", "中文", "日本語", "한국어",
                           "हिन्दी", "ไทย", "\xE2\x80\x8E" "שלום", "É", "9 lives"}) {
    EXPECT_FALSE(startsRightToLeft(text)) << text;
  }
  // No strong character at all: left to right.
  for (const char* text : {"", "   ", "123 456", "--- !!! ???", "%bs%be", "\xE2\x82\xAC 5"}) {
    EXPECT_FALSE(startsRightToLeft(text)) << text;
  }
}

TEST(ParagraphDirection, StretchesBetweenTagsTakeTheirLevels) {
  using Levels = std::vector<std::uint8_t>;
  Levels levels;
  // Nothing to put in another order: no tag, or left to right throughout.
  for (const char* text : {"שלום עולם", "abc %bsdef%be ghi", "%bs%be", "123 %bs456%be"}) {
    levelsBetweenTags(text, startsRightToLeft(text), levels);
    EXPECT_TRUE(levels.empty()) << text;
  }
  // A right-to-left paragraph: its stretches at 1, Latin ones at 2, those
  // with no letter between two of one way at that way's level, else 1.
  levelsBetweenTags("שלום %bsעולם%be טוב", true, levels);
  EXPECT_EQ(levels, (Levels{1, 1, 1}));
  levelsBetweenTags("שלום %bsabc%be%is, %iedef עולם", true, levels);
  EXPECT_EQ(levels, (Levels{1, 2, 1, 1, 1}));
  levelsBetweenTags("שלום %bsabc%be, %isdef%ie עולם", true, levels);
  EXPECT_EQ(levels, (Levels{1, 2, 2, 2, 1}));
  // A left-to-right one: Hebrew stretches at 1, and the empty stretch
  // between two of them with them; one that mixes both ways at 0.
  levelsBetweenTags("abc %bsשלום%be%isעולם%ie def", false, levels);
  EXPECT_EQ(levels, (Levels{0, 1, 1, 1, 0}));
  levelsBetweenTags("abc %bsשלום%be עולם def", false, levels);
  EXPECT_EQ(levels, (Levels{0, 1, 0}));
  // Right-to-left characters of every UTF-8 length count: the mark, a
  // presentation form, Adlam.
  for (const char* text : {"abc %bs\xE2\x80\x8F%be def", "abc %bsﻣﺮ%be def",
                           "abc %bs\xF0\x9E\xA4\x80%be def"}) {
    levelsBetweenTags(text, false, levels);
    EXPECT_EQ(levels, (Levels{0, 1, 0})) << text;
  }
}

TEST(ParagraphDirection, EveryRightToLeftCharacterBehindATagIsFound) {
  // A left-to-right line is passed over by its bytes where it can hold no
  // right-to-left character: every code point, in a tagged stretch among
  // Latin ones, counts as right to left exactly where the blocks say so,
  // wherever it stands in lines of every length up to a few blocks.
  std::vector<std::uint8_t> levels;
  std::string line;
  std::size_t rightToLeft = 0;
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    line.assign(c % 23, 'a');
    line += " %bs";
    appendUtf8(line, c);
    line += "%be ";
    line.append(c / 23 % 29, 'z');
    ASSERT_EQ(lookAtLine(line).mayHoldRightToLeft, c >= 0x580) << std::hex << static_cast<std::uint32_t>(c);
    if (isStrongRightToLeft(c)) {
      ASSERT_TRUE(mayHoldRightToLeftCharacter(line)) << std::hex << static_cast<std::uint32_t>(c);
    }
    levelsBetweenTags(line, false, levels);
    const bool found = !levels.empty();
    ASSERT_EQ(found, isStrongRightToLeft(c)) << std::hex << static_cast<std::uint32_t>(c);
    rightToLeft += found ? 1 : 0;
  }
  EXPECT_GT(rightToLeft, 4000U);
}

std::string typed(std::string_view input, Format format) {
  return convertText(input, format, 's', nullptr, TextMode::Typed);
}

bool holds(const std::string& document, std::string_view part) {
  return document.find(part) != std::string::npos;
}

TEST(ParagraphDirection, EachFlowingFormatSaysTheWayOfARightToLeftLine) {
  const std::string input = "left to right\n1. שלום עולם\n%csمركز%ce\n";
  struct Expected {
    Format format;
    const char* rightToLeft;
    const char* centred;
    const char* leftToRight;
  };
  const std::vector<Expected> cases = {
      {Format::Html, "<div dir=\"rtl\">1. שלום עולם </div>\n",
       "<div dir=\"rtl\" style=\"text-align: center\">", "left to right  <br />\n"},
      {Format::DocBook, "<para dir=\"rtl\">1. שלום עולם </para>", "<para role=\"center\" dir=\"rtl\">",
       "<para>left to right </para>"},
      {Format::AbiWord, "<p style=\"Normal\" props=\"dom-dir:rtl; text-align:right\"><c>1. ",
       "<p style=\"Center\" props=\"dom-dir:rtl; text-align:center\">",
       "<p style=\"Normal\"><c>left to right"},
      {Format::Rtf, "\\pard\\rtlpar\\qr 1. \\u1513", "\\pard\\rtlpar\\qr \\qc", "\\pard\\ql left to right"},
      {Format::OpenDocument, "<text:p text:style-name=\"TextRtl\"><text:span>1. ",
       "<text:p text:style-name=\"CentredRtl\">", "<text:p text:style-name=\"Text\"><text:span>left"},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(formatName(c.format));
    const std::string document = typed(input, c.format);
    EXPECT_TRUE(holds(document, c.rightToLeft)) << document;
    EXPECT_TRUE(holds(document, c.centred)) << document;
    EXPECT_TRUE(holds(document, c.leftToRight)) << document;
    // Taken as markup, a right-to-left line keeps the form it always had.
    const std::string markup = convertText(input, c.format);
    EXPECT_FALSE(holds(markup, "rtl")) << markup;
  }
  // LaTeX has no direction of its own here: its lines are as they were.
  EXPECT_FALSE(holds(typed(input, Format::Latex), "rtl"));
}

// The readers put a right-to-left paragraph at the right margin and read
// it from the right: LibreOffice for OpenDocument and RTF, AbiWord for its
// own files; tidy and the DocBook schema accept the attributes.
TEST(ParagraphDirectionReaders, WordProcessorsSetTheParagraphFromTheRight) {
  KOLVO_REQUIRE_TOOL("soffice");
  KOLVO_REQUIRE_TOOL("pdftotext");
  test::TempDir dir;
  const std::string input = "Hello world left\nשלום עולם\n";
  const std::filesystem::path odt = dir / "dir-odt.fodt";
  const std::filesystem::path rtf = dir / "dir-rtf.rtf";
  test::writeFile(odt, typed(input, Format::OpenDocument));
  test::writeFile(rtf, typed(input, Format::Rtf));
  const test::CommandResult converted = test::runCommand(
      {"soffice", "--headless", "--norestore", "-env:UserInstallation=file://" + (dir / "profile").string(),
       "--convert-to", "pdf", "--outdir", (dir / "pdf").string(), odt.string(), rtf.string()});
  ASSERT_EQ(converted.status, 0) << converted.err;
  for (const char* name : {"dir-odt.pdf", "dir-rtf.pdf"}) {
    SCOPED_TRACE(name);
    const test::CommandResult words =
        test::runCommand({"pdftotext", "-bbox", (dir / "pdf" / name).string(), "-"});
    ASSERT_EQ(words.status, 0) << words.err;
    // The first word of each line: its left edge.
    const auto leftOf = [&](std::string_view startOfWord) {
      const std::size_t word = words.out.find(startOfWord);
      if (word == std::string::npos) return -1.0;
      const std::size_t at = words.out.rfind("xMin=\"", word) + 6;
      return std::stod(words.out.substr(at, 12));
    };
    EXPECT_GT(leftOf(">Hello<"), 0);
    EXPECT_LT(leftOf(">Hello<"), 150);  // at the left margin
    EXPECT_GT(leftOf(">\xD7"), 400);    // Hebrew: at the right one
  }
  if (test::toolAvailable("tidy")) {
    const std::filesystem::path html = dir / "dir.html";
    test::writeFile(html, typed("Title\n" + input + "%csמרכז%ce\n", Format::Html));
    EXPECT_EQ(test::runCommand({"tidy", "-q", "-e", html.string()}).err, "");
  }
  const std::filesystem::path schema = "/usr/share/xml/docbook/schema/rng/5.0/docbook.rng";
  if (test::toolAvailable("xmllint") && std::filesystem::exists(schema)) {
    const std::filesystem::path docbook = dir / "dir.xml";
    test::writeFile(docbook, typed("Title\n" + input + "%csמרכז%ce\n", Format::DocBook));
    const test::CommandResult r = test::runCommand(
        {"xmllint", "--noout", "--nonet", "--relaxng", schema.string(), docbook.string()});
    EXPECT_EQ(r.status, 0) << r.err;
  }
}

}  // namespace
}  // namespace kolvo
