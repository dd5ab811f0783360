// Rewriting a whole line: the order of the tag rows, the joins and the
// percent row, the clean-ups, and the string escape of the paged formats.
#include <gtest/gtest.h>

#include "pipeline/line_rewrite.hpp"
#include "pipeline/line_rewrite.hpp"

namespace kolvo {
namespace {

std::string rewrite(std::string line, Format format, LineMarks* stateOut = nullptr) {
  LineMarks state;
  std::string scratch;
  rewriteLine(line, scratch, format, state);
  if (stateOut != nullptr) *stateOut = state;
  return line;
}

TEST(TableOrder, PercentRowCompletesOnlyLaterTags) {
  for (Format f : kAllFormats) {
    SCOPED_TRACE(formatName(f));
    // "%rs" comes after the percent row and is replaced like a typed tag...
    std::string red = rewrite("%psrs", f);
    EXPECT_EQ(red.find("%rs"), std::string::npos);
    // ...while "%bs" and "%g1" come before it and stay as text.
    EXPECT_NE(rewrite("%psbs", f).find("bs"), std::string::npos);
    EXPECT_NE(rewrite("%psg1", f).find("g1"), std::string::npos);
  }
  EXPECT_EQ(rewrite("%psrs", Format::Html), "<font color='#f00'>");
  EXPECT_EQ(rewrite("%psbs", Format::Html), "%bs");
  EXPECT_EQ(rewrite("%psg1", Format::Html), "%g1");
  EXPECT_EQ(rewrite("%psrt", Format::Html), "&reg;");
  EXPECT_EQ(rewrite("%psrs", Format::Latex), "\\\\pdfliteral{1 0 0 rg}");
}

TEST(TableOrder, EmptyReplacementJoinsIntoALaterTag) {
  // DocBook removes the Greek letters, so "%P" and "e" meet as "%Pe".
  EXPECT_EQ(rewrite("%P%g1e", Format::DocBook), "</emphasis>");
  // Aleph is removed in LaTeX; the join then spells the bold start.
  EXPECT_EQ(rewrite("%b%Als", Format::Latex), "\\textbf{");
}

TEST(TableOrder, SymbolEndsBoldInPostScriptButAnEscapeDoesNot) {
  const std::string greek = rewrite("%bsA%g1B", Format::PostScript);
  EXPECT_NE(greek.find("/Times-Roman findfont 12 scalefont setfont (B"), std::string::npos);
  const std::string bullet = rewrite("%bsA%buB", Format::PostScript);
  EXPECT_NE(bullet.find("/Times-Bold findfont 12 scalefont setfont (A\\267B"), std::string::npos);
}

TEST(TableOrder, NearMissesStayAsTyped) {
  EXPECT_EQ(rewrite("%zz % %cS 50%", Format::Html), "%zz % %cS 50%");
}

TEST(TableOrder, TagsWithoutReplacementStayInTheirFormat) {
  EXPECT_EQ(rewrite("%hsmarked%he", Format::DocBook), "%hsmarked%he");
  EXPECT_EQ(rewrite("%da%dd", Format::AbiWord), "%da%dd");
  EXPECT_EQ(rewrite("%di", Format::DocBook), "%di");
  EXPECT_EQ(rewrite("%di%Al", Format::Latex), "");
}

TEST(TableOrder, DocBookCentresAndTakesNoLayoutEffects) {
  LineMarks state;
  EXPECT_EQ(rewrite("%csTitle%ce", Format::DocBook, &state), "Title");
  EXPECT_EQ(state.center, 1);
  rewrite("%lsbig%le", Format::DocBook, &state);
  EXPECT_TRUE(state.page.all().empty());
}

TEST(TableOrder, ControlWordsAreDelimited) {
  EXPECT_EQ(rewrite("%csTitle%ce", Format::Rtf), "\\qc1 Title ");
  EXPECT_EQ(rewrite("mc%ss2%se", Format::Rtf), "mc\\super 2\\nosupersub ");
  EXPECT_EQ(rewrite("%BsTitle%Be", Format::Latex), "\\LARGE{}Title\\normalsize{}");
  EXPECT_EQ(rewrite("%g1", Format::Latex), "\\ensuremath{\\alpha}");
}

TEST(TableOrder, PdfUnderlineWorkedExample) {
  LineMarks state;
  EXPECT_EQ(rewrite("Hello %usworld%ue\n", Format::Pdf, &state), "Hello world_ ");
  EXPECT_EQ(state.underline, 1);
  EXPECT_EQ(state.underline_length, 1);
  EXPECT_EQ(state.underline_x, 50);
}

TEST(TableOrder, PdfPercentBeforeTheUnderlineEnd) {
  LineMarks state;
  rewrite("a%psb %usword%ue\n", Format::Pdf, &state);
  EXPECT_EQ(state.underline_end_index, 1 - 7);
  EXPECT_LT(state.underline_length, 0);
}

TEST(TableOrder, CentringMeasureSeesEarlierRowsExpandedAndTheLineFeed) {
  LineMarks state;
  rewrite("%csTitle\n", Format::Pdf, &state);
  EXPECT_EQ(state.line_x, 307);
  // "%bs" (row 36) is expanded before "%cs" (row 39) is measured: 15 bytes.
  rewrite("%cs%bsA\n", Format::Pdf, &state);
  EXPECT_EQ(state.line_x, 325 - 3 * static_cast<int>(std::string(") Tj /F2 12 Tf (A\n").size()));
}

TEST(Cleanups, UnderscoreAfterABlank) {
  for (Format f : kAllFormats) {
    SCOPED_TRACE(formatName(f));
    EXPECT_EQ(rewrite("x _y", f), "x y");
    EXPECT_EQ(rewrite("x __y", f), "x _y");
    EXPECT_EQ(rewrite("x_y", f), "x_y");
    EXPECT_EQ(rewrite("_y", f), "_y");
    // A blank made from a carriage return comes too late.
    EXPECT_EQ(rewrite("a\r_b", f), "a _b");
  }
}

TEST(Cleanups, HashIsEscapedForLatexOnly) {
  EXPECT_EQ(rewrite("a#b ##", Format::Latex), "a\\#b \\#\\#");
  EXPECT_EQ(rewrite("\\#", Format::Latex), "\\\\#");
  for (Format f : {Format::AbiWord, Format::DocBook, Format::Html, Format::Rtf}) {
    EXPECT_EQ(rewrite("a#b ##", f), "a#b ##");
  }
}

TEST(Cleanups, EmptyRunsAreFilled) {
  for (Format f : kAllFormats) {
    EXPECT_EQ(rewrite("<c></c><c></c>", f), "<c> </c><c> </c>");
  }
  EXPECT_EQ(rewrite("a %bsb%be%isc%ie\n", Format::AbiWord),
            "a </c><c props=\"font-weight:bold\">b</c><c> </c><c "
            "props=\"font-style:italic\">c</c><c> ");
}

TEST(Cleanups, LineEndsBecomeBlanks) {
  for (Format f : kAllFormats) {
    EXPECT_EQ(rewrite("\n", f), " ");
    EXPECT_EQ(rewrite("a\r\n", f), "a  ");
    EXPECT_EQ(rewrite("a\rb", f), "a b");
    EXPECT_EQ(rewrite("last", f), "last");
  }
}

TEST(StringEscape, DelimitersAreEscapedBeforeTheTagsInPagedFormatsOnly) {
  EXPECT_EQ(rewrite("1) item", Format::PostScript), "1\\) item");
  EXPECT_EQ(rewrite("(a)", Format::Pdf), "\\(a\\)");
  EXPECT_EQ(rewrite("C:\\new", Format::PostScript), "C:\\\\new");
  EXPECT_EQ(rewrite("\\%bsx", Format::PostScript),
            "\\\\) show  /Times-Bold findfont 12 scalefont setfont (x");
  EXPECT_EQ(rewrite("(a)", Format::Html), "(a)");
}

TEST(StringEscape, MeasurementsCountTheEscapedLine) {
  LineMarks state;
  rewrite("%cs(a)\n", Format::Pdf, &state);
  EXPECT_EQ(state.line_x, 325 - 3 * 6);
}

TEST(TableOrder, RewrittenLinesGrowWithoutLimit) {
  std::string line;
  for (int i = 0; i < 150; ++i) line += "%g1";
  const std::string ps = rewrite(line, Format::PostScript);
  const std::string one = rewrite("%g1", Format::PostScript);
  EXPECT_GT(ps.size(), 10000u);
  EXPECT_EQ(ps.size(), 150 * one.size());
}

TEST(ReferencePath, AgreesWithTheLineLoopPath) {
  const std::string lines[] = {"Hello %usworld%ue\n", "%cs%bsA%g1B%ce\n", "%psrs%P%g1e#x _y\r\n",
                               "(a)\\%hsz%he%pg"};
  for (Format f : kAllFormats) {
    for (const std::string& line : lines) {
      LineMarks a, b;
      std::string fast = line, plain = line, scratch;
      rewriteLine(fast, scratch, f, a);
      rewriteLineReference(plain, f, b);
      EXPECT_EQ(fast, plain);
      EXPECT_EQ(a, b);
    }
  }
}

}  // namespace
}  // namespace kolvo
