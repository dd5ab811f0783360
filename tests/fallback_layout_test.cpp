// Lines with fallback runs laid out for a paper size (fake fonts,
// tests/support/fake_fallback_fonts.hpp: Cyrillic 500 thousandths wide,
// ideographs 1000, their blank 250): the hex strings measured by the
// fonts' own advances, cut at their blanks or, with none, between any two
// codes; the writers' pieces and pages around such cuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <regex>
#include <span>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/line_marks.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/document_generator.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/page_description_reader.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/fallback_run.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo::test {
namespace {

using paged::LineLayout;
using paged::LinePiece;

constexpr double kUnbounded = std::numeric_limits<double>::infinity();
const std::string kZhe = "\xD0\x96";        // Ж, font 0 of the fakes
const std::string kIdeograph = "\xE4\xB8\xAD";  // 中

std::string repeat(const std::string& text, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += text;
  return out;
}

// `n` distinct ideographs from U+4E00 on.
std::string ideographs(char32_t n) {
  std::string out;
  for (char32_t c = 0x4E00; c < 0x4E00 + n; ++c) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// One typed input line as a paged writer receives it, and its layout.
struct Laid {
  std::string line;
  LineLayout layout;
};

class FallbackLayout : public ::testing::Test {
 protected:
  Laid lay(std::string input, Format format, double maxWidth) {
    paged::FallbackContext& context = format == Format::Pdf ? pdf_ : ps_;
    EscapeStats stats;
    LineMarks state;
    std::string scratch;
    rewriteLine(input, scratch, format, state, TextMode::Typed, stats, &context);
    const paged::FallbackWidths widths(format, TextMode::Typed, &fonts_);
    LineLayout layout = paged::layoutLine(input, format, paged::initialTextStyle(format),
                                          maxWidth, widths);
    return {input, std::move(layout)};
  }

  // Each piece as the writer puts it out: opened, its bytes, closed.
  static std::vector<std::string> written(const Laid& laid) {
    std::vector<std::string> texts;
    for (const LinePiece& piece : laid.layout.pieces) {
      texts.push_back(std::string(paged::pieceOpening(piece)) +
                      laid.line.substr(piece.begin, piece.end - piece.begin) +
                      std::string(paged::pieceClosing(piece)) +
                      std::string(piece.closer.empty() ? "END" : piece.closer));
    }
    return texts;
  }

  FakeFallbackFonts fonts_{false};
  paged::FallbackContext pdf_{fonts_, Format::Pdf};
  paged::FallbackContext ps_{fonts_, Format::PostScript};
};

TEST(FallbackFontNames, AreReadAsTheRunsWriteThem) {
  for (const std::size_t font : {0U, 3U, 12U}) {
    const auto pdf = paged::readFallbackFontName(Format::Pdf, paged::pdfFallbackResource(font));
    ASSERT_TRUE(pdf.has_value());
    EXPECT_EQ(pdf->font, font);
    EXPECT_EQ(pdf->firstCode, 0U);
    for (const std::size_t page : {0U, 1U, 255U}) {
      const auto ps = paged::readFallbackFontName(Format::PostScript,
                                                  paged::postScriptFallbackName(font, page));
      ASSERT_TRUE(ps.has_value());
      EXPECT_EQ(ps->font, font);
      EXPECT_EQ(ps->firstCode, page * 256);
    }
  }
  for (const char* name : {"F1", "K", "Kx", "K1p0", "K-1", "KolvoK0p0"}) {
    EXPECT_FALSE(paged::readFallbackFontName(Format::Pdf, name).has_value()) << name;
  }
  for (const char* name : {"Times-Roman", "K1", "KolvoK1", "KolvoK1p", "KolvoK1p256", "KolvoKp1",
                           "KolvoK1p1x"}) {
    EXPECT_FALSE(paged::readFallbackFontName(Format::PostScript, name).has_value()) << name;
  }
}

// The widths keep what they were told of each code and font: a code or a
// font not given out yet is asked again (and found once it is), the
// blank stays told apart, and a run in another font is measured in that
// font, not the one named before.
TEST(FallbackWidthsKept, CodesAndFontsNotGivenOutYetAreAskedAgain) {
  FakeFallbackFonts fonts(false);
  const paged::FallbackWidths widths(Format::Pdf, TextMode::Typed, &fonts);
  EXPECT_FALSE(widths.hexFont("K0").known);
  const FallbackGlyph cyrillic = *fonts.glyph(U'\u0416', FontStyle::Regular);
  const paged::HexFont k0 = widths.hexFont("K0");
  ASSERT_TRUE(k0.known);
  EXPECT_FALSE(widths.hexFont("K1").known);
  EXPECT_FALSE(widths.hexGlyph(k0, cyrillic.code + 1U).has_value());
  const FallbackGlyph blank = *fonts.glyphIn(cyrillic.font, U' ');
  ASSERT_EQ(blank.code, cyrillic.code + 1U);
  const FallbackGlyph han = *fonts.glyph(U'\u4E00', FontStyle::Regular);
  for (int twice = 0; twice < 2; ++twice) {
    const auto letter = widths.hexGlyph(k0, cyrillic.code);
    ASSERT_TRUE(letter.has_value());
    EXPECT_EQ(letter->advance, 500U);
    EXPECT_FALSE(letter->blank);
    const auto space = widths.hexGlyph(k0, blank.code);
    ASSERT_TRUE(space.has_value());
    EXPECT_EQ(space->advance, 250U);
    EXPECT_TRUE(space->blank);
    const paged::HexFont k1 = widths.hexFont("K1");
    ASSERT_TRUE(k1.known);
    EXPECT_EQ(k1.font, han.font);
    const auto ideograph = widths.hexGlyph(k1, han.code);
    ASSERT_TRUE(ideograph.has_value());
    EXPECT_EQ(ideograph->advance, 1000U);
    EXPECT_EQ(widths.hexFont("K0").font, cyrillic.font);
  }
  // What the layout reads in place is what was answered.
  const std::span<const paged::KnownHexGlyph> kept = widths.knownHexGlyphs(cyrillic.font);
  ASSERT_GT(kept.size(), std::size_t{blank.code});
  EXPECT_TRUE(kept[blank.code].known && kept[blank.code].blank && kept[blank.code].advance == 250U);
  EXPECT_FALSE(kept[0].known);
  EXPECT_TRUE(widths.knownHexGlyphs(7).empty());
}

// A line with runs that fits whole is found without the glyph-by-glyph
// breaker: the same one piece and, to the last bit, the same width and
// marks as the breaker finds, at every width around the line's own, in
// both formats, runs with blanks, tags and Symbol glyphs beside them.
TEST_F(FallbackLayout, ALineWithRunsThatFitsWholeIsMeasuredAsTheBreakerMeasures) {
  const std::vector<std::string> inputs = {
      kZhe + kZhe + " " + kZhe + " x\n",
      "a %bs" + repeat(kZhe, 5) + "%be " + ideographs(4) + " %ls" + kZhe + "%le\n",
      "\xCE\xB1 " + kIdeograph + " " + kIdeograph + kIdeograph + "  (y)\n",
  };
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (const std::string& input : inputs) {
      const Laid whole = lay(input, format, kUnbounded);
      ASSERT_EQ(whole.layout.pieces.size(), 1u) << input;
      const paged::FallbackWidths widths(format, TextMode::Typed, &fonts_);
      // Marks at the start, inside the runs, between them and at the end.
      std::vector<std::size_t> marks;
      for (std::size_t at = 0; at <= whole.line.size(); at += 3) marks.push_back(at);
      const double width = whole.layout.pieces[0].width;
      const paged::TextStyle start = paged::initialTextStyle(format);
      for (const double edge : {width - 0.001, width, width + 0.001, 2 * width}) {
        const LineLayout quick = paged::layoutLine(whole.line, format, start, edge, widths);
        const LineLayout marked = paged::layoutLine(whole.line, format, start, edge, widths, marks);
        const LineLayout broken =
            paged::layoutLineGlyphByGlyph(whole.line, format, start, edge, widths, marks);
        ASSERT_EQ(quick.pieces.size(), broken.pieces.size()) << input << " at " << edge;
        EXPECT_EQ(quick.pieces[0].width, broken.pieces[0].width) << input << " at " << edge;
        EXPECT_EQ(quick.pieces[0].end, broken.pieces[0].end) << input << " at " << edge;
        ASSERT_EQ(marked.marks.size(), broken.marks.size());
        for (std::size_t i = 0; i < marks.size(); ++i) {
          EXPECT_EQ(marked.marks[i].piece, broken.marks[i].piece) << input << " mark " << i;
          EXPECT_EQ(marked.marks[i].x, broken.marks[i].x) << input << " mark " << i;
        }
      }
    }
  }
}

// A centred or right-aligned line asks only its width, measured as its
// strings are painted, without a layout: the layout's width to the last
// bit, for lines of every tag (formed ones, Symbol glyphs, escapes) and
// fallback runs with blanks, in both formats, the style carried on.
TEST_F(FallbackLayout, ATypedLinesWidthIsTheWidthItsLayoutHas) {
  std::vector<std::string> inputs = tagHeavyLines(4127u, 400, 6);
  inputs.push_back(kZhe + kZhe + " " + kZhe + " x \\(y) \n");
  inputs.push_back("%cs " + ideographs(9) + " %bs" + repeat(kZhe + " ", 4) + "%be\n");
  inputs.push_back("\xCE\xB1 %Hs" + kIdeograph + "%He \xE2\x88\x9E   \n");
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    paged::FallbackContext& context = format == Format::Pdf ? pdf_ : ps_;
    const paged::FallbackWidths widths(format, TextMode::Typed, &fonts_);
    paged::LayoutBuffers buffers;
    paged::TextStyle style = paged::initialTextStyle(format);
    LineMarks state;
    std::string scratch;
    std::size_t measured = 0;
    for (const std::string& input : inputs) {
      std::string line = input;
      EscapeStats stats;
      state.startLine();
      rewriteLine(line, scratch, format, state, TextMode::Typed, stats, &context);
      const TypedLine typed{line, stats.lineItems.all(), false, stats.lineItems.paintings()};
      const std::optional<double> width =
          paged::typedLineWidth(typed, format, TextMode::Typed, style, widths);
      const paged::LineLayout& layout = paged::layoutLine(
          typed, format, TextMode::Typed, style, kUnbounded, widths, {}, true, buffers);
      ASSERT_EQ(layout.pieces.size(), 1u) << input;
      if (width) {
        EXPECT_EQ(*width, layout.pieces.front().width) << input;
        ++measured;
      }
      style = paged::nextLineStyle(format, layout.end);
    }
    EXPECT_EQ(measured, inputs.size()) << formatName(format);
  }
}

