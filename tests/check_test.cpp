// The markup checker: each kind of mistake found at its line and column,
// with the severity that says whether the reader will open the output, and
// clean documents left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "check/checker.hpp"
#include "support/document_generator.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo::test {
namespace {

using check::Finding;

class Collect final : public check::FindingSink {
 public:
  void report(const Finding& finding) override {
    found.push_back(std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
                    std::string(check::severityName(finding.severity)) + ": " +
                    check::messageOf(finding));
  }
  std::vector<std::string> found;
};

// Checks `text` as the command line would read it, piece by piece.
std::vector<std::string> checkText(std::string_view text, std::optional<Format> format,
                                   TextMode mode = TextMode::Markup) {
  check::CheckOptions options;
  if (format) options.formats = check::FormatSet::of(*format);
  options.mode = mode;
  Collect sink;
  check::Checker checker(options, sink);
  const std::size_t cut = mode == TextMode::Typed ? std::string_view::npos : 559;
  while (!text.empty()) {
    std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    end = std::min(end, cut);
    checker.checkPiece(text.substr(0, end));
    text.remove_prefix(end);
  }
  checker.finish();
  return sink.found;
}

struct Case {
  // cppcheck-suppress unusedStructMember ; names the test case
  const char* name;
  std::string text;
  std::optional<Format> format;
  TextMode mode;
  // Each finding's start: "LINE:COLUMN: SEVERITY: " and the beginning of
  // its message; the findings must be these, in this order.
  std::vector<std::string> expected;
};

std::string repeat(char c, std::size_t n) { return std::string(n, c); }

const std::vector<Case>& cases() {
  static const std::vector<Case> kCases = {
      {"UnknownTagWithSuggestion", "Hello %bS world\n", Format::Html, TextMode::Markup,
       {"1:7: warning: unknown tag %bS, shown as typed (did you mean %Bs, %bs or %be?)"}},
      {"UnknownTagFarFromAnyIsANote", "100%QQ\n", Format::Html, TextMode::Markup,
       {"1:4: note: unknown tag %QQ, shown as typed"}},
      {"TagWithoutTextInDocBook", "a %hsmark%he b\n", Format::DocBook, TextMode::Markup,
       {"1:3: warning: %hs (yellow highlight on) has no text in DocBook 5",
        "1:10: warning: %he (yellow highlight off) has no text in DocBook 5"}},
      {"ColumnsCountCharacters", "\xC3\xA9\xC3\xA9 %QX\n", Format::Html, TextMode::Markup,
       {"1:4: note: unknown tag %QX"}},
      {"DocBookStyleLeftOpen", "a %bsbold\nstill%be\n", Format::DocBook, TextMode::Markup,
       {"1:3: warning: %bs (bold on) is not closed on its line",
        "2:6: warning: %be (bold off) ends <emphasis>, which is not open"}},
      {"DocBookCrossedElements", "%Csa%ie\n", Format::DocBook, TextMode::Markup,
       {"1:5: warning: %ie (italic off) ends <emphasis> while <literal>"}},
      {"DocBookBalancedLineIsClean", "%bsa%be %isb%ie %usc%ue\n", Format::DocBook,
       TextMode::Markup, {}},
      {"PostScriptFontCarries", "a %bsbold\nnext\nend%be\n", Format::PostScript,
       TextMode::Markup,
       {"1:3: warning: %bs (bold on) is not closed on its line: in PostScript the lines that "
        "follow keep the style"}},
      {"PdfFontEndsWithTheLine", "a %bsbold\nnext\n", Format::Pdf, TextMode::Markup, {}},
      {"PdfColourCarries", "%P1red\n", Format::Pdf, TextMode::Markup,
       {"1:1: warning: %P1 (red) is not closed on its line: in PDF the lines that follow"}},
      {"EitherColourEndClosesAnyColour", "%P3green%re\n", Format::PostScript, TextMode::Markup,
       {}},
      {"UnderlineLeftOpenIsDrawnWrong", "%usunder\n", Format::PostScript, TextMode::Markup,
       {"1:1: warning: %us (underline on) is not closed on its line: in PostScript the mark"}},
      {"UnderlineEndWithoutStart", "text%ue\n", Format::PostScript, TextMode::Markup,
       {"1:5: warning: %ue (underline off) closes a style that is not open: in PostScript the "
        "mark starts at the beginning of the line"}},
      // A tag with no HTML text leaves the "<" before the letter after it.
      {"HtmlMarkupJoinedByAnEmptyTag", "a <%pgvs. &%pgamp; <%bsb%be\n", Format::Html,
       TextMode::Markup,
       {"1:3: warning: '<' before a letter", "1:11: warning: '&' before a letter or '#'"}},
      {"StrayBoldEndIsANote", "text%be\n", Format::Html, TextMode::Markup,
       {"1:5: note: %be (bold off) closes a style that is not open"}},
      {"LargeTextSpansLinesByDesign", "%lsLarge\nstill large%le\nnormal%le\n",
       Format::PostScript, TextMode::Markup, {}},
      {"LatexGroupMaySpanLines", "%bsa\nb%be\n", Format::Latex, TextMode::Markup, {}},
      // The writer guards a "[" first on a line; a length after it is the
      // line break's own, shown as nothing.
      {"LatexBracketFirstIsGuarded", "a\n[x] and [%gP]\n* [1] b\n", Format::Latex,
       TextMode::Markup, {}},
      // A page separator of a plain-text file, as the GNU licences have.
      {"LatexFormFeedAloneStops", "a\n\f  \nb \f c\n", Format::Latex, TextMode::Markup,
       {"2:1: error: a form feed ends the paragraph in LaTeX, and the line break",
        "3:3: warning: a form feed ends the paragraph in LaTeX"}},
      {"LatexLengthFirstIsTakenByTheBreak", "a\n[2pt] b\n", Format::Latex, TextMode::Markup,
       {"2:1: warning: a length in '[' ']' first on a line is taken by LaTeX's line break"}},
      {"LatexGroupNeverClosed", "x\n%isa\n", Format::Latex, TextMode::Markup,
       {"2:5: error: the input ends with a LaTeX group still open, opened by %is (italic on) "
        "at line 2, column 1: the LaTeX file will not compile"}},
      {"LatexCloseWithoutOpen", "a}\n", Format::Latex, TextMode::Markup,
       {"1:2: error: '}' closes a LaTeX group that is not", "1:2: warning: '}' closes a group in LaTeX and is not shown"}},
      // After a comment LaTeX reads nothing of the line: no special
      // character, no byte that is not UTF-8.
      {"LatexCommentHidesTheRest", "a %u_e b & c^ \xff\n", Format::Latex, TextMode::Markup,
       {"1:3: warning: '%' starts a comment in LaTeX"}},
      {"LatexStopsAtBytesNotUtf8", "x \xff y \xc3\xa9\nz \xfe\n\xe9t\xe9\n", Format::Latex,
       TextMode::Markup,
       {"1:3: error: the byte \\xff is no part of a UTF-8 character, so LaTeX stops",
        "3:4: note: 2 more lines have bytes that are not UTF-8, which stop LaTeX as well; the "
        "error at line 1 stands for all"}},
      // A control character but the tab, the line ends and the form feed
      // stops LaTeX, unless a comment hides it.
      {"LatexStopsAtControlCharacters", "a\tb \x01 c\nd %\x02\ne\x7f\n", Format::Latex,
       TextMode::Markup,
       {"1:5: error: the control character U+0001 is not set up in LaTeX, so LaTeX stops",
        "2:3: warning: '%' starts a comment in LaTeX",
        "3:3: note: 1 more line has control characters, which stop LaTeX as well; the error at "
        "line 1 stands for all"}},
      // LaTeX closes a plain group itself at the end, with a warning; a
      // command's argument runs into the end of the document.
      {"LatexPlainGroupLeftOpen", "x{y\n%isz\n", Format::Latex, TextMode::Markup,
       {"1:2: warning: '{' opens a group",
        "2:5: warning: the input ends with a LaTeX group still open, opened by '{' at line 1, "
        "column 2: LaTeX closes it itself",
        "2:5: error: the input ends with a LaTeX group still open, opened by %is"}},
      // "\%" of %ps and "us" form %us behind a backslash: "\\" and the
      // text "underline", a plain group.
      {"LatexFormedTagAfterBackslashIsText", "a %psus b\n", Format::Latex, TextMode::Markup,
       {"1:6: warning: the conversion joins the characters here into %us (underline on) in "
        "LaTeX, which was not typed as such",
        "1:10: warning: the input ends with a LaTeX group still open, opened by a tag or "
        "character of this line at line 1, column 1: LaTeX closes it itself"}},
      // The writer closes a box's groups around a centred line's
      // environment and opens them again; other groups stay as typed.
      {"LatexCentredLineInsideABox",
       "x %us a %csb%ce c%ue y\n%cs a %ss b %ce c %se\n%us a %cs b %ue c %ce\n", Format::Latex,
       TextMode::Markup, {}},
      {"LatexEnvironmentClosedByBrace", "%csa%be\n", Format::Latex, TextMode::Markup,
       {"1:5: error: %be (bold off) closes a LaTeX group while the LaTeX environment center "
        "opened by %cs (centre line (start)) at line 1 is open"}},
      // The clean-ups escape "#" for LaTeX and drop "_" after a blank.
      {"LatexSpecials", "a & b # c_d 50% e\n", Format::Latex, TextMode::Markup,
       {"1:3: error: '&' is an alignment tab", "1:10: error: '_' works only in mathematics",
        "1:15: warning: '%' starts a comment in LaTeX: the rest"}},
      {"UnderscoreAfterABlankIsDropped", "snake _case\n", std::nullopt, TextMode::Markup,
       {"1:7: warning: a '_' after a blank is dropped in AbiWord, DocBook 5, HTML, RTF, LaTeX, "
        "PostScript, PDF and OpenDocument text"}},
      {"RepeatedFindingsOncePerDocument", "caf\xC3\xA9\nna\xC3\xAFve\nx\n\xC3\xA9t\xC3\xA9\n",
       Format::Rtf, TextMode::Markup,
       {"1:4: warning: text beyond ASCII shows as other characters in RTF",
        "4:4: note: 2 more lines have text beyond ASCII as well; the warning at line 1 stands "
        "for all"}},
      {"LatexDollars", "$x$ fine\none $ only\n", Format::Latex, TextMode::Markup,
       {"1:1: warning: '$' sets the text up to the next '$' as mathematics",
        "2:5: warning: '$' sets the text up to the next '$' as mathematics",
        "2:11: error: the input ends inside mathematics that '$' began at line 2, column 5"}},
      // Mathematics goes on over a line break, but not into a centred
      // line's environment, and takes no letter with an accent along.
      {"LatexDollarsOverLines", "a $x\ny$ b\nc $z\n%csq%ce\n$ \xc3\xa9\nx\n", Format::Latex,
       TextMode::Markup,
       {"1:3: warning: '$' sets", "2:2: warning: '$' sets", "3:3: warning: '$' sets",
        "4:1: error: mathematics that '$' began at line 3, column 3 is still open where a "
        "centred line's environment begins or ends",
        "5:1: warning: '$' sets",
        "5:3: error: mathematics that '$' began at line 5, column 1 is still open where text "
        "beyond ASCII"}},
      {"HtmlMarkupCharacters", "a <b>c</b> & d &amp; 1 < 2\n", Format::Html, TextMode::Markup,
       {"1:3: warning: '<' before a letter", "1:16: warning: '&' before a letter or '#'"}},
      {"RtfMarkupCharacters", "C:\\path {x}\n", Format::Rtf, TextMode::Markup,
       {"1:3: warning: '\\' starts a command in RTF (",
        "1:9: warning: '{' opens a group in RTF and", "1:11: warning: '}' closes a group in RTF and"}},
      {"NonAsciiAndTabsInPostScript", "caf\xC3\xA9\tx\n", Format::PostScript, TextMode::Markup,
       {"1:4: warning: text beyond ASCII shows as other characters in PostScript",
        "1:5: warning: a tab has no glyph in PostScript and shows"}},
      {"DrawingFieldNotANumber", "$sl 1 030 4x0 565 440\n", Format::Pdf, TextMode::Markup,
       {"1:11: warning: this drawing line draws nothing in PDF: y1 (columns 11-13) is '4x0', "
        "not a number"}},
      {"DrawingShapeAndColour", "$sq z 030 440 565 440\n", Format::PostScript,
       TextMode::Markup,
       {"1:3: warning: this drawing line draws nothing in PostScript: its shape is 'q'",
        "1:5: warning: unknown colour code 'z' (0-9, g or G): in PostScript the drawing keeps"}},
      {"DrawingShortLine", "$sl 1 030\n", Format::PostScript, TextMode::Markup,
       {"1:10: warning: this drawing line draws nothing in PostScript: y1 (columns 11-13) is "
        "missing"}},
      // Bytes of the input are quoted with their control bytes escaped.
      {"DrawingFieldWithControlBytes", std::string("$sb o8\r\0p\n", 11), std::nullopt,
       TextMode::Markup,
       {"1:5: warning: unknown colour code 'o' (0-9, g or G): in PostScript and PDF",
        "1:7: warning: this drawing line draws nothing in PostScript and PDF: x1 (columns 7-9) "
        "is '\\r\\x00p', not a number"}},
      {"LatexEnvironmentNameEscaped", "\\end{\x1b[2J\xff\xC3\xA9}\n", Format::Latex,
       TextMode::Markup,
       {"1:1: error: '\\' closes the LaTeX environment \\x1b[2J\\xffé that is not open",
        "1:1: warning: '\\' starts a command in LaTeX", "1:5: warning: '{' opens a group",
        "1:6: error: the control character U+001B is not set up in LaTeX",
        "1:10: error: the byte \\xff is no part of a UTF-8 character",
        "1:12: warning: '}' closes a group"}},
      {"DrawingLineOnlyDrawsInPagedFormats", "$sl 1 030 440 565 440\n", Format::Html,
       TextMode::Markup, {"1:1: note: a drawing line draws only in PostScript and PDF"}},
      {"LongLineIsCut", repeat('a', 600) + "\n", Format::Html, TextMode::Markup,
       {"1:560: warning: this line is longer than 559 bytes and is cut here: the rest becomes "
        "a line of its own"}},
      {"LongLineCutsATag", repeat('a', 558) + "%bsb%be\n", Format::Html, TextMode::Markup,
       {"1:560: warning: this line is longer than 559 bytes and is cut here: the rest becomes "
        "a line of its own, and the tag %bs is cut in two",
        "1:563: note: %be (bold off) closes a style that is not open"}},
      {"LongLineCutsACharacter", repeat('a', 558) + "\xC3\xA9z\n", Format::Html,
       TextMode::Markup,
       {"1:560: warning: this line is longer than 559 bytes and is cut here: the rest becomes "
        "a line of its own, and a UTF-8 character is cut in two"}},
      {"TypedLinesAreNeverCut", repeat('a', 2000) + "\n", Format::Html, TextMode::Typed, {}},
      {"PageBreakOnATextLine", "The end.%pg\n", Format::PostScript, TextMode::Markup,
       {"1:9: warning: the text of a line with %pg is drawn at the foot of the page"}},
      {"PageBreakOnItsOwnLine", "%pg\n", std::nullopt, TextMode::Markup, {}},
      {"PageBreakStartingALine", "%pgChapter two\n", Format::Rtf, TextMode::Markup,
       {"1:1: note: %pg starts the line: in RTF the page breaks before this line's text"}},
      {"TypedTextWithoutAGlyph", "\xD0\x96\xD0\xB8 caf\xC3\xA9\n", Format::Pdf, TextMode::Typed,
       {"1:1: warning: 2 characters of this line have no glyph in the standard fonts of PDF and "
        "show as '?', the first U+0416"}},
      {"TypedTextIsNotMarkup", "a & b {c} \\d 50% <b>\t\xC3\xA9\n", std::nullopt,
       TextMode::Typed, {}},
      {"AllFormatsNameTheFormats", "%Ss small\n", std::nullopt, TextMode::Markup,
       {"1:1: warning: %Ss (small (10 pt) on) has no text in DocBook 5",
        "1:1: warning: %Ss (small (10 pt) on) is not closed on its line: in HTML, RTF, LaTeX and "
        "PostScript the lines that follow keep the style"}},
      {"LongLineRunsOffTheRightEdge", [] {
         std::string words;
         for (int i = 0; i < 30; ++i) words += "word ";
         return words + "\n";
       }(), Format::PostScript, TextMode::Markup,
       {"1:102: warning: the text runs off the right edge of the page in PostScript: it reaches "
        "from 30 to 863 points on a page 595 wide"}},
      {"BoldRunsFurtherThanRoman", "%bs" + repeat('M', 50) + "%be\n" + repeat('M', 50) + "\n",
       Format::PostScript, TextMode::Markup,
       {"1:1: warning: the text runs off the right edge of the page in PostScript: it reaches "
        "from 30 to 596 points"}},
      {"LongCentredLineRunsOffTheLeftEdge", "%cs" + repeat('x', 120) + "%ce\n", Format::Pdf,
       TextMode::Markup, {"1:1: warning: the text runs off the left edge of the page in PDF"}},
      // 150 narrow letters, estimated at 6 points a byte, run off the left
      // edge; under --escape the line is centred by its width and fits.
      {"NarrowCentredLineRunsOffByTheEstimate", "%cs" + repeat('i', 150) + "%ce\n", Format::Pdf,
       TextMode::Markup, {"1:1: warning: the text runs off the left edge of the page in PDF"}},
      {"TypedCentredLineIsCentredByItsWidth", "%cs" + repeat('i', 150) + "%ce\n", Format::Pdf,
       TextMode::Typed, {}},
      // The conversion makes each NUL byte a blank before it centres.
      {"NulBytesCentreAsTheBlanksTheyBecome", "%cs" + repeat('w', 100) + std::string(30, '\0') + "\n",
       Format::PostScript, TextMode::Markup,
       {"1:1: warning: %cs (centre line (start)) is not closed on its line",
        "1:1: warning: the text runs off the left edge of the page in PostScript: it reaches from "
        "-68 to"}},
      // "%Al" gives nothing in LaTeX, so the "%" before it forms "%bu": no
      // comment, and the monospace group after it is live.
      {"FormedTagIsNoLatexComment", "%%Albu %Csx\n", Format::Latex, TextMode::Markup,
       {"1:1: warning: the conversion joins the characters here into %bu (bullet) in LaTeX",
        "1:12: error: the input ends with a LaTeX group still open, opened by a tag or "
        "character of this line at line 1, column 1"}},
      // Every format that reads a character alike is named in one finding,
      // and the findings come in line and column order whatever their
      // formats, those of the end of the input last.
      {"OneFindingForTheFormatsThatMakeIt", "a{b}\n%bsx\n", std::nullopt, TextMode::Markup,
       {"1:2: warning: '{' opens a group in RTF and LaTeX and is not shown",
        "1:4: warning: '}' closes a group in RTF and LaTeX and is not shown",
        "2:1: warning: %bs (bold on) is not closed on its line (every line is a paragraph)",
        "2:1: warning: %bs (bold on) is not closed on its line: in HTML, RTF and PostScript",
        "2:5: error: the input ends with a LaTeX group still open, opened by %bs (bold on) at "
        "line 2, column 1"}},
      {"StrayEndNamesItsFormats", "text%be\n", std::nullopt, TextMode::Markup,
       {"1:5: warning: %be (bold off) ends <emphasis>, which is not open",
        "1:5: error: %be (bold off) closes a LaTeX group that is not open",
        "1:5: note: %be (bold off) closes a style that is not open in AbiWord, HTML, RTF, "
        "PostScript, PDF and OpenDocument text"}},
      {"CleanProse",
       "A plain letter, with commas; colons: and (brackets).\n%bsBold%be and %isitalic%ie.\n",
       std::nullopt, TextMode::Markup, {}},
  };
  return kCases;
}

class CheckCase : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CheckCase, FindsWhatIsWrongAndNothingElse) {
  const Case& c = cases()[GetParam()];
  const std::vector<std::string> found = checkText(c.text, c.format, c.mode);
  ASSERT_EQ(found.size(), c.expected.size()) << ::testing::PrintToString(found);
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].rfind(c.expected[i], 0), 0u) << found[i] << "\n  wanted " << c.expected[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, CheckCase, ::testing::Range<std::size_t>(0, cases().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                           return std::string(cases()[param.param].name);
                         });

