// Typed PostScript and PDF text that the standard fonts lack, drawn with
// fallback fonts (a fake set of three fonts, tests/support/fake_fallback_fonts.hpp):
// the runs, the font they return to, the measures, and the bytes that stay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"
#include "pipeline/line_rewrite.hpp"
#include "writers/output_sink.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "writers/paged/fallback_context.hpp"

namespace kolvo::test {
namespace {

std::string typed(std::string_view input, Format format, FallbackFonts* fonts) {
  return convertText(input, format, 's', nullptr, TextMode::Typed, nullptr, fonts);
}

// The text of the one line of a single-line document, as the writer shows it.
std::string pdfLine(std::string_view input) {
  FakeFallbackFonts fonts;
  const std::string doc = typed(input, Format::Pdf, &fonts);
  const std::size_t start = doc.find(" Td (") + 5;
  return doc.substr(start, doc.find(") Tj ET\n", start) - start);
}

TEST(FallbackText, PdfRunsShowTwoByteCodesAndReturnToTheFontInForce) {
  // Blanks between characters of one font join the run; a blank before
  // other text does not.
  EXPECT_EQ(pdfLine("\xD0\x96\xD0\xB6 \xD0\xB6 x\n"),
            ") Tj /K0 12 Tf <0001000200030002> Tj /F1 12 Tf ( x ");
  // Bold asks for the bold face and returns to Times-Bold; the size is the
  // size in force.
  EXPECT_EQ(pdfLine("%bs\xD0\x96%be %Bs\xD0\x96\n"),
            ") Tj /F2 12 Tf () Tj /K0 12 Tf <0001> Tj /F2 12 Tf () Tj /F1 12 Tf ( ) Tj /F1 16 Tf () "
            "Tj /K1 16 Tf <0001> Tj /F1 16 Tf ( ");
  // Two fonts in a row, and a Symbol-font Greek letter in between.
  EXPECT_EQ(pdfLine("\xD0\x96\xE4\xB8\xAD\xCE\xB1\xD0\x96\n"),
            ") Tj /K0 12 Tf <0001> Tj /F1 12 Tf () Tj /K1 12 Tf <0001> Tj /F1 12 Tf () Tj /F3 12 "
            "Tf (\\141) Tj /F1 12 Tf () Tj /K0 12 Tf <0001> Tj /F1 12 Tf ( ");
}

TEST(FallbackText, PostScriptRunsUseCodePagesAndKeepUnderlines) {
  FakeFallbackFonts fonts(false);
  std::string input = "%us\xD0\x96%ue\n%bs\n\xD0\x96\n";
  // 300 ideographs: the codes past 255 go to the second code page.
  for (char32_t c = 0x4E00; c < 0x4E00 + 300; ++c) {
    input += static_cast<char>(0xE0 | (c >> 12));
    input += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    input += static_cast<char>(0x80 | (c & 0x3F));
  }
  input += "\n";
  const std::string doc = typed(input, Format::PostScript, &fonts);
  EXPECT_NE(doc.find("()show () ushow /KolvoK0p0 12 selectfont <01> ushow /Times-Roman 12 "
                     "selectfont () ushow  ("),
            std::string::npos);
  // The bold of one line carries on to the next, as PostScript's font does.
  EXPECT_NE(doc.find("\n() show /KolvoK1p0 12 selectfont <01> show /Times-Bold 12 selectfont ("),
            std::string::npos);
  EXPECT_NE(doc.find("feff> show /KolvoK2p1 12 selectfont <000102"), std::string::npos);
  // Each code page is defined before the first text.
  EXPECT_LT(doc.find("/KolvoK2p1 KolvoK2 dup length"), doc.find(" moveto \n("));
}

TEST(FallbackText, ADrawingLineLeavesThePostScriptFontAlone) {
  FakeFallbackFonts fonts;
  const std::string doc = typed("$sl 1  30 400 565 400 %bs\n\xD0\x96\n", Format::PostScript, &fonts);
  EXPECT_NE(doc.find("<01> show /Times-Roman 12 selectfont ("), std::string::npos);
}

TEST(FallbackText, MeasuresCountRunsByTheirWidth) {
  // Four letters 500 thousandths wide at 12 points: 24 points, half of it
  // left of the centre.
  FakeFallbackFonts fonts;
  paged::FallbackContext context(fonts, Format::Pdf);
  EscapeStats stats;
  LineMarks state;
  std::string line = "%cs\xD0\x96\xD0\x96\xD0\x96\xD0\x96\n";
  std::string scratch;
  rewriteLine(line, scratch, Format::Pdf, state, TextMode::Typed, stats, &context);
  EXPECT_EQ(state.line_x, static_cast<std::int32_t>(kCentreX) - 12 - 3);  // and the line feed
  EXPECT_EQ(line.find('\0'), std::string::npos);

  // The underline starts after a 60-point run: 12 bytes' worth.
  line = "\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96\xD0\x96 %usa %ue\n";
  rewriteLine(line, scratch, Format::Pdf, state, TextMode::Typed, stats, &context);
  EXPECT_EQ(state.underline_x, kPointsPerByte * (12 + 1 - kMarkStartBytes) + kLeftMargin);
}

TEST(FallbackText, LineItemsCountRunsByWidthAndMoveWithTheLine) {
  // "ab<run>cd": a run of 12 points at bytes 2 to 7.
  LineItems runs;
  runs.addRun(2, 7, 12);
  EXPECT_EQ(runs.measuredBytes(0, 9, 6), 4u + 2u);
  EXPECT_EQ(runs.measuredBytes(0, 5, 6), 2u);  // a cut run counts nothing
  EXPECT_EQ(runs.measuredBytes(7, 9, 6), 2u);
  EXPECT_EQ(runs.measuredBytes(0, 9, 5), 4u + 2u);  // 2.4 rounds down
  EXPECT_TRUE(runs.anyRunIn(0, 3));
  EXPECT_FALSE(runs.anyRunIn(0, 2));
  EXPECT_FALSE(runs.anyRunIn(7, 9));
  // "%xxab<run>cd%yy" from "ab<run>cd": a tag before the run, one after;
  // then three bytes in place of one just before the run.
  LineItems::Editor mover(&runs);
  mover.replaced(0, 0, 3, InsertedText::text());
  mover.replaced(9, 0, 3, InsertedText::text());
  mover.finish();
  const LineItem moved{5, 10, 12, 0, ItemKind::FallbackRun};
  EXPECT_EQ(runs.all()[0], moved);
  LineItems::Editor again(&runs);
  again.replaced(4, 1, 3, InsertedText::text());
  again.finish();
  const LineItem movedAgain{7, 12, 12, 0, ItemKind::FallbackRun};
  EXPECT_EQ(runs.all()[0], movedAgain);
}

// The fast path and the reference place the runs alike through tags that
// grow, shrink, vanish, form other tags and measure, and each run's place
// holds its operators.
TEST(FallbackText, RunsStayOnTheirOperatorsThroughTheTagRows) {
  const std::vector<std::string> lines = {
      "%bs\xD0\x96 %be\xD0\x96\xD0\x96 %cs\xE4\xB8\xAD%ce\n",
      "%us\xD0\x96\xD0\x96%ue %hs\xE4\xB8\xAD x%he \xD0\x96\n",
      "%ps%pse\xD0\x96%Bs\xE2\x86\x90 _%Be%zz\xD0\x96\n",
      "\xD0\x96\t%it\xD0\x96%ie %ls\xD0\x96%le%pg\n",
  };
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    FakeFallbackFonts fastFonts;
    FakeFallbackFonts referenceFonts;
    paged::FallbackContext fastContext(fastFonts, format);
    paged::FallbackContext referenceContext(referenceFonts, format);
    EscapeStats fastStats;
    EscapeStats referenceStats;
    LineMarks fastState;
    LineMarks referenceState;
    std::string scratch;
    for (const std::string& input : lines) {
      std::string fast = input;
      std::string reference = input;
      rewriteLine(fast, scratch, format, fastState, TextMode::Typed, fastStats, &fastContext);
      rewriteLineReference(reference, format, referenceState, TextMode::Typed, referenceStats,
                           &referenceContext);
      ASSERT_EQ(fast, reference);
      EXPECT_TRUE(fastState == referenceState) << input;
      ASSERT_TRUE(fastStats.lineItems == referenceStats.lineItems) << input;
      ASSERT_FALSE(fastStats.lineItems.empty()) << input;
      for (const LineItem& run : fastStats.lineItems.all()) {
        if (run.kind != ItemKind::FallbackRun) continue;
        const std::string operators = fast.substr(run.begin, run.end - run.begin);
        EXPECT_EQ(operators.substr(0, 2), ") ") << fast;
        EXPECT_EQ(operators.substr(operators.size() - 2), " (") << fast;
        EXPECT_NE(operators.find('<'), std::string::npos) << fast;
      }
    }
  }
}

// A conversion that lays no line out from its items keeps only the runs:
// the same runs in the same places as the full record, and the same bytes
// and measures.
TEST(FallbackText, WithoutTheTextItemsTheRunsAreThoseOfTheFullRecord) {
  const std::vector<std::string> lines = {
      "%bs\xD0\x96 %be\xD0\x96\xD0\x96 %cs\xE4\xB8\xAD%ce _x#\n",
      "%us\xD0\x96\xD0\x96%ue %hs\xE4\xB8\xAD x%he \xCE\xB1\xD0\x96\n",
      "%ps%pse\xD0\x96%Bs\xE2\x86\x90 _%Be%zz\xD0\x96\n",
  };
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    FakeFallbackFonts recordedFonts;
    FakeFallbackFonts bareFonts;
    paged::FallbackContext recordedContext(recordedFonts, format);
    paged::FallbackContext bareContext(bareFonts, format);
    EscapeStats recorded;
    EscapeStats bare;
    bare.lineItems.recordTexts(false);
    LineMarks recordedState;
    LineMarks bareState;
    std::string scratch;
    for (const std::string& input : lines) {
      std::string withItems = input;
      std::string without = input;
      recordedState.startLine();
      bareState.startLine();
      rewriteLine(withItems, scratch, format, recordedState, TextMode::Typed, recorded,
                  &recordedContext);
      rewriteLine(without, scratch, format, bareState, TextMode::Typed, bare, &bareContext);
      ASSERT_EQ(withItems, without);
      EXPECT_TRUE(recordedState == bareState) << input;
      std::vector<LineItem> runs;
      for (const LineItem& item : recorded.lineItems.all()) {
        if (item.kind == ItemKind::FallbackRun) runs.push_back(item);
      }
      ASSERT_FALSE(runs.empty()) << input;
      EXPECT_EQ(std::vector<LineItem>(bare.lineItems.all().begin(), bare.lineItems.all().end()),
                runs)
          << input;
    }
  }
}