TEST_F(FallbackLayout, HexRunsMeasureByTheirFontsAdvances) {
  // Ж Ж blank Ж Ж, then " x": 4 x 500 + 250 + 250 + 500 thousandths of 12
  // points; the trailing blank is no ink.
  const std::string input = kZhe + kZhe + " " + kZhe + kZhe + " x\n";
  EXPECT_NEAR(lay(input, Format::Pdf, kUnbounded).layout.pieces.front().width, 36, 1e-9);
  EXPECT_NEAR(lay(input, Format::PostScript, kUnbounded).layout.pieces.front().width, 36, 1e-9);
  // Bold asks for a face of its own, a font of its own: the same width.
  const Laid bold = lay("%bs" + input, Format::Pdf, kUnbounded);
  EXPECT_NE(bold.line.find("/K1 12 Tf <"), std::string::npos) << bold.line;
  EXPECT_NEAR(bold.layout.pieces.front().width, 36, 1e-6);
}

TEST_F(FallbackLayout, ALineBreaksAtTheBlanksInsideARun) {
  // Words of four letters, 24 points, a blank 3: two words fit in 55.
  const std::string word = repeat(kZhe, 4);
  const Laid pdf = lay(word + " " + word + " " + word + " x\n", Format::Pdf, 55);
  ASSERT_EQ(pdf.layout.pieces.size(), 2U);
  EXPECT_EQ(written(pdf),
            (std::vector<std::string>{
                "() Tj /K0 12 Tf <000100010001000100020001000100010001> Tj",
                "<0001000100010001> Tj /F1 12 Tf ( x ) END"}));
  EXPECT_NEAR(pdf.layout.pieces[0].width, 51, 1e-9);
  EXPECT_NEAR(pdf.layout.pieces[1].width, 24 + 9, 1e-9);
  // The second piece opens inside the run, in its font.
  EXPECT_EQ(pdf.layout.pieces[1].start.font, "K0");

  const Laid ps = lay(word + " " + word + " " + word + "\n", Format::PostScript, 55);
  EXPECT_EQ(written(ps),
            (std::vector<std::string>{
                "() show /KolvoK0p0 12 selectfont <010101010201010101> show",
                "<01010101> show /Times-Roman 12 selectfont ( ) END"}));
  EXPECT_EQ(ps.layout.pieces[1].start.font, "KolvoK0p0");
}