// A paper size wraps long lines: none runs off the page.
TEST(CheckPaper, WrappedLinesStayOnThePage) {
  check::CheckOptions options;
  options.paper = findPaperSize("letter");
  Collect sink;
  check::Checker checker(options, sink);
  checker.checkPiece(std::string(300, 'w') + "\n");
  checker.finish();
  EXPECT_TRUE(sink.found.empty()) << ::testing::PrintToString(sink.found);
}

// Under --escape the letters the standard fonts lack are measured in the
// fallback font that draws them: a hundred Cyrillic letters of 6 points
// reach past a page 595 wide, where a hundred "?" (5.3 points) would not.
TEST(CheckPaper, FallbackRunsAreMeasuredInTheirFonts) {
  std::string line;
  for (int i = 0; i < 100; ++i) line += "\xD0\x96";
  line += "\n";
  for (const bool withFonts : {false, true}) {
    FakeFallbackFonts fonts;
    check::CheckOptions options;
    options.formats = check::FormatSet::of(Format::Pdf);
    options.mode = TextMode::Typed;
    if (withFonts) options.pdfFallback = &fonts;
    Collect sink;
    check::Checker checker(options, sink);
    checker.checkPiece(line);
    checker.finish();
    const bool off = std::any_of(sink.found.begin(), sink.found.end(), [](const std::string& f) {
      return f.find("runs off the right edge of the page in PDF: it reaches from 30 to 630 ") !=
             std::string::npos;
    });
    EXPECT_EQ(off, withFonts) << ::testing::PrintToString(sink.found);
  }
}