TEST(FallbackText, TextTheStandardFontsHoldGivesTheSameBytes) {
  const std::string input = "caf\xC3\xA9 %bs\xCE\xB1%be \xE2\x80\x94 %cs(x)%ce\n$sb G 050 100 545 200\n";
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    FakeFallbackFonts fonts;
    EXPECT_TRUE(sameBytes(typed(input, format, nullptr), typed(input, format, &fonts)));
    EXPECT_EQ(fonts.fontCount(), 0u);
  }
}

// Two fallback fonts (Cyrillic, and a CFF font in bold) in one PDF.
std::string pdfWithTwoFallbackFonts() {
  FakeFallbackFonts fonts;
  return typed("\xD0\x96\xD0\xB6 %bs\xE4\xB8\xAD\n", Format::Pdf, &fonts);
}

TEST(FallbackText, PdfEmbedsEachFontAfterThePages) {
  const std::string doc = pdfWithTwoFallbackFonts();
  // The fonts come after the pages, and object 4, once and after them,
  // names them: the fonts are known only when every line is drawn.
  const std::size_t resources = doc.find("\n4 0 obj << /Font <<");
  EXPECT_EQ(doc.rfind("\n4 0 obj << /Font <<"), resources);
  EXPECT_EQ(doc.find("/F6 10 0 R /K0 40 0 R /K1 46 0 R >> >> endobj\n"),
            doc.find("/F6 10 0 R"));
  const std::size_t fonts = doc.find("40 0 obj << /Type /Font /Subtype /Type0 /BaseFont /KOLVOA+Cyr");
  EXPECT_LT(doc.find("11 0 obj"), fonts);
  EXPECT_LT(fonts, resources);
  EXPECT_NE(doc.find("/Subtype /CIDFontType2"), std::string::npos);
  EXPECT_NE(doc.find("/Subtype /CIDFontType0 "), std::string::npos);  // the CFF font
  EXPECT_NE(doc.find("/W [1 [\n500 500]]"), std::string::npos);
  EXPECT_NE(doc.find("2 beginbfchar\n<0001> <0416>\n<0002> <0436>\nendbfchar"), std::string::npos);
}