// A right-to-left line stands in visual order, its first words at the
// right: filled from the right, its first printed line is full and the
// short one comes last, in as many pieces as filled from the left.
TEST_F(FallbackLayout, ARightToLeftLineFillsFromTheRight) {
  const std::string word = repeat(kZhe, 4);
  const std::string three = word + " " + word + " " + word + "\n";
  const Laid ps = lay(three, Format::PostScript, 55);
  const paged::FallbackWidths psWidths(Format::PostScript, TextMode::Typed, &fonts_);
  const paged::TextStyle psStart = paged::initialTextStyle(Format::PostScript);
  const Laid right{ps.line, paged::layoutLineFromRight(ps.line, Format::PostScript, psStart, 55,
                                                       psWidths)};
  EXPECT_EQ(written(right),
            (std::vector<std::string>{
                "() show /KolvoK0p0 12 selectfont <01010101> show",
                "<010101010201010101> show /Times-Roman 12 selectfont ( ) END"}));
  EXPECT_NEAR(right.layout.pieces[0].width, 24, 1e-9);
  EXPECT_NEAR(right.layout.pieces[1].width, 51, 1e-9);

  // Words of one to seven letters, Latin among them and a bold one, at
  // every width: the pieces fit, keep every glyph, number as many as from
  // the left, and the last is at least as full as the left fill's last.
  std::string line;
  for (std::size_t i = 0; i < 24; ++i) {
    line += (i % 5 == 3 ? std::string("%bsab%be") : repeat(kZhe, 1 + i * 3 % 7)) + " ";
  }
  line.back() = '\n';
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    const Laid whole = lay(line, format, kUnbounded);
    const paged::FallbackWidths widths(format, TextMode::Typed, &fonts_);
    const paged::TextStyle start = paged::initialTextStyle(format);
    // From the widest word on (seven letters, 42 points).
    for (double width = 42; width < whole.layout.pieces[0].width + 10; width += 1) {
      const LineLayout left = paged::layoutLine(whole.line, format, start, width, widths);
      const LineLayout fromRight =
          paged::layoutLineFromRight(whole.line, format, start, width, widths);
      ASSERT_EQ(fromRight.pieces.size(), left.pieces.size()) << width;
      // Between two pieces, blanks only: the fakes' blank code in a run.
      const std::string blank = format == Format::Pdf ? "0002" : "02";
      for (std::size_t i = 0; i < fromRight.pieces.size(); ++i) {
        const LinePiece& piece = fromRight.pieces[i];
        EXPECT_LE(piece.width, width + 1e-6) << width;
        if (i + 1 == fromRight.pieces.size()) break;
        const std::string gap =
            whole.line.substr(piece.end, fromRight.pieces[i + 1].begin - piece.end);
        EXPECT_FALSE(gap.empty()) << width;
        const std::string unit = piece.endsInHex ? blank : " ";
        for (std::size_t at = 0; at < gap.size(); at += unit.size()) {
          EXPECT_EQ(gap.substr(at, unit.size()), unit) << width << ": " << gap;
        }
      }
      EXPECT_EQ(fromRight.pieces.back().end, left.pieces.back().end) << width;
      EXPECT_GE(fromRight.pieces.back().width + 1e-9, left.pieces.back().width) << width;
      EXPECT_LE(fromRight.pieces.front().width, left.pieces.front().width + 1e-9) << width;
    }
  }
  // A word wider than the area has no fill from the right: the left's.
  const Laid wide = lay(repeat(kZhe, 12) + " " + word + "\n", Format::Pdf, 40);
  const paged::FallbackWidths pdfWidths(Format::Pdf, TextMode::Typed, &fonts_);
  const LineLayout fallback = paged::layoutLineFromRight(
      wide.line, Format::Pdf, paged::initialTextStyle(Format::Pdf), 40, pdfWidths);
  ASSERT_EQ(fallback.pieces.size(), wide.layout.pieces.size());
  for (std::size_t i = 0; i < fallback.pieces.size(); ++i) {
    EXPECT_EQ(fallback.pieces[i].end, wide.layout.pieces[i].end) << i;
  }
}

