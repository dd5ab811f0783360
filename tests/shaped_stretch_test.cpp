// The paged escaper's side of shaping: which stretch of a line goes to the
// shaper (weak ASCII before it joins it, a letter or a tag ends what went
// before), in which paragraph direction (the line's first strong
// character's), and how the pieces come out: PDF spans with the actual
// text of a cluster, blanks of the text font, "?" where no font shapes,
// and the first reading asking for the codes without writing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/typed_text.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/paged_text.hpp"

namespace kolvo {
namespace {

// Shapes without fonts: a piece per character, a glyph each (code: the
// character's place in the stretch, plus one), Hebrew right to left with
// the runs turned by hand, Devanagari spanned; the paragraph goes by the
// first letter. Records each stretch and direction it was asked for.
class FakeShaper final : public FallbackFonts {
 public:
  explicit FakeShaper(bool shapes = true) : shapes_(shapes) {}

  std::optional<FallbackGlyph> glyph(char32_t, FontStyle) override { return std::nullopt; }
  std::optional<FallbackGlyph> glyphIn(std::uint16_t, char32_t) override { return std::nullopt; }
  std::uint32_t advance(FallbackGlyph) const override { return 500; }
  char32_t character(FallbackGlyph) const override { return U'x'; }
  std::size_t fontCount() const override { return 1; }
  EmbeddedFont embed(std::size_t) const override { return {}; }
  std::string missingHint(std::span<const char32_t>) const override { return {}; }

  bool shape(std::u32string_view text, FontStyle, ParagraphDirection paragraph,
             ShapedText& out) override {
    asked.emplace_back(text);
    given.push_back(paragraph);
    if (!shapes_) return false;
    out.clear();
    out.paragraph = paragraph;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char32_t c = text[i];
      if (out.paragraph == ParagraphDirection::FromText && (isHebrew(c) || c >= U'a')) {
        out.paragraph = isHebrew(c) ? ParagraphDirection::RightToLeft : ParagraphDirection::LeftToRight;
      }
      if (c == U' ') {
        out.pieces.push_back({ShapedPiece::Kind::Blank, false, i, i + 1, 0, 0});
        continue;
      }
      const auto at = static_cast<std::uint32_t>(i);
      out.pieces.push_back({ShapedPiece::Kind::Glyphs, isHebrew(c), i, i + 1, out.glyphs.size(), 1});
      out.glyphs.push_back({{0, static_cast<std::uint16_t>(i + 1)}, 500, at, at + 1, isDevanagari(c)});
    }
    return true;
  }

  std::vector<std::u32string> asked;
  std::vector<ParagraphDirection> given;

 private:
  static bool isHebrew(char32_t c) { return c >= 0x05D0 && c <= 0x05EA; }
  static bool isDevanagari(char32_t c) { return c >= 0x0900 && c <= 0x097F; }
  bool shapes_;
};

struct Escaped {
  std::string text;
  EscapeStats stats;
};

Escaped escapedWith(FakeShaper& fonts, std::string_view line, Format format = Format::Pdf,
                    bool codesOnly = false) {
  paged::FallbackContext context(fonts, format, codesOnly);
  Escaped result;
  if (!escapePagedText(line, format, result.text, result.stats, &context)) result.text = line;
  return result;
}

const std::string kAlefBet = "\xD7\x90\xD7\x91";  // two Hebrew letters
const std::string kKa = "\xE0\xA4\x95";           // Devanagari ka

TEST(ShapedStretch, WeakAsciiBeforeJoinsAndALetterOrTagEndsWhatWentBefore) {
  FakeShaper fonts;
  // Digits and blanks before the Hebrew are the stretch's, to the line end.
  Escaped digits = escapedWith(fonts, "12 " + kAlefBet + " ab\n");
  ASSERT_EQ(fonts.asked.size(), 1u);
  EXPECT_EQ(fonts.asked[0], U"12 \u05D0\u05D1 ab");
  EXPECT_EQ(fonts.given[0], ParagraphDirection::RightToLeft);
  EXPECT_EQ(digits.text.substr(digits.text.size() - 1), "\n");
  // A Latin word before stays in the text font and settles the line left
  // to right; a tag ends the stretch and stays a tag.
  Escaped latin = escapedWith(fonts, "ab " + kAlefBet + "%bscd");
  ASSERT_EQ(fonts.asked.size(), 2u);
  EXPECT_EQ(fonts.asked[1], U"\u05D0\u05D1");
  EXPECT_EQ(fonts.given[1], ParagraphDirection::LeftToRight);
  EXPECT_EQ(latin.text.rfind("ab ", 0), 0u);
  EXPECT_NE(latin.text.find("%bscd"), std::string::npos);
  // The line's direction holds for all of its stretches.
  escapedWith(fonts, kAlefBet + "%bs" + kAlefBet);
  ASSERT_EQ(fonts.asked.size(), 4u);
  EXPECT_EQ(fonts.given[2], ParagraphDirection::RightToLeft);
  EXPECT_EQ(fonts.given[3], ParagraphDirection::RightToLeft);
}

TEST(ShapedStretch, PdfTellsSpannedClustersTextAndBlanksStayTextFont) {
  FakeShaper fonts;
  const Escaped line = escapedWith(fonts, kAlefBet + " " + kKa);
  // Hebrew glyphs map one to one: no span; the Devanagari one is spanned.
  EXPECT_EQ(line.text.find("/Span<</ActualText<FEFF05D0"), std::string::npos);
  EXPECT_NE(line.text.find("/Span<</ActualText<FEFF0915>>>BDC <0004> Tj EMC"), std::string::npos);
  EXPECT_NE(line.text.find("<0002> Tj /F1 12 Tf ( ) Tj"), std::string::npos);
  EXPECT_EQ(line.stats.lineItems.all().size(), 3u);  // a run a piece
  EXPECT_EQ(line.stats.missingGlyphs, 0u);
  // PostScript shows the same codes, the span a pdfmark for a distiller.
  const Escaped ps = escapedWith(fonts, kAlefBet + " " + kKa, Format::PostScript);
  EXPECT_NE(ps.text.find(") show /pdfmark where {pop [/Span <</ActualText <FEFF0915>>> /BDC pdfmark} if  "
                         "/KolvoK0p0 12 selectfont <04> show /pdfmark where {pop [/EMC pdfmark} if "
                         "/Times-Roman 12 selectfont ("),
            std::string::npos)
      << ps.text;
}

TEST(ShapedStretch, WithoutAShaperTheCharactersAreMissing) {
  FakeShaper fonts(false);
  const Escaped line = escapedWith(fonts, "a " + kAlefBet);
  EXPECT_EQ(line.text, "a ??");
  EXPECT_EQ(line.stats.missingGlyphs, 2u);
}

TEST(ShapedStretch, TheFirstReadingAsksWithoutWriting) {
  FakeShaper fonts;
  const Escaped line = escapedWith(fonts, "x " + kKa + kKa, Format::Pdf, true);
  ASSERT_EQ(fonts.asked.size(), 1u);
  EXPECT_EQ(fonts.asked[0], U"\u0915\u0915");
  EXPECT_EQ(line.text, "x ");
}

TEST(ShapedStretch, TextWithoutShapedScriptsNeverAsks) {
  FakeShaper fonts;
  escapedWith(fonts, "caf\xC3\xA9 \xCE\xB1\xCE\xB2 \xD0\x96 plain\n");
  EXPECT_TRUE(fonts.asked.empty());
}

}  // namespace
}  // namespace kolvo