TEST(FallbackTextReaders, QpdfAcceptsThePdfWithTheEmbeddedFonts) {
  KOLVO_REQUIRE_TOOL("qpdf");
  TempDir dir;
  writeFile(dir / "f.pdf", pdfWithTwoFallbackFonts());
  const CommandResult check = runCommand({"qpdf", "--check", (dir / "f.pdf").string()});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_EQ(check.err, "");
}

// The characters of each font in use, in the order their codes were given.
std::vector<std::vector<char32_t>> codesOf(const FallbackFonts& fonts) {
  std::vector<std::vector<char32_t>> codes;
  for (std::size_t f = 0; f < fonts.fontCount(); ++f) {
    codes.emplace_back();
    for (const EmbeddedGlyph& g : fonts.embed(f).glyphs) codes.back().push_back(g.unicode);
  }
  return codes;
}

// Every line of `input` through the conversion's own line rewrite, in
// typed text, asking `fonts` for codes as drawing them does.
void rewriteEveryLine(const std::string& input, Format format, FallbackFonts& fonts) {
  paged::FallbackContext context(fonts, format);
  EscapeStats stats;
  LineMarks state;
  LineReader reader(input, kWholeLines);
  std::string line;
  std::string scratch;
  while (reader.next(line)) {
    rewriteLine(line, scratch, format, state, TextMode::Typed, stats, &context);
  }
}