// Whatever the document: the findings come in line and column order, and no
// message holds a control byte, whatever bytes the input quoted.
TEST(CheckOrder, FindingsOfAnyDocumentAreInOrderAndPrintable) {
  DocumentMix mix;
  mix.line.tagFragments = 8;
  mix.line.rawMarkup = 8;
  mix.line.otherBytes = 8;
  mix.line.lineEnds = 3;
  mix.longLinePercent = 10;
  // A hundred documents keep the quick loop quick; the check fuzzer holds
  // the same two promises over many more (tests/fuzz).
  for (std::uint64_t seed = 1; seed <= 100; ++seed) {
    DocumentGenerator generator(seed);
    const std::string document = generator.document(mix);
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const std::vector<std::string> found = checkText(document, std::nullopt, mode);
      std::pair<unsigned long, unsigned long> before{0, 0};
      for (const std::string& f : found) {
        const std::pair<unsigned long, unsigned long> place{
            std::stoul(f), std::stoul(f.substr(f.find(':') + 1))};
        ASSERT_LE(before, place) << "seed " << seed << ": " << f;
        before = place;
        ASSERT_TRUE(std::none_of(f.begin(), f.end(), [](char c) {
          return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        })) << "seed " << seed << ": " << f;
      }
    }
  }
}

TEST(CheckSummary, CountsBySeverity) {
  check::FindingCounts counts;
  EXPECT_EQ(check::summary(counts), "no problems");
  counts.warnings = 3;
  counts.errors = 1;
  EXPECT_EQ(check::summary(counts), "3 warnings, 1 error");
  counts.notes = 1;
  EXPECT_EQ(check::summary(counts), "3 warnings, 1 error, 1 note");
}

}  // namespace
}  // namespace kolvo::test