TEST_F(FallbackLayout, TextWithoutBlanksBreaksBetweenAnyTwoCodes) {
  // 300 ideographs of 12 points: eight to a 100-point line, and the codes
  // past 255 on PostScript's second code page.
  const Laid ps = lay(ideographs(300) + "\n", Format::PostScript, 100);
  ASSERT_EQ(ps.layout.pieces.size(), 38U);
  for (std::size_t i = 0; i < ps.layout.pieces.size(); ++i) {
    const LinePiece& piece = ps.layout.pieces[i];
    EXPECT_LE(piece.width, 100) << i;
    if (i > 0) {
      EXPECT_TRUE(piece.startsInHex) << i;
    }
    if (i + 1 < ps.layout.pieces.size()) {
      EXPECT_TRUE(piece.endsInHex) << i;
      EXPECT_NEAR(piece.width, 96, 1e-9) << i;
    }
    if (i > 0 && i < 31) {
      EXPECT_EQ(piece.start.font, "KolvoK0p0") << i;
    }
    if (i > 32) {
      EXPECT_EQ(piece.start.font, "KolvoK0p1") << i;
    }
  }
  // Every code once, in order, across the pieces: nothing lost.
  const std::regex hex("<([0-9a-f]*)>");
  std::string joined;
  for (const std::string& text : written(ps)) {
    for (std::sregex_iterator m(text.begin(), text.end(), hex), end; m != end; ++m) {
      joined += (*m)[1];
    }
  }
  std::string expected;
  for (unsigned code = 1; code <= 300; ++code) {
    static constexpr char kDigits[] = "0123456789abcdef";
    expected += kDigits[(code & 0xFF) >> 4];
    expected += kDigits[code & 0xF];
  }
  EXPECT_EQ(joined, expected);

  // PDF: a cut falls between the four digits of two codes, never inside one.
  const Laid pdf = lay(repeat(kIdeograph, 20) + "\n", Format::Pdf, 50);
  ASSERT_EQ(pdf.layout.pieces.size(), 5U);
  EXPECT_TRUE(std::regex_match(written(pdf)[1], std::regex("<([0-9a-f]{4}){4}> Tj")))
      << written(pdf)[1];
}