TEST(FallbackText, PostScriptsFirstReadingGivesOutTheCodesOfTheSecondInItsOrder) {
  // The first reading passes over lines that can give out nothing new; each
  // line here brings one thing that a careless pass would miss: a letter
  // first seen late, the first blank inside a run of a font, a style carried
  // from the line before, a Symbol glyph that returns to the body font, a
  // hyphen asked for inside a run, a CJK run with a blank, a character
  // beyond the first plane.
  const std::string input =
      "\xD0\x96\xD0\x96\n\xD0\x96\xD0\x96\n"
      "\xD0\x96 \xD0\x96\n"
      "\xD0\x96 %bs\n"
      "\xD0\x96 \xD0\x96 \xC3\xA9\n"
      "\xCE\xB1\xD0\x96 \xD0\xAF\n"
      "\xD0\x96\xE2\x80\x90\xD0\x96\n"
      "\xD0\x96\xE2\x80\x8B\xD0\x96\n"
      "\xE6\x9D\xB1\xE4\xBA\xAC\n\xE6\x9D\xB1\xE4\xBA\xAC\n"
      "\xE6\x9D\xB1 \xE4\xBA\xAC\n"
      "\xF0\x9F\x98\x80 \xD0\x96\n"
      "\xD0\x96 \xD1\x8F\n";
  FakeFallbackFonts firstOnly(false);
  LineReader first(input, kWholeLines);
  giveOutFallbackCodes(first, Format::PostScript, firstOnly);

  class Silent final : public Console {
   public:
    void print(std::string_view) override {}
  } console;
  FakeFallbackFonts secondOnly(false);
  std::string document;
  OutputSink out(&document);
  LineReader second(input, kWholeLines);
  convert(second, out, Format::PostScript, 's', console, TextMode::Typed, nullptr, &secondOnly);
  EXPECT_EQ(codesOf(firstOnly), codesOf(secondOnly));
  // The bold face from the third line on, back to regular after the Symbol
  // glyph; the hyphen and U+1F600 are in no fake font.
  const std::vector<std::vector<char32_t>> expected = {
      {U'\u0416', U' ', U'\u042F', U'\u044F'}, {U'\u0416', U' '}, {U'\u6771', U'\u4EAC', U' '}};
  EXPECT_EQ(codesOf(secondOnly), expected);
}

