// A typed line's strings from its items against the same line read as a
// page description: generated lines with every tag, formed tags, string
// delimiters and text beyond ASCII (Symbol glyphs under --escape), in
// PostScript and PDF, both modes, the style carried from line to line.
#include "writers/paged/line_painting.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pipeline/line_rewrite.hpp"
#include "support/document_generator.hpp"

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
  test::LineMix mix;
  mix.maxPieces = 24;
  mix.tags = 60;
  mix.nearMisses = 8;
  mix.tagFragments = 12;
  mix.delimiters = 10;
  mix.otherBytes = 6;
  test::DocumentGenerator generator(71207u);
  std::vector<std::string> lines;
  for (int i = 0; i < 1500; ++i) lines.push_back(generator.line(mix) + '\n');
  lines.push_back("\xce\xb1\xce\xb2 %bs\xce\xb3%be \xe2\x88\x9e x\n");  // Symbol glyphs, a tag between
  std::size_t compared = 0;
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      LayoutState state;
      std::string scratch;
      TextStyle style = initialTextStyle(format);
      for (const std::string& input : lines) {
        std::string line = input;
        EscapeStats stats;
        rewriteLine(line, scratch, format, state, mode, stats);
        const std::optional<ShownText> painted =
            paintedText({line, stats.lineItems.all(), false}, format, mode, style);
        ASSERT_TRUE(painted.has_value()) << input;
        const ShownText read = readShownText(line, format, style);
        expectSameShownText(read, *painted, input);
        style = nextLineStyle(format, read.end);
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 4 * lines.size());
}

}  // namespace
}  // namespace kolvo::paged
