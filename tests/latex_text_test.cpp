// LaTeX text as typed: the escapes, the ligatures kept apart, the
// characters beyond ASCII, tags left for the tag rows, and what pdflatex
// sets from a whole document of escaped lines.
#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.hpp"
#include "support/typed_document.hpp"
#include "writers/escape/latex_text.hpp"
#include "writers/escape/latex_unicode.hpp"

namespace kolvo::test {
namespace {

std::string escaped(std::string_view typed, EscapeStats& stats) {
  std::string out = "untouched";
  return escapeLatexText(typed, out, stats) ? out : std::string(typed);
}

std::string escaped(std::string_view typed) {
  EscapeStats stats;
  return escaped(typed, stats);
}

// Escaped, then through the tag rows and the clean-ups.
std::string rewritten(std::string_view typed) {
  std::string line = escaped(typed);
  std::string scratch;
  LayoutState state;
  rewriteLine(line, scratch, Format::Latex, state);
  return line;
}

TEST(LatexText, PlainAsciiNeedsNoWork) {
  EscapeStats stats;
  std::string out = "untouched";
  EXPECT_FALSE(escapeLatexText("Plain (text): 1+1=2; a/b @ #3, ok? yes! a.b\tc\r\n", out, stats));
  EXPECT_EQ(out, "untouched");
}

TEST(LatexText, SpecialCharactersShowAsTyped) {
  EXPECT_EQ(escaped("\\{}&$_^~%"),
            "\\textbackslash{}\\{\\}\\&\\$\\_\\textasciicircum{}\\textasciitilde{}\\char37{}");
  EXPECT_EQ(escaped("<|>\"`'"),
            "\\textless{}\\textbar{}\\textgreater{}\\textquotedbl{}\\textasciigrave{}"
            "\\textquotesingle{}");
  EXPECT_EQ(escaped("[x]*\n"), "{[}x]{*}\n");
  // "#" is the clean-up's, and "_" after a blank survives the clean-up " _".
  EXPECT_EQ(rewritten("#1 _x"), "\\#1 \\_x");
}

TEST(LatexText, NoT1LigatureForms) {
  EXPECT_EQ(escaped("a-b -- ---"), "a-b -{}- -{}-{}-");
  EscapeStats stats;
  std::string out;
  EXPECT_FALSE(escapeLatexText("a-b, c - d ,e", out, stats));
  EXPECT_EQ(escaped(",, ,"), ",{}, ,");
  EXPECT_EQ(escaped("<<"), "\\textless{}\\textless{}");
  EXPECT_EQ(escaped("!`?`"), "!\\textasciigrave{}?\\textasciigrave{}");
  // A tag that turns into nothing must not bring two hyphens together.
  EXPECT_EQ(rewritten("a-%Al-b,%di,c"), "a-{}-b,{},c");
}

TEST(LatexText, BeyondAscii) {
  EscapeStats stats;
  // What pdflatex's UTF-8 input sets stays UTF-8.
  EXPECT_EQ(escaped("f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC2\xA0\xC3\x9F", stats),
            "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC2\xA0\xC3\x9F");
  // Greek: math symbols, or the Latin letter a capital looks like.
  EXPECT_EQ(escaped("\xCE\xB1\xCE\x93\xCE\x91\xCE\xA9\xCF\x82\xCE\xBF", stats),
            "\\ensuremath{\\alpha}\\ensuremath{\\Gamma}A\\ensuremath{\\Omega}"
            "\\ensuremath{\\varsigma}\\ensuremath{o}");
  EXPECT_EQ(stats.missingGlyphs, 0u);
  // The rest: a snowman, Cyrillic, a character beyond U+FFFF, the gap in
  // the Greek capitals, controls.
  EXPECT_EQ(escaped("\xE2\x98\x83\xD0\x96\xF0\x9F\x98\x80\xCE\xA2\x01\x7F\xC2\x85.", stats),
            "???????.");
  EXPECT_EQ(stats.missingGlyphs, 7u);
  EXPECT_TRUE(latexCanSet(0x00E9));
  EXPECT_TRUE(latexCanSet(0x20AC));
  EXPECT_FALSE(latexCanSet(0x0416));
}

TEST(LatexText, TagsStayAndNoOtherPercentIsLeft) {
  EXPECT_EQ(escaped("%bsbold%be"), "%bsbold%be");
  EXPECT_EQ(rewritten("%b%Als"), "\\char37{}bs");  // the aleph's empty text joins nothing
  for (std::string_view typed : {"%", "%%", "%%bs", "%ps%", "x%%%be", "%g1%", "a%"}) {
    const std::string out = escaped(typed);
    std::size_t tagsTyped = 0;
    std::size_t tagsOut = 0;
    for (std::size_t i = 0; i < typed.size(); ++i) tagsTyped += beginsTag(typed, i) ? 1 : 0;
    for (std::size_t i = out.find('%'); i != std::string::npos; i = out.find('%', i + 1)) {
      EXPECT_TRUE(beginsTag(out, i)) << typed << " -> " << out;
      ++tagsOut;
    }
    EXPECT_EQ(tagsOut, tagsTyped) << typed;
  }
}

TEST(LatexText, TypedPrologueLoadsTheFonts) {
  const std::string_view prologue = kLatexTypedFormat.prologue;
  const std::size_t fonts = prologue.find("\\usepackage[T1]{fontenc}");
  EXPECT_LT(prologue.find("\\documentclass"), fonts);
  EXPECT_LT(fonts, prologue.find("\\usepackage{textcomp}"));
  EXPECT_LT(fonts, prologue.find("\\usepackage{lmodern}"));
  EXPECT_LT(fonts, prologue.find("\\begin{document}"));
  EXPECT_EQ(kLatexTypedFormat.plain.after, kLatexFormat.plain.after);
}

// Typed lines, each after a line that ends in "\\", and what pdftotext
// must read from the PDF (blanks collapsed).
const std::vector<std::string> kNastyLines = {
    "Specials \\ { } & $ # _ ^ ~ % < > | \" and a _mark, 100%%bs%be",
    "[x] at the start, and then",
    "* at the start",
    "Dashes -- --- - and ``x'' 'y' `z` <<x>> ,, !` ?`",
    "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9",
    "Cannot set \xE2\x98\x83 here\tafter a tab",
    "%bsBold%be and %isitalic%ie words",
};
const std::vector<std::string> kNastyShown = {
    "Specials \\ { } & $ # _ ^ ~ % < > | \" and a _mark, 100%",
    "[x] at the start, and then",
    "* at the start",
    "Dashes -- --- - and ``x'' 'y' `z` <<x>> ,, !` ?`",
    "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9",
    "Cannot set ? here after a tab",
    "Bold and italic words",
};

// Quote and dash shapes that a font may give for the typed ones; and
// pdftotext reads the capital omega of the math fonts as the ohm sign.
std::string plainShapes(std::string line) {
  for (const auto& [shape, typed] : {std::pair<std::string, std::string>{"\xE2\x80\x99", "'"},
                                     {"\xE2\x80\x98", "`"}, {"\xCB\x8B", "`"}, {"\xE2\x80\x90", "-"},
                                     {"\xE2\x84\xA6", "\xCE\xA9"}}) {
    for (std::size_t i = line.find(shape); i != std::string::npos; i = line.find(shape, i)) {
      line.replace(i, shape.size(), typed);
    }
  }
  return line;
}

TEST(LatexConsumer, PdflatexSetsEveryLineAsTyped) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  KOLVO_REQUIRE_TOOL("pdftotext");
  KOLVO_REQUIRE_TOOL("kpsewhich");
  if (runCommand({"kpsewhich", "lmodern.sty"}).out.empty()) {
    GTEST_SKIP() << "the Latin Modern fonts (package lmodern) are not installed";
  }
  TempDir dir;
  EscapeStats stats;
  writeFile(dir / "typed.tex",
            typedDocument(kLatexTypedFormat, Format::Latex, escapeLatexText, kNastyLines, stats));
  EXPECT_EQ(stats.missingGlyphs, 1u);
  const CommandResult r =
      runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                  "-output-directory", dir.path().string(), (dir / "typed.tex").string()});
  ASSERT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
  const CommandResult text = runCommand({"pdftotext", (dir / "typed.pdf").string(), "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  std::istringstream shown(text.out);
  std::string line;
  for (const std::string& expected : kNastyShown) {
    ASSERT_TRUE(std::getline(shown, line));
    EXPECT_EQ(plainShapes(line), expected);
  }
}

}  // namespace
}  // namespace kolvo::test