TEST(FallbackText, PdfsFirstReadingGivesOutTheCodesOfTheSecondInItsOrder) {
  // A PDF line starts in the body font whatever the line before set: the
  // first reading passes over the lines of ASCII alone, tags and all, and
  // follows the bold tag only on its own line.
  const std::string input =
      "%bs plain words %be %Bs\n"
      "\xD0\x96 x\n"
      "%bs bold\n"
      "\xD0\xAF %bs\xD0\x96\n"
      "\xD0\xAF\n";
  FakeFallbackFonts firstOnly;
  LineReader first(input, kWholeLines);
  giveOutFallbackCodes(first, Format::Pdf, firstOnly);
  // The codes in the order the conversion's own line rewrite asks for them.
  FakeFallbackFonts secondOnly;
  rewriteEveryLine(input, Format::Pdf, secondOnly);
  EXPECT_EQ(codesOf(firstOnly), codesOf(secondOnly));
  const std::vector<std::vector<char32_t>> expected = {{U'\u0416', U'\u042F'}, {U'\u0416'}};
  EXPECT_EQ(codesOf(secondOnly), expected);
}

// A word with a Latin letter the standard fonts lack is drawn whole in that
// letter's font: the letters before it since the last run or tag, and
// those after it, the standard fonts' upper half included. Cyrillic next
// to ASCII letters is not a word of the fallback font. In the fake "Lat"
// font the letter comes first (code 1), then A-Z (2-27) and a-z (28-53).
TEST(FallbackText, AWordWithALetterTheStandardFontsLackIsDrawnWhole) {
  // "Việt nam": V i ệ t, then the blank and "nam" in Times.
  EXPECT_EQ(pdfLine("Vi\xE1\xBB\x87t nam\n"),
            ") Tj /K0 12 Tf <001700240001002f> Tj /F1 12 Tf ( nam ");
  // "różny": r and ó (Latin-1, octal in Times before) join ż, n and y.
  const std::string rozny = pdfLine("x r\xC3\xB3\xC5\xBCny\n");
  EXPECT_EQ(rozny.substr(0, 22), "x ) Tj /K0 12 Tf <002d");
  EXPECT_EQ(rozny.find("\\363"), std::string::npos) << rozny;
  EXPECT_EQ(rozny.find("ny"), std::string::npos) << rozny;
  // A tag bounds the word: "ab" before the bold tag stays in Times-Roman,
  // "cd" after it is drawn in the bold face.
  const std::string tagged = pdfLine("ab%bscd\xC4\x85\n");
  EXPECT_EQ(tagged.substr(0, 10), "ab) Tj /F2") << tagged;
  EXPECT_EQ(tagged.find("cd"), std::string::npos) << tagged;
  // Cyrillic among ASCII letters: only the Cyrillic letter is a run.
  EXPECT_EQ(pdfLine("ab\xD0\x96" "cd\n"), "ab) Tj /K0 12 Tf <0001> Tj /F1 12 Tf (cd ");
}

