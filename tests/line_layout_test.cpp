// The line layout: what a rewritten line shows in which font, how wide it
// is, and where it breaks. The lines are written the way the tag rows leave
// them; widths are the standard fonts' (Times-Roman "a" 444, blank 250).

#include "writers/paged/line_layout.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include <array>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/page_description_reader.hpp"

namespace kolvo::paged {
namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

const WidthSource& markupWidths() { return standardFontWidths(TextMode::Markup); }
const WidthSource& typedWidths() { return standardFontWidths(TextMode::Typed); }

LineLayout layout(std::string_view line, Format format, double maxWidth,
                  const WidthSource& widths = markupWidths()) {
  return layoutLine(line, format, initialTextStyle(format), maxWidth, widths);
}

double width(std::string_view line, Format format = Format::PostScript,
             const WidthSource& widths = markupWidths()) {
  return layout(line, format, kUnbounded, widths).pieces.front().width;
}

// The pieces' bytes as the writer puts them out, one per printed line.
std::vector<std::string> pieceTexts(std::string_view line, const LineLayout& laid) {
  std::vector<std::string> texts;
  for (const LinePiece& piece : laid.pieces) {
    texts.emplace_back(line.substr(piece.begin, piece.end - piece.begin));
  }
  return texts;
}

TEST(ShownText, FollowsFontsAndColoursThroughTheTagTexts) {
  const std::string_view line =
      "a) show  /Times-Bold findfont 12 scalefont setfont (b) show  1 0 0 setrgbcolor (c";
  const ShownText ps = readShownText(line, Format::PostScript, initialTextStyle(Format::PostScript));
  ASSERT_EQ(ps.runs.size(), 3u);
  EXPECT_EQ(ps.styles[ps.runs[0].style].font, "Times-Roman");
  EXPECT_EQ(ps.styles[ps.runs[1].style].font, "Times-Bold");
  EXPECT_EQ(ps.styles[ps.runs[2].style].colour, "1 0 0");
  EXPECT_EQ(ps.end.font, "Times-Bold");
  EXPECT_EQ(ps.runs[2].begin, line.find("(c") + 1);
  EXPECT_EQ(ps.runs[2].end, line.size());

  const ShownText pdf = readShownText(") Tj /F1 10 Tf 7 Ts (up) Tj /F1 12 Tf 0 Ts (x) Tj /F3 12 Tf (\\141",
                                      Format::Pdf, initialTextStyle(Format::Pdf));
  ASSERT_EQ(pdf.runs.size(), 4u);
  EXPECT_EQ(pdf.styles[pdf.runs[1].style].rise, "7");
  EXPECT_EQ(pdf.styles[pdf.runs[1].style].size, "10");
  EXPECT_EQ(pdf.end.font, "F3");
  EXPECT_EQ(fontName(Format::Pdf, pdf.end), "Symbol");
}

// The accent over the upsilon is drawn inside gsave/grestore and moves the
// pen back; only the upsilon itself takes room, and no string of the
// construction can be cut.
TEST(ShownText, AnAccentPlacedOverAGlyphTakesNoRoom) {
  const std::string ps =
      "x) show /Symbol findfont 12 scalefont setfont (\\165) dup stringwidth pop 2 div "
      "currentpoint 3 1 roll add exch gsave moveto /Times-Roman findfont 12 scalefont setfont "
      "(\\304) dup stringwidth pop 2 div neg 0 rmoveto show grestore show /Times-Roman findfont "
      "12 scalefont setfont (y";
  const ShownText shown = readShownText(ps, Format::PostScript, initialTextStyle(Format::PostScript));
  ASSERT_EQ(shown.runs.size(), 3u);
  EXPECT_FALSE(shown.runs[1].breakable);
  EXPECT_EQ(shown.styles[shown.runs[1].style].font, "Symbol");
  EXPECT_EQ(shown.end.font, "Times-Roman");
  // x 500, upsilon 576 (Symbol), y 500; at 12 points.
  EXPECT_NEAR(width(ps), (500 + 576 + 500) * 0.012, 1e-9);

  const std::string pdf = "x) Tj /F3 12 Tf (\\165) Tj /F1 12 Tf [454.5 (\\230) -121.5] TJ (y";
  EXPECT_NEAR(width(pdf, Format::Pdf, typedWidths()),
              (500 + 576 + 500 - 454.5 + 333 + 121.5) * 0.012, 1e-9);
}

TEST(LineWidth, ReadsEscapesAndTheEncodingOfTheMode) {
  EXPECT_NEAR(width("a b"), (444 + 250 + 500) * 0.012, 1e-9);
  // "\(" is one parenthesis, "\351" one glyph: e acute re-encoded (444),
  // Oslash in the standard encoding (722).
  EXPECT_NEAR(width("\\(\\351", Format::PostScript, typedWidths()), (333 + 444) * 0.012, 1e-9);
  EXPECT_NEAR(width("\\(\\351", Format::PostScript, markupWidths()), (333 + 722) * 0.012, 1e-9);
  // Courier 10 after the monospace tag; the width ends at the last glyph
  // that is not a blank.
  EXPECT_NEAR(width("a) show  /Courier findfont 10 scalefont setfont (bb   "),
              444 * 0.012 + 2 * 6.0, 1e-9);
}

TEST(LineBreak, AtBlanksWithEveryWordKept) {
  const std::string line = "alpha beta gamma delta epsilon zeta eta theta iota kappa";
  const double limit = width("alpha beta gamma");
  const LineLayout laid = layout(line, Format::PostScript, limit);
  const std::vector<std::string> texts = pieceTexts(line, laid);
  ASSERT_GE(texts.size(), 4u);
  EXPECT_EQ(texts[0], "alpha beta gamma");
  std::string joined;
  for (std::size_t i = 0; i < laid.pieces.size(); ++i) {
    EXPECT_LE(laid.pieces[i].width, limit + 1e-6) << texts[i];
    EXPECT_NE(texts[i].front(), ' ') << texts[i];
    EXPECT_NE(texts[i].back(), ' ') << texts[i];
    joined += (joined.empty() ? "" : " ") + texts[i];
    EXPECT_EQ(laid.pieces[i].closer, i + 1 < laid.pieces.size() ? "show" : "");
  }
  EXPECT_EQ(joined, line);
  // A line that fits exactly stays whole.
  EXPECT_EQ(layout("alpha beta gamma", Format::PostScript, limit).pieces.size(), 1u);
}

// The pieces that continue a line start where its text did, after its
// leading blanks, and fit in what is left of the area; a line that starts
// at the margin continues there.
TEST(LineBreak, ContinuationsKeepTheLinesIndentation) {
  const std::string line = "    alpha beta gamma delta epsilon zeta eta theta iota kappa";
  const double indent = width("    x") - width("x");
  const double limit = width("    alpha beta gamma");
  const LineLayout laid = layout(line, Format::PostScript, limit);
  ASSERT_GE(laid.pieces.size(), 3u);
  EXPECT_EQ(laid.pieces[0].indent, 0);
  for (std::size_t i = 1; i < laid.pieces.size(); ++i) {
    EXPECT_DOUBLE_EQ(laid.pieces[i].indent, indent);
    EXPECT_LE(laid.pieces[i].width, limit - indent + 1e-6);
  }
  const PaperSize& a4 = *findPaperSize("a4");
  EXPECT_EQ(pieceX(a4, laid.pieces[1], false), kLeftMargin + std::lround(indent));
  // A centred piece is centred by its width alone.
  EXPECT_EQ(pieceX(a4, laid.pieces[1], true), std::lround((595 - laid.pieces[1].width) / 2));
  for (const LinePiece& piece : layout(line.substr(4), Format::PostScript, limit).pieces) {
    EXPECT_EQ(piece.indent, 0);
  }
  // Half the area at most: text still fits after a line of blanks.
  const LineLayout deep = layout(std::string(200, ' ') + "a b c d e f", Format::PostScript, 40);
  for (const LinePiece& piece : deep.pieces) EXPECT_LE(piece.indent, 20);
}

TEST(LineBreak, AWordLongerThanTheLineIsBroken) {
  const std::string word(50, 'm');  // 778 each: 9.336 points
  const LineLayout laid = layout("ab " + word, Format::PostScript, 100);
  const std::vector<std::string> texts = pieceTexts("ab " + word, laid);
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0], "ab");
  std::string rest;
  for (std::size_t i = 1; i < texts.size(); ++i) {
    EXPECT_LE(laid.pieces[i].width, 100.0);
    rest += texts[i];
  }
  EXPECT_EQ(rest, word);
  // A glyph wider than the whole line gets a line of its own and no more.
  const LineLayout narrow = layout("mmm", Format::PostScript, 1);
  EXPECT_EQ(pieceTexts("mmm", narrow), (std::vector<std::string>{"m", "m", "m"}));
  // Blanks alone never break a line, nor does leading space stand alone.
  EXPECT_EQ(layout(std::string(500, ' '), Format::PostScript, 20).pieces.size(), 1u);
  EXPECT_EQ(pieceTexts(std::string(100, ' ') + "ab", layout(std::string(100, ' ') + "ab",
                                                            Format::PostScript, 20)),
            (std::vector<std::string>{"ab"}));
}

