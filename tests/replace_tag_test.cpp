// replaceTag: matching, result length, occurrence effects and the PDF
// underline/highlight measurement.
#include <gtest/gtest.h>

#include "markup/replace_tag.hpp"

namespace kolvo {
namespace {

std::string replace(std::string_view line, std::string_view pattern, std::string_view with,
                    LayoutState& state, Format format = Format::Html) {
  return replaceTag(line, pattern, with, state, format);
}

TEST(ReplaceTagMatching, NoMatchGivesAnEqualCopyAndNoEffects) {
  LayoutState state;
  EXPECT_EQ(replace("plain text\n", "%cs", "<center>", state), "plain text\n");
  EXPECT_EQ(state, LayoutState{});
}

TEST(ReplaceTagMatching, OccurrencesNeverOverlap) {
  LayoutState state;
  EXPECT_EQ(replace("aaaa", "aa", "b", state), "bb");
  EXPECT_EQ(replace("aaa", "aa", "b", state), "ba");
}

TEST(ReplaceTagMatching, InsertedTextIsNotSearchedAgain) {
  LayoutState state;
  EXPECT_EQ(replace("x%ps", "%ps", "%ps%ps", state), "x%ps%ps");
}

TEST(ReplaceTagMatching, EmptyReplacementShortensByThePatternPerOccurrence) {
  LayoutState state;
  const std::string result = replace("a%pgb%pgc", "%pg", "", state);
  EXPECT_EQ(result, "abc");
}

TEST(ReplaceTagMatching, ResultLengthFollowsTheRule) {
  LayoutState state;
  const std::string line = "%bs one %bs two %bs\n";
  const std::string result = replace(line, "%bs", "<strong>", state);
  EXPECT_EQ(result.size(), line.size() + 3 * (8 - 3));
  EXPECT_EQ(result, "<strong> one <strong> two <strong>\n");
}

TEST(ReplaceTagMatching, MatchesInsideWordsAndIsCaseSensitive) {
  LayoutState state;
  EXPECT_EQ(replace("100%use", "%us", "<u>", state), "100<u>e");
  EXPECT_EQ(replace("%cS and %CS", "%cs", "X", state), "%cS and %CS");
}

TEST(ReplaceTagMatching, KeepsNulBytesAndAllOtherBytes) {
  LayoutState state;
  const std::string line("a\0%bs\xff", 6);
  EXPECT_EQ(replace(line, "%bs", "B", state), std::string("a\0B\xff", 4));
}

TEST(ReplaceTagEffects, CentringSetsFlagAndMarginFromTheBytesThatFollow) {
  LayoutState state;
  replace("%csTitle\n", "%cs", "", state, Format::Pdf);
  EXPECT_EQ(state.center, 1);
  EXPECT_EQ(state.line_x, 307);  // 325 - 3 * 6
}

TEST(ReplaceTagEffects, LastCentringTagDecidesTheMargin) {
  LayoutState state;
  replace("%csab%cscd", "%cs", "", state, Format::Pdf);
  EXPECT_EQ(state.line_x, 325 - 3 * 2);
}

TEST(ReplaceTagEffects, LongCentredTextGivesANegativeMargin) {
  LayoutState state;
  replace("%cs" + std::string(200, 'x'), "%cs", "", state, Format::PostScript);
  EXPECT_EQ(state.line_x, 325 - 600);
}

TEST(ReplaceTagEffects, CentreEndSetsOnlyTheFlag) {
  LayoutState state;
  replace("Title%ce", "%ce", "", state);
  EXPECT_EQ(state.center, 1);
  EXPECT_EQ(state.line_x, 30);
}

TEST(ReplaceTagEffects, PageBreakActsOnlyForPagedFormats) {
  for (Format f : {Format::AbiWord, Format::DocBook, Format::Html, Format::Rtf, Format::Latex}) {
    LayoutState state;
    replace("x%pg", "%pg", "", state, f);
    EXPECT_EQ(state.baseline, 820) << formatName(f);
  }
  for (Format f : {Format::PostScript, Format::Pdf}) {
    LayoutState state;
    replace("x%pg", "%pg", "", state, f);
    EXPECT_EQ(state.baseline, 30) << formatName(f);
  }
}

TEST(ReplaceTagEffects, UnderlineAndHighlightFlagsInEveryFormat) {
  LayoutState state;
  replace("a%usb", "%us", "<u>", state, Format::Html);
  replace("a%hsb", "%hs", "<mark>", state, Format::Html);
  EXPECT_EQ(state.underline, 1);
  EXPECT_EQ(state.highlight, 1);
  // Measurement is for PDF only.
  EXPECT_EQ(state.underline_length, 0);
  EXPECT_EQ(state.highlight_length, 0);
}

TEST(ReplaceTagEffects, LargeSpacingStaysUntilALaterLineEndsIt) {
  LayoutState state;
  // Start and end in one line: the baseline has not moved, so 20 stays.
  std::string line = replace("%lsbig%le", "%ls", "", state, Format::PostScript);
  replace(line, "%le", "", state, Format::PostScript);
  EXPECT_EQ(state.line_spacing, 20);
  EXPECT_EQ(state.large_text_baseline, 820);
  state.baseline -= 20;  // the writer wrote that line
  replace("%le", "%le", "", state, Format::PostScript);
  EXPECT_EQ(state.line_spacing, 15);
}

TEST(ReplaceTagEffects, EachLargeStartRecordsTheBaseline) {
  LayoutState state;
  state.baseline = 500;
  replace("%ls%ls", "%ls", "", state);
  EXPECT_EQ(state.line_spacing, 20);
  EXPECT_EQ(state.large_text_baseline, 500);
}

TEST(ReplaceTagEffects, CleanupPatternsChangeNoState) {
  LayoutState state;
  for (auto [pattern, with] : {std::pair{" _", " "}, {"#", "\\#"}, {"<c></c>", "<c> </c>"},
                              {"\r", " "}, {"\n", " "}}) {
    replace("a _#<c></c>\r\n", pattern, with, state, Format::Pdf);
  }
  EXPECT_EQ(state, LayoutState{});
}

TEST(PdfMeasurement, WorkedUnderlineExample) {
  LayoutState state;
  const std::string result = replace("Hello %usworld%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(result, "Hello _world%ue\n");
  EXPECT_EQ(state.underline_start_index, 4);
  EXPECT_EQ(state.underline_end_index, 5);
  EXPECT_EQ(state.underline_length, 1);
  EXPECT_EQ(state.underline_x, 50);
}

TEST(PdfMeasurement, HighlightUsesItsOwnFields) {
  LayoutState state;
  replace("Hello %hsworld%he\n", "%hs", "_", state, Format::Pdf);
  EXPECT_EQ(state.highlight_start_index, 4);
  EXPECT_EQ(state.highlight_end_index, 5);
  EXPECT_EQ(state.highlight_length, 1);
  EXPECT_EQ(state.highlight_x, 50);
  EXPECT_EQ(state.underline_length, 0);
}

TEST(PdfMeasurement, MarkAtIndexZeroKeepsThePreviousStart) {
  LayoutState state;
  state.underline_start_index = 9;
  replace("%usabc%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, 9);
  EXPECT_EQ(state.underline_end_index, 4 - 7);
  EXPECT_EQ(state.underline_length, -3 - 9);
}

TEST(PdfMeasurement, PercentBeforeTheMarkGivesANegativeLength) {
  LayoutState state;
  // A "%" put in by the percent row comes before the underline mark.
  replace("a%b %usword%ue\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, 2);
  EXPECT_EQ(state.underline_end_index, 1 - 7);
  EXPECT_LT(state.underline_length, 0);
}

TEST(PdfMeasurement, MissingBytesKeepThePreviousValues) {
  LayoutState state;
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
  LayoutState state;
  state.underline = 1;
  replace("x_yy%zz\n", "%us", "_", state, Format::Pdf);
  EXPECT_EQ(state.underline_start_index, -1);
  EXPECT_EQ(state.underline_end_index, -3);
}

TEST(PdfMeasurement, NotForOtherFormatsOrWithoutTheFlag) {
  LayoutState state;
  replace("x_y%z", "%us", "_", state, Format::Pdf);  // flag 0: nothing measured
  EXPECT_EQ(state, LayoutState{});
  replace("a%usb_%c", "%us", "_", state, Format::PostScript);
  EXPECT_EQ(state.underline, 1);
  EXPECT_EQ(state.underline_start_index, 0);
}

}  // namespace
}  // namespace kolvo