// Whole documents through the writers.
std::string typedOnPaper(std::string_view input, Format format, FallbackFonts& fonts,
                         const char* paper = "a4") {
  return convertText(input, format, 's', nullptr, TextMode::Typed, findPaperSize(paper), &fonts);
}

// Every code of every hex string `doc` shows, in order (four digits to a
// code in PDF, two in PostScript).
std::vector<std::string> codesIn(const std::string& doc, std::size_t digits) {
  const std::regex hex("<([0-9a-f]+)> (Tj|show)");
  std::vector<std::string> codes;
  for (std::sregex_iterator m(doc.begin(), doc.end(), hex), end; m != end; ++m) {
    const std::string run = (*m)[1];
    for (std::size_t at = 0; at + digits <= run.size(); at += digits) {
      codes.push_back(run.substr(at, digits));
    }
  }
  return codes;
}

TEST(FallbackOnPaper, AParagraphOnOneLineFillsPagesAndKeepsEveryLetter) {
  // 1500 words of three letters: 18 points and a blank each, some sixty
  // printed lines, over a page.
  std::string input;
  for (int i = 0; i < 1500; ++i) input += (i == 0 ? "" : " ") + repeat(kZhe, 3);
  input += "\n";
  for (const Format format : {Format::Pdf, Format::PostScript}) {
    FakeFallbackFonts fonts(false);
    const std::string doc = typedOnPaper(input, format, fonts);
    const std::vector<std::string> codes = codesIn(doc, format == Format::Pdf ? 4 : 2);
    const std::string letter = format == Format::Pdf ? "0001" : "01";
    EXPECT_EQ(std::count(codes.begin(), codes.end(), letter), 4500) << doc.substr(0, 2000);
    if (format == Format::PostScript) {
      // A page that starts inside the run selects the run's font itself.
      EXPECT_NE(doc.find("%%Page: 2 2\n%%BeginPageSetup\n/KolvoK0p0 12 selectfont\n"),
                std::string::npos);
      EXPECT_EQ(doc.find(" moveto \n<> show"), std::string::npos);
    } else {
      EXPECT_NE(doc.find("/Count 2"), std::string::npos);
      EXPECT_NE(doc.find("  BT /K0 12 Tf 30 "), std::string::npos);
    }
  }
}

TEST(FallbackOnPaper, CentredLinesAndUnderlinesCountRunsByTheirWidth) {
  FakeFallbackFonts fonts;
  // 40 ideographs, 480 points, centred on a page 595 wide.
  const std::string doc =
      typedOnPaper("%cs" + repeat(kIdeograph, 40) + "%ce\n", Format::Pdf, fonts);
  EXPECT_NE(doc.find(" Tf " + std::to_string(std::lround((595 - 480) / 2.0)) + " "),
            std::string::npos)
      << doc;

  // The underline of the word after a 60-point run starts past the run.
  const std::string underlined =
      typedOnPaper(repeat(kZhe, 10) + " %usword%ue\n", Format::Pdf, fonts);
  const std::size_t marks = underlined.find("Td (_");
  ASSERT_NE(marks, std::string::npos) << underlined;
  const std::size_t x = underlined.rfind("Tf ", marks) + 3;
  EXPECT_GE(std::stoi(underlined.substr(x)), 30 + 60);
}

}  // namespace
}  // namespace kolvo::test