// Drawing words whole asks the fonts nothing that the first reading did
// not: the letters are asked for all at once, the first time a font is
// given out for a Latin letter, so the lines the first reading passes over
// give out no code when they are drawn.
TEST(FallbackText, BothReadingsGiveOutTheSameCodesForWholeWords) {
  const std::string input =
      "Zaz\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84\n"
      "Zaz\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84\n"
      "%bsVi\xE1\xBB\x87t\n"
      "Nguy\xE1\xBB\x85n \xD0\x96" "ab \xC4\x85xyz\n"
      "Nguy\xE1\xBB\x85n \xD0\x96" "ab \xC4\x85xyz\n";
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    FakeFallbackFonts firstOnly(false);
    LineReader first(input, kWholeLines);
    giveOutFallbackCodes(first, format, firstOnly);
    // The codes in the order drawing the lines asks for them.
    FakeFallbackFonts drawnOnly(false);
    rewriteEveryLine(input, format, drawnOnly);
    EXPECT_EQ(codesOf(firstOnly), codesOf(drawnOnly)) << formatInfo(format).name;
  }
}

TEST(FallbackText, TheWarningNamesTheFirstCharactersAndTheHint) {
  ConversionReport report;
  report.missingGlyphs = 6;
  report.samples = {0x05D0, 0x0627, 0x1F600, 0x0E01};
  report.hint = "fonts-x would draw U+1F600";
  EXPECT_EQ(missingGlyphWarning(Format::Pdf, report),
            "6 characters have no glyph in the standard fonts and are shown as '?': U+05D0 "
            "U+0627 U+1F600 U+0E01 ... (fonts-x would draw U+1F600)");
  EXPECT_EQ(missingGlyphWarning(Format::Rtf, report),
            "6 characters cannot be shown in RTF and are shown as '?'");
}

}  // namespace
}  // namespace kolvo::test

namespace kolvo::paged {
namespace {

// A word's run is written again only in the font in force it was built
// in, told by its text (not where the text lies): the run returns to that
// font, and in another size its codes are shown in another size.
TEST(BuiltRuns, ARunIsFoundOnlyInTheFontInForceItWasBuiltIn) {
  BuiltRuns runs;
  const std::string regular = "F1";
  const std::string bold = "F2";
  const std::string twelve = "12";
  const FontInForce inRegular{regular, twelve, FontStyle::Regular, "show"};
  runs.add(7, inRegular).text = "<0001> Tj /F1 12 Tf (";
  // The same text elsewhere in memory is the same font.
  const std::string regularAgain = "F1";
  const std::string twelveAgain = "12";
  const BuiltRun* found = runs.find(7, {regularAgain, twelveAgain, FontStyle::Regular, "show"});
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->text, "<0001> Tj /F1 12 Tf (");
  EXPECT_EQ(runs.find(8, inRegular), nullptr);
  EXPECT_EQ(runs.find(7, {bold, twelve, FontStyle::Bold, "show"}), nullptr);
  EXPECT_EQ(runs.find(7, {regular, "18", FontStyle::Regular, "show"}), nullptr);
  EXPECT_EQ(runs.find(7, {regular, twelve, FontStyle::Regular, "ushow"}), nullptr);
  // Kept apart, the two fonts' runs both stay.
  runs.add(7, {bold, twelve, FontStyle::Bold, "show"}).text = "<0002> Tj /F2 12 Tf (";
  EXPECT_EQ(runs.find(7, inRegular)->text, "<0001> Tj /F1 12 Tf (");
  EXPECT_EQ(runs.find(7, {bold, twelve, FontStyle::Bold, "show"})->text, "<0002> Tj /F2 12 Tf (");
}

}  // namespace
}  // namespace kolvo::paged
