// A typed line's strings from its items against the same line read as a
// page description: generated lines with every tag, formed tags, string
// delimiters and text beyond ASCII (Symbol glyphs under --escape), in
// PostScript and PDF, both modes, the style carried from line to line.
#include "writers/paged/font_in_force.hpp"
#include "writers/paged/line_painting.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/line_rewrite.hpp"
#include "support/document_generator.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/page_description_reader.hpp"
#include "writers/paged/fallback_context.hpp"

namespace kolvo::paged {
namespace {

void expectSameShownText(const ShownText& expected, const ShownText& actual,
                         const std::string& line) {
  ASSERT_EQ(expected.styles, actual.styles) << line;
  ASSERT_EQ(expected.end, actual.end) << line;
  ASSERT_EQ(expected.runs.size(), actual.runs.size()) << line;
  for (std::size_t i = 0; i < expected.runs.size(); ++i) {
    const ShownRun& e = expected.runs[i];
    const ShownRun& a = actual.runs[i];
    ASSERT_EQ(e.begin, a.begin) << line << " run " << i;
    ASSERT_EQ(e.end, a.end) << line << " run " << i;
    ASSERT_EQ(e.style, a.style) << line << " run " << i;
    ASSERT_DOUBLE_EQ(e.shift, a.shift) << line << " run " << i;
    ASSERT_EQ(e.breakable, a.breakable) << line << " run " << i;
    ASSERT_EQ(e.closer, a.closer) << line << " run " << i;
  }
}

TEST(LinePainting, TheItemsSayWhatTheBytesPaint) {
  std::vector<std::string> lines = test::tagHeavyLines(71207u, 1500, 6);
  lines.push_back("\xce\xb1\xce\xb2 %bs\xce\xb3%be \xe2\x88\x9e x\n");  // Symbol glyphs, a tag between
  std::size_t compared = 0;
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      LineMarks state;
      std::string scratch;
      TextStyle style = initialTextStyle(format);
      for (const std::string& input : lines) {
        std::string line = input;
        EscapeStats stats;
        state.startLine();
        rewriteLine(line, scratch, format, state, mode, stats);
        const std::optional<ShownText> painted =
            paintedText({line, stats.lineItems.all(), false, stats.lineItems.paintings()}, format,
                        mode, style);
        ASSERT_TRUE(painted.has_value()) << input;
        const ShownText read = readShownText(line, format, style);
        expectSameShownText(read, *painted, input);
        // Typed: the font alone, followed without painting, ends the same.
        TextStyle followed = style;
        followFont({line, stats.lineItems.all(), false, stats.lineItems.paintings()}, format,
                   followed);
        if (mode == TextMode::Typed) {
          ASSERT_EQ(followed.font, read.end.font) << input;
          ASSERT_EQ(followed.size, read.end.size) << input;
        }
        style = nextLineStyle(format, read.end);
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 4 * lines.size());
}

// Typed lines with runs drawn with fallback fonts: Cyrillic and kana in
// plain, bold and large text, runs that span several PostScript code
// pages, blanks inside runs, Symbol glyphs and tags beside them.
TEST(LinePainting, FallbackRunsPaintTheirCodesInTheirFonts) {
  std::vector<std::string> lines = {
      "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xd0\xbc\xd0\xb8\xd1\x80 ok\n",
      "a %bs\xd0\x96\xd0\xb8\xd0\xb7\xd0\xbd\xd1\x8c%be b %ls\xe3\x81\x82\xe3\x81\x84 "
      "\xe6\x97\xa5\xe6\x9c\xac%le\n",
      "\xce\xb1 \xd0\x90 \xce\xb2 \xe3\x82\xab %us\xd0\x91%ue (x)\n",
  };
  std::string many;
  for (char32_t c = 0x4E00; c < 0x4E00 + 900; c += 7) {
    many += static_cast<char>(0xE0 | (c >> 12));
    many += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    many += static_cast<char>(0x80 | (c & 0x3F));
    if (c % 5 == 0) many += ' ';
  }
  lines.push_back(many + "\n");
  for (std::string& line : test::tagHeavyLines(3u, 200, 8)) lines.push_back(std::move(line));
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    test::FakeFallbackFonts fonts;
    FallbackContext context(fonts, format);
    LineMarks state;
    std::string scratch;
    TextStyle style = initialTextStyle(format);
    std::size_t withRuns = 0;
    for (const std::string& input : lines) {
      std::string line = input;
      EscapeStats stats;
      state.startLine();
      rewriteLine(line, scratch, format, state, TextMode::Typed, stats, &context);
      const std::optional<ShownText> painted = paintedText(
          {line, stats.lineItems.all(), false, stats.lineItems.paintings()}, format,
          TextMode::Typed, style);
      ASSERT_TRUE(painted.has_value()) << input;
      const ShownText read = readShownText(line, format, style);
      expectSameShownText(read, *painted, input);
      style = nextLineStyle(format, read.end);
      if (stats.lineItems.hasRuns()) ++withRuns;
    }
    EXPECT_GE(withRuns, 4u);
  }
}

}  // namespace
}  // namespace kolvo::paged
