// LaTeX text as typed: the escapes, the ligatures kept apart, the
// characters beyond ASCII, tags left for the tag rows, and what pdflatex
// sets from a whole document of escaped lines.
#include "text/latex_text.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.hpp"
#include "support/typed_document.hpp"

namespace kolvo::test {
namespace {

// Escaped, then through the tag rows and the clean-ups.
std::string rewritten(std::string_view typed) {
  EscapeStats stats;
  std::string line = escapedBy(escapeLatexText, typed, stats);
  std::string scratch;
  LineMarks state;
  rewriteLine(line, scratch, Format::Latex, state);
  return line;
}

TEST(LatexText, Escapes) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\\{}&$_^~%",
       "\\textbackslash{}\\{\\}\\&\\$\\_\\textasciicircum{}\\textasciitilde{}\\char37{}"},
      {"<|>\"`'",
       "\\textless{}\\textbar{}\\textgreater{}\\textquotedbl{}\\textasciigrave{}"
       "\\textquotesingle{}"},
      {"[x]*\r\n", "{[}x]{*}\r\n"},
      {"a-b -- --- ,, ,", "a-b -{}- -{}-{}- ,{}, ,"},
      {"f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\xC2\xA0",
       "f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D\xC2\xA0"},
      {"\xCE\xB1 \xCE\x93 \xCE\x91 \xCF\x82",
       "\\ensuremath{\\alpha} \\ensuremath{\\Gamma} A \\ensuremath{\\varsigma}"},
      {"%bsbold%be", "%bsbold%be"},
  };
  EscapeStats stats;
  for (const auto& [typed, latex] : cases)
    EXPECT_EQ(escapedBy(escapeLatexText, typed, stats), latex);
  EXPECT_EQ(stats.missingGlyphs, 0u);
  // A snowman, Hebrew, beyond U+FFFF, the gap in the Greek capitals: "?"
  // for pdflatex, themselves for lualatex and xelatex; controls: "?".
  EXPECT_EQ(escapedBy(escapeLatexText,
                      "\xE2\x98\x83\xD7\x90\xF0\x9F\x98\x80\xCE\xA2\x01\x7F\xC2\x85.", stats),
            "\\kolvoText{Other}{?}{\xE2\x98\x83}\\kolvoRightToLeftRun{\\kolvoText{Hebrew}{?}{\xD7\x90}}"
            "\\kolvoText{Other}{??}{\xF0\x9F\x98\x80\xCE\xA2}???.");
  EXPECT_EQ(stats.missingGlyphs, 7u);
  std::string out = "untouched";
  EXPECT_FALSE(escapeLatexText("Plain (text): 1+1=2; a-b, @ #3 ok? yes! a.b\tc\n", out, stats));
  EXPECT_EQ(out, "untouched");
  for (std::string_view typed : {"%", "%%", "%%bs", "%ps%", "x%%%be", "%g1%", "a%"}) {
    expectOnlyTheTypedTags(escapeLatexText, typed);
  }
}

TEST(LatexText, TagRowsAndCleanupsLeaveTheTextAlone) {
  EXPECT_EQ(rewritten("#1 _x"), "\\#1 \\_x");
  // Tags that turn into nothing join neither characters nor a new tag.
  EXPECT_EQ(rewritten("a-%Al-b,%di,c"), "a-{}-b,{},c");
  EXPECT_EQ(rewritten("%b%Als"), "\\char37{}bs");
}

// Typed lines, each after a line that ends in "\\", and what pdftotext
// must read from them (where different), blanks collapsed.
const std::vector<std::pair<std::string, std::string>> kNasty = {
    {"Specials \\ { } & $ # _ ^ ~ % < > | \" and a _mark, 100%%bs%be",
     "Specials \\ { } & $ # _ ^ ~ % < > | \" and a _mark, 100%"},
    {"[x] at the start, and then", ""},
    {"* at the start", ""},
    {"Dashes -- --- - and ``x'' 'y' `z` <<x>> ,, !` ?`", ""},
    {"f\xC3\xBC\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xCE\xB1\xCE\xB2 \xC3\xB1 \xC3\x9F \xCE\xA9",
     ""},
    {"Cannot set \xE2\x98\x83 here\tafter a tab", "Cannot set ? here after a tab"},
    {"%bsBold%be and %isitalic%ie words", "Bold and italic words"},
};

TEST(LatexReaders, PdflatexSetsEveryLineAsTyped) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  KOLVO_REQUIRE_TOOL("pdftotext");
  KOLVO_REQUIRE_TOOL("kpsewhich");
  if (runCommand({"kpsewhich", "lmodern.sty"}).out.empty()) {
    GTEST_SKIP() << "the Latin Modern fonts (package lmodern) are not installed";
  }
  TempDir dir;
  std::vector<std::string> lines;
  for (const auto& line : kNasty) lines.push_back(line.first);
  EscapeStats stats;
  writeFile(dir / "typed.tex",
            typedDocument(kLatexTypedFormat, Format::Latex, escapeLatexText, lines, stats));
  EXPECT_EQ(stats.missingGlyphs, 1u);
  const CommandResult r =
      runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                  "-output-directory", dir.path().string(), (dir / "typed.tex").string()});
  ASSERT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
  const CommandResult text = runCommand({"pdftotext", (dir / "typed.pdf").string(), "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  std::istringstream shown(text.out);
  std::string line;
  for (const auto& [typed, expected] : kNasty) {
    ASSERT_TRUE(std::getline(shown, line));
    // pdftotext reads the capital omega of the math fonts as the ohm sign.
    for (std::size_t at = line.find("\xE2\x84\xA6"); at != std::string::npos;
         at = line.find("\xE2\x84\xA6")) {
      line.replace(at, 3, "\xCE\xA9");
    }
    EXPECT_EQ(line, expected.empty() ? typed : expected);
  }
}

}  // namespace
}  // namespace kolvo::test