// The styles that outlast the break: the piece after it starts in the font
// and with the operator of the string it was cut from.
TEST(LineBreak, CarriesTheStyleAcrossTheBreak) {
  const std::string ps =
      "x )show (under lined words) ushow  (  ) show  /Times-Bold findfont 12 scalefont setfont "
      "(bold words here";
  const LineLayout laid = layout(ps, Format::PostScript, width("x under lined"));
  const std::vector<std::string> texts = pieceTexts(ps, laid);
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[0], "x )show (under lined");
  EXPECT_EQ(laid.pieces[0].closer, "ushow");
  EXPECT_EQ(texts[1].substr(0, 5), "words");
  EXPECT_EQ(laid.pieces.back().start.font, "Times-Bold");

  const std::string pdf = "a ) Tj /F2 12 Tf 1 0 0 rg (bold red words ) Tj /F1 12 Tf (plain";
  const LineLayout pdfLaid = layout(pdf, Format::Pdf, width("a bold red", Format::Pdf));
  ASSERT_GE(pdfLaid.pieces.size(), 2u);
  EXPECT_EQ(pdfLaid.pieces[1].start.font, "F2");
  EXPECT_EQ(pdfLaid.pieces[1].start.colour, "1 0 0");
  EXPECT_EQ(pdfLaid.pieces[0].closer, "Tj");
  EXPECT_EQ(nextLineStyle(Format::Pdf, pdfLaid.end),
            (TextStyle{"F1", "12", "1 0 0", ""}));
  EXPECT_EQ(nextLineStyle(Format::PostScript, laid.end).font, "Times-Bold");
}

