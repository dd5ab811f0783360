// replaceTag: matching, result length, occurrence effects and the PDF
// underline/highlight measurement.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "markup/replace_tag.hpp"
#include "writers/paged/page_cursor.hpp"

namespace kolvo {
namespace {

std::string replace(std::string_view line, std::string_view pattern, std::string_view with,
                    LineMarks& state, Format format = Format::Html) {
  return replaceTag(line, pattern, with, state, format);
}

TEST(ReplaceTagMatching, NoMatchGivesAnEqualCopyAndNoEffects) {
  LineMarks state;
  EXPECT_EQ(replace("plain text\n", "%cs", "<center>", state), "plain text\n");
  EXPECT_EQ(state, LineMarks{});
}

TEST(ReplaceTagMatching, OccurrencesNeverOverlap) {
  LineMarks state;
  EXPECT_EQ(replace("aaaa", "aa", "b", state), "bb");
  EXPECT_EQ(replace("aaa", "aa", "b", state), "ba");
}

TEST(ReplaceTagMatching, InsertedTextIsNotSearchedAgain) {
  LineMarks state;
  EXPECT_EQ(replace("x%ps", "%ps", "%ps%ps", state), "x%ps%ps");
}

TEST(ReplaceTagMatching, EmptyReplacementShortensByThePatternPerOccurrence) {
  LineMarks state;
  const std::string result = replace("a%pgb%pgc", "%pg", "", state);
  EXPECT_EQ(result, "abc");
}

TEST(ReplaceTagMatching, ResultLengthFollowsTheRule) {
  LineMarks state;
  const std::string line = "%bs one %bs two %bs\n";
  const std::string result = replace(line, "%bs", "<strong>", state);
  EXPECT_EQ(result.size(), line.size() + 3 * (8 - 3));
  EXPECT_EQ(result, "<strong> one <strong> two <strong>\n");
}

TEST(ReplaceTagMatching, MatchesInsideWordsAndIsCaseSensitive) {
  LineMarks state;
  EXPECT_EQ(replace("100%use", "%us", "<u>", state), "100<u>e");
  EXPECT_EQ(replace("%cS and %CS", "%cs", "X", state), "%cS and %CS");
}

TEST(ReplaceTagMatching, KeepsNulBytesAndAllOtherBytes) {
  LineMarks state;
  const std::string line("a\0%bs\xff", 6);
  EXPECT_EQ(replace(line, "%bs", "B", state), std::string("a\0B\xff", 4));
}

TEST(ReplaceTagEffects, CentringSetsFlagAndMarginFromTheBytesThatFollow) {
  LineMarks state;
  replace("%csTitle\n", "%cs", "", state, Format::Pdf);
  EXPECT_EQ(state.center, 1);
  EXPECT_EQ(state.line_x, 307);  // 325 - 3 * 6
}

TEST(ReplaceTagEffects, LastCentringTagDecidesTheMargin) {
  LineMarks state;
  replace("%csab%cscd", "%cs", "", state, Format::Pdf);
  EXPECT_EQ(state.line_x, 325 - 3 * 2);
}

TEST(ReplaceTagEffects, LongCentredTextGivesANegativeMargin) {
  LineMarks state;
  replace("%cs" + std::string(200, 'x'), "%cs", "", state, Format::PostScript);
  EXPECT_EQ(state.line_x, 325 - 600);
}

TEST(ReplaceTagEffects, CentreEndSetsOnlyTheFlag) {
  LineMarks state;
  replace("Title%ce", "%ce", "", state);
  EXPECT_EQ(state.center, 1);
  EXPECT_EQ(state.line_x, 30);
}

TEST(ReplaceTagEffects, PageRequestsOnlyForPagedFormats) {
  for (Format f : {Format::AbiWord, Format::DocBook, Format::Html, Format::Rtf, Format::Latex}) {
    LineMarks state;
    replace("x%pg", "%pg", "", state, f);
    replace("%ls", "%ls", "", state, f);
    EXPECT_TRUE(state.page.all().empty()) << formatName(f);
  }
  for (Format f : {Format::PostScript, Format::Pdf}) {
    LineMarks state;
    replace("%lsx%ls", "%ls", "", state, f);  // one request for both
    replace("x%pg", "%pg", "", state, f);
    EXPECT_TRUE(std::ranges::equal(state.page.all(), std::array{PageRequest::LargeSpacing,
                                                                PageRequest::PageBreak}))
        << formatName(f);
    state.startLine();
    EXPECT_TRUE(state.page.all().empty());
  }
}

TEST(ReplaceTagEffects, UnderlineAndHighlightFlagsInEveryFormat) {
  LineMarks state;
  replace("a%usb", "%us", "<u>", state, Format::Html);
  replace("a%hsb", "%hs", "<mark>", state, Format::Html);
  EXPECT_EQ(state.underline, 1);
  EXPECT_EQ(state.highlight, 1);
  // Measurement is for PDF only.
  EXPECT_EQ(state.underline_length, 0);
  EXPECT_EQ(state.highlight_length, 0);
}

// The page cursor takes what the tags asked, in their order.
TEST(PageCursorRequests, LargeSpacingStaysUntilALaterLineEndsIt) {
  LineMarks state;
  PageCursor cursor;
  // Start and end in one line: the baseline has not moved, so 20 stays.
  std::string line = replace("%lsbig%le", "%ls", "", state, Format::PostScript);
  replace(line, "%le", "", state, Format::PostScript);
  cursor.take(state.page);
  EXPECT_EQ(cursor.line_spacing, 20);
  EXPECT_EQ(cursor.large_text_baseline, 820);
  cursor.baseline -= 20;  // the writer wrote that line
  state.startLine();
  replace("%le", "%le", "", state, Format::PostScript);
  cursor.take(state.page);
  EXPECT_EQ(cursor.line_spacing, 15);
}

TEST(PageCursorRequests, LargeStartRecordsTheBaselineAndABreakComesAfter) {
  LineMarks state;
  PageCursor cursor;
  cursor.baseline = 500;
  replace("%ls%pg", "%ls", "", state, Format::Pdf);
  replace("%pg", "%pg", "", state, Format::Pdf);
  cursor.take(state.page);
  EXPECT_EQ(cursor.line_spacing, 20);
  EXPECT_EQ(cursor.large_text_baseline, 500);
  EXPECT_EQ(cursor.baseline, 30);
}

TEST(ReplaceTagEffects, CleanupPatternsChangeNoState) {
  LineMarks state;
  for (auto [pattern, with] : {std::pair{" _", " "}, {"#", "\\#"}, {"<c></c>", "<c> </c>"},
                              {"\r", " "}, {"\n", " "}}) {
    replace("a _#<c></c>\r\n", pattern, with, state, Format::Pdf);
  }
  EXPECT_EQ(state, LineMarks{});
}

TEST(PdfMeasurement, WorkedUnderlineExample) {
  LineMarks state;
  const std::string result = replace("Hello %usworld%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(result, "Hello _world%ue\n");
  EXPECT_EQ(state.underline_start_index, 4);
  EXPECT_EQ(state.underline_end_index, 5);
  EXPECT_EQ(state.underline_length, 1);
  EXPECT_EQ(state.underline_x, 50);
}

TEST(PdfMeasurement, HighlightUsesItsOwnFields) {
  LineMarks state;
  replace("Hello %hsworld%he\n", "%hs", "_", state, Format::Pdf);
  EXPECT_EQ(state.highlight_start_index, 4);
  EXPECT_EQ(state.highlight_end_index, 5);
  EXPECT_EQ(state.highlight_length, 1);
  EXPECT_EQ(state.highlight_x, 50);
  EXPECT_EQ(state.underline_length, 0);
}

TEST(PdfMeasurement, MarkAtIndexZeroKeepsThePreviousStart) {
  LineMarks state;
  state.underline_start_index = 9;
  replace("%usabc%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, 9);
  EXPECT_EQ(state.underline_end_index, 4 - 7);
  EXPECT_EQ(state.underline_length, -3 - 9);
}

TEST(PdfMeasurement, PercentBeforeTheMarkGivesANegativeLength) {
  LineMarks state;
  // A "%" put in by the percent row comes before the underline mark.
  replace("a%b %usword%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, 2);
  EXPECT_EQ(state.underline_end_index, 1 - 7);
  EXPECT_LT(state.underline_length, 0);
}

TEST(PdfMeasurement, MissingBytesKeepThePreviousValues) {
  LineMarks state;
  state.underline = 1;  // left over from an earlier line
  state.underline_start_index = 3;
  state.underline_end_index = 8;
  replace("no marks here\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, 3);
  EXPECT_EQ(state.underline_end_index, 8);
  EXPECT_EQ(state.underline_length, 5);
  EXPECT_EQ(state.underline_x, 45);
}

TEST(PdfMeasurement, RunsEvenWithoutAnOccurrenceWhileTheFlagIsSet) {
  LineMarks state;
  state.underline = 1;
  replace("x_yy%zz\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, -1);
  EXPECT_EQ(state.underline_end_index, -3);
}

TEST(PdfMeasurement, NotForOtherFormatsOrWithoutTheFlag) {
  LineMarks state;
  replace("x_y%z", "%us", "_", state, Format::Pdf);  // flag 0: nothing measured
  EXPECT_EQ(state, LineMarks{});
  replace("a%usb_%c", "%us", "_", state, Format::PostScript);
  EXPECT_EQ(state.underline, 1);
  EXPECT_EQ(state.underline_start_index, 0);
}

}  // namespace
}  // namespace kolvo