TEST(LineBreak, PlacesMarksInTheirPieces) {
  const std::string line = "aa bb cc dd";
  const std::array<std::size_t, 3> marks = {0, 4, 11};
  const LineLayout laid = layoutLine(line, Format::Pdf, initialTextStyle(Format::Pdf),
                                     width("aa bb", Format::Pdf), markupWidths(), marks);
  ASSERT_EQ(laid.pieces.size(), 2u);
  EXPECT_EQ(laid.marks[0].piece, 0u);
  EXPECT_EQ(laid.marks[0].x, 0);
  EXPECT_EQ(laid.marks[1].piece, 0u);
  EXPECT_NEAR(laid.marks[1].x, width("aa b", Format::Pdf), 1e-9);
  EXPECT_EQ(laid.marks[2].piece, 1u);
  EXPECT_NEAR(laid.marks[2].x, width("cc dd", Format::Pdf), 1e-9);
}

// A line that fits whole is found by a quicker sum than the glyph-by-glyph
// one; near the edge, and with escapes, tags and trailing blanks, it must
// break where the glyph-by-glyph layout does, give the same width when
// asked for the exact one, and put marks where it does. The words give
// strings of a few bytes between tags (a colour and back) and of dozens,
// and backslashes inside the strings and (an accent's) between them.
TEST(LineBreak, TheQuickFitAgreesWithTheGlyphByGlyphLayoutAtTheEdge) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    const bool pdf = format == Format::Pdf;
    const std::string_view bold =
        pdf ? ") Tj /F2 12 Tf (" : ") show  /Times-Bold findfont 12 scalefont setfont (";
    const std::array<std::string_view, 6> words = {
        "a", "mm ", "\\(i\\) ", "W. ",
        pdf ? "x) Tj 1 0 0 rg (red) Tj 0 0 0 rg ( " : "x) show  1 0 0 setrgbcolor (red) show  0 0 0 setrgbcolor ( ",
        pdf ? "x) Tj /F1 12 Tf [454.5 (\\230) -121.5] TJ (y "
            : "x) show /Symbol findfont 12 scalefont setfont (\\165) dup stringwidth pop 2 div "
              "currentpoint 3 1 roll add exch gsave moveto /Times-Roman findfont 12 scalefont "
              "setfont (\\304) dup stringwidth pop 2 div neg 0 rmoveto show grestore show "
              "/Times-Roman findfont 12 scalefont setfont (y "};
    for (std::size_t w = 0; w < words.size(); ++w) {
      std::string line;
      for (std::size_t n = 0; n < 90; ++n) {
        line += words[(w + n) % words.size()];
        if (n == 40) line += bold;
        const double whole = width(line, format);
        // Marks (PDF overprints) spread over the line: in the strings, in
        // escapes, between strings, and past the end.
        std::vector<std::size_t> marks;
        for (std::size_t k = 0; k <= 12; ++k) marks.push_back((line.size() + 1) * k / 12 + n % 3);
        for (const double edge : {whole, whole - 1e-7, whole + 1e-7, whole - 3, whole * 0.5}) {
          const TextStyle start = initialTextStyle(format);
          const LineLayout exact = layoutLine(line, format, start, edge, markupWidths(), {}, true);
          const LineLayout quick = layoutLine(line, format, start, edge, markupWidths(), {}, false);
          const LineLayout marked = layoutLine(line, format, start, edge, markupWidths(), marks);
          const LineLayout broken =
              layoutLineGlyphByGlyph(line, format, start, edge, markupWidths(), marks);
          ASSERT_EQ(pieceTexts(line, quick), pieceTexts(line, exact)) << line << " / " << edge;
          ASSERT_EQ(pieceTexts(line, broken), pieceTexts(line, exact)) << line << " / " << edge;
          ASSERT_EQ(pieceTexts(line, marked), pieceTexts(line, exact)) << line << " / " << edge;
          EXPECT_NEAR(quick.pieces.front().width, exact.pieces.front().width, 1e-6);
          EXPECT_EQ(broken.pieces.front().width, exact.pieces.front().width);
          EXPECT_EQ(marked.pieces.front().width, exact.pieces.front().width);
          for (std::size_t i = 0; i < marks.size(); ++i) {
            ASSERT_EQ(marked.marks[i].piece, broken.marks[i].piece) << line << " / " << i;
            ASSERT_EQ(marked.marks[i].x, broken.marks[i].x) << line << " / " << i;
          }
          if (exact.pieces.size() == 1) {
            EXPECT_EQ(exact.pieces.front().width, whole);
          }
        }
      }
    }
  }
}

TEST(LineFit, SaysWhetherALineFitsThePaper) {
  // Just wider than A4's text area, 13.7 points a word: within Letter's.
  std::string words = "ee";
  while (width(words) <= 535) words += " ee";
  const double wide = width(words);
  ASSERT_GT(wide, textAreaWidth(*findPaperSize("a4")));
  ASSERT_LE(wide, textAreaWidth(*findPaperSize("letter")));
  const TextStyle start = initialTextStyle(Format::PostScript);
  const LineFit a4 = fitLine(words, Format::PostScript, *findPaperSize("a4"), start, markupWidths());
  const LineFit letter =
      fitLine(words, Format::PostScript, *findPaperSize("LETTER"), start, markupWidths());
  EXPECT_FALSE(a4.fits());
  EXPECT_EQ(a4.lines, 2u);
  EXPECT_NEAR(a4.width, wide, 1e-9);
  EXPECT_EQ(a4.available, 535);
  EXPECT_EQ(words[a4.firstBreak], ' ');
  EXPECT_TRUE(letter.fits());
  EXPECT_EQ(letter.firstBreak, words.size());
}

TEST(PieceX, CentresOnThePageOrStartsAtTheMargin) {
  const PaperSize& letter = *findPaperSize("letter");
  LinePiece piece;
  piece.width = 100;
  EXPECT_EQ(pieceX(letter, piece, false), kLeftMargin);
  EXPECT_EQ(pieceX(letter, piece, true), 256);
  EXPECT_EQ(pieceX(*findPaperSize("a4"), piece, true), 248);  // 247.5 rounded away from 0
}

// A style's words are held in place: every word the texts write fits,
// a longer one is refused rather than cut, and a word compares by its
// text alone, whatever a longer one left in its place before.
TEST(StyleWord, HoldsTheWordsOfAStyleAndComparesByTheirText) {
  StyleWord word("Times-BoldItalic");
  EXPECT_EQ(word.view(), "Times-BoldItalic");
  word = "F1";
  EXPECT_EQ(word, StyleWord("F1"));
  EXPECT_EQ(word.size(), 2u);
  EXPECT_FALSE(word == StyleWord("F12"));
  const std::string longest(StyleWord::kCapacity, 'K');
  EXPECT_EQ(StyleWord(longest).view(), longest);
  EXPECT_THROW((void)StyleWord(longest + "p").size(), std::length_error);
  TextStyle a = initialTextStyle(Format::Pdf);
  a.colour = "0.5 0.5 0.5";
  a.colour = "1 0 0";
  EXPECT_EQ(a, (TextStyle{"F1", "12", "1 0 0", ""}));
  EXPECT_EQ(nextLineStyle(Format::Pdf, TextStyle{"F2", "10", "1 0 0", "7"}),
            (TextStyle{"F1", "12", "1 0 0", "7"}));
}

}  // namespace
}  // namespace kolvo::paged
