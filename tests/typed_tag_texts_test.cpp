// The tags' texts when the user's text is shown as typed: every cell has a
// text, each symbol gives its own character in every flowing format, the
// DocBook texts nest inside a paragraph, and readers get the characters.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/typed_tag_texts.hpp"
#include "support/test_support.hpp"

namespace kolvo {
namespace {

using test::CommandResult;
using test::runCommand;

const TagRow* findRow(std::string_view tag) {
  for (const TagRow& row : kTagTable) {
    if (row.tag == tag) return &row;
  }
  return nullptr;
}

std::string typed(std::string_view tag, Format f) {
  const TagRow* row = findRow(tag);
  if (row == nullptr) {
    ADD_FAILURE() << "no row for " << tag;
    return {};
  }
  return std::string(typedReplacement(*row, f).value_or("<none>"));
}

// The character each symbol tag stands for.
const std::map<std::string_view, char32_t> kSymbolCharacters = {
    {"%Al", U'\u2135'}, {"%g1", U'\u03B1'}, {"%g2", U'\u03B2'}, {"%gG", U'\u0393'},
    {"%g7", U'\u03B3'}, {"%gD", U'\u0394'}, {"%g4", U'\u03B4'}, {"%g5", U'\u03B5'},
    {"%gz", U'\u03B6'}, {"%g8", U'\u03B7'}, {"%gT", U'\u0398'}, {"%gt", U'\u03B8'},
    {"%g9", U'\u03B9'}, {"%gk", U'\u03BA'}, {"%gL", U'\u039B'}, {"%gl", U'\u03BB'},
    {"%gm", U'\u03BC'}, {"%gn", U'\u03BD'}, {"%gx", U'\u03BE'}, {"%gP", U'\u03A0'},
    {"%zp", U'\u03C0'}, {"%g3", U'\u03C7'}, {"%zr", U'\u03C1'}, {"%gs", U'\u03C3'},
    {"%zs", U'\u03C2'}, {"%zt", U'\u03C4'}, {"%gu", U'\u03C5'}, {"%zu", U'\u1FE6'},
    {"%gF", U'\u03A6'}, {"%g6", U'\u03C6'}, {"%gp", U'\u03A8'}, {"%gO", U'\u03A9'},
    {"%gw", U'\u03C9'}, {"%bu", U'\u2022'}, {"%cr", U'\u00A9'}, {"%da", U'\u2020'},
    {"%dd", U'\u2021'}, {"%di", U'\u00F7'}, {"%pm", U'\u00B1'}, {"%ps", U'%'},
    {"%tc", U'\u25CB'}, {"%rt", U'\u00AE'}, {"%sn", U'\u00A7'}, {"%su", U'\u2211'},
    {"%sq", U'\u221A'}, {"%tm", U'\u2122'}};

std::string utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The code point of a text that is one numeric reference, "&#945;" or "&#x2020;".
std::optional<char32_t> numericReference(const std::string& text) {
  std::smatch m;
  if (!std::regex_match(text, m, std::regex("&#(x[0-9A-Fa-f]+|[0-9]+);"))) return std::nullopt;
  const std::string digits = m[1];
  return static_cast<char32_t>(digits[0] == 'x' ? std::stoul(digits.substr(1), nullptr, 16)
                                                : std::stoul(digits));
}

TEST(TypedTagTexts, OverridesNameRealTagsAndChangeTheirCells) {
  for (const TypedTagText& cell : kTypedTagTexts) {
    const TagRow* row = findRow(cell.tag);
    ASSERT_NE(row, nullptr) << cell.tag << " is no tag of the table";
    EXPECT_NE(row->replacement(cell.format), Replacement(cell.text))
        << cell.tag << " " << letterOf(cell.format) << " repeats the table";
  }
}

TEST(TypedTagTexts, EveryTagHasATextWithoutAPercentSign) {
  for (const TagRow& row : kTagTable) {
    for (Format f : kAllFormats) {
      const Replacement text = typedReplacement(row, f);
      ASSERT_TRUE(text.has_value()) << row.tag << " " << letterOf(f) << " stays as typed";
      EXPECT_EQ(text->find('%'), std::string_view::npos) << row.tag << " " << letterOf(f);
    }
  }
}

TEST(TypedTagTexts, EverySymbolGivesItsCharacterInTheFlowingFormats) {
  std::size_t symbols = 0;
  for (const TagRow& row : kTagTable) {
    if (row.kind != TagKind::Symbol) continue;
    ++symbols;
    const auto found = kSymbolCharacters.find(row.tag);
    ASSERT_NE(found, kSymbolCharacters.end()) << row.tag;
    const char32_t c = found->second;
    SCOPED_TRACE(std::string(row.tag));
    // A percent sign is written as a reference everywhere, so that it cannot
    // form a tag with what follows.
    const bool percent = c == U'%';
    EXPECT_EQ(typed(row.tag, Format::AbiWord), percent ? "&#37;" : utf8(c));
    EXPECT_EQ(numericReference(typed(row.tag, Format::DocBook)), c);
    // \u takes a signed 16-bit number: every character here is below 32768.
    EXPECT_LT(c, 0x8000u);
    EXPECT_EQ(typed(row.tag, Format::Rtf), percent ? "\\'25" : "\\u" + std::to_string(c) + "?");
    EXPECT_TRUE(std::regex_match(typed(row.tag, Format::Html), std::regex("&#?[0-9A-Za-z]+;")));
  }
  EXPECT_EQ(symbols, kSymbolCharacters.size());
}

// ---------------------------------------------------------------------------
// DocBook: every text is one element allowed in a paragraph, or none.

const std::vector<std::pair<std::string_view, std::string_view>> kStylePairs = {
    {"%Bs", "%Be"}, {"%bs", "%be"}, {"%cs", "%ce"}, {"%Cs", "%Ce"}, {"%C0", "%Ce"},
    {"%hs", "%he"}, {"%Hs", "%He"}, {"%is", "%ie"}, {"%ls", "%le"}, {"%P1", "%Pe"},
    {"%P2", "%Pe"}, {"%P3", "%Pe"}, {"%P4", "%Pe"}, {"%P5", "%Pe"}, {"%P6", "%Pe"},
    {"%P7", "%Pe"}, {"%P8", "%Pe"}, {"%P9", "%Pe"}, {"%rs", "%re"}, {"%Ss", "%Se"}, {"%Sy", "%Se"},
    {"%ss", "%se"}, {"%us", "%ue"}, {"%xs", "%xe"}};

TEST(TypedTagTextsDocBook, EachPairOpensAndClosesOneElementAllowedInAParagraph) {
  const std::set<std::string> inline_elements = {"emphasis", "phrase", "literal", "superscript"};
  const std::regex start(R"(<([a-z]+)( role="[^"<&]*")?>)");
  std::set<std::string_view> paired;
  for (const auto& [open, close] : kStylePairs) {
    paired.insert(open);
    paired.insert(close);
    const std::string opening = typed(open, Format::DocBook);
    const std::string closing = typed(close, Format::DocBook);
    std::smatch m;
    if (opening.empty() && closing.empty()) continue;
    ASSERT_TRUE(std::regex_match(opening, m, start)) << open << " gives " << opening;
    EXPECT_TRUE(inline_elements.count(m[1])) << open << " gives " << opening;
    EXPECT_EQ(closing, "</" + m[1].str() + ">") << open << " " << close;
  }
  // Every other tag gives text or nothing, no markup.
  for (const TagRow& row : kTagTable) {
    if (paired.count(row.tag)) continue;
    EXPECT_EQ(typed(row.tag, Format::DocBook).find('<'), std::string::npos) << row.tag;
  }
}

// ---------------------------------------------------------------------------
// Readers

TEST(TypedTagTextsReaders, XmllintReadsEveryHtmlSymbol) {
  KOLVO_REQUIRE_TOOL("xmllint");
  std::string doc =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
      "</head><body>\n";
  std::string expected = "\n";
  for (const TagRow& row : kTagTable) {
    if (row.kind != TagKind::Symbol) continue;
    doc += "<p>" + std::string(row.tag) + "=" + typed(row.tag, Format::Html) + "</p>\n";
    expected += std::string(row.tag) + "=" + utf8(kSymbolCharacters.at(row.tag)) + "\n";
  }
  doc += "</body></html>\n";
  const CommandResult r = runCommand({"xmllint", "--html", "--xpath", "string(/html/body)", "-"}, doc);
  EXPECT_EQ(r.status, 0) << r.err;
  // xmllint ends what it prints with a line feed of its own.
  EXPECT_EQ(r.out, expected + "\n");
}

// pdftotext reads what pdflatex makes of every symbol under the preamble of
// this mode. Where a glyph's name stands for two characters the reader picks
// the other, and the white circle is ZapfDingbats' shadowed one, as in
// PostScript and PDF.
TEST(TypedTagTextsReaders, PdflatexSymbolsExtractAsTheirCharacters) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  KOLVO_REQUIRE_TOOL("pdftotext");
  if (runCommand({"kpsewhich", "lmodern.sty"}).status != 0) GTEST_SKIP() << "lmodern is not installed";
  const std::map<std::string_view, std::string> extracted_as = {
      {"%gD", utf8(U'\u2206')}, {"%gm", utf8(U'\u00B5')}, {"%gO", utf8(U'\u2126')},
      {"%zu", utf8(U'\u03C5') + utf8(U'\u0303')}, {"%tc", utf8(U'\u274D')}};
  std::string doc =
      "\\documentclass[12pt]{book}\n\\usepackage[T1]{fontenc}\n\\usepackage{textcomp}\n"
      "\\usepackage{lmodern}\n\\pagestyle{empty}\n\\begin{document}\n\\noindent\n";
  std::string expected;
  for (const TagRow& row : kTagTable) {
    if (row.kind != TagKind::Symbol) continue;
    const std::string name(row.tag.substr(1));
    doc += name + ":" + typed(row.tag, Format::Latex) + "| \\\\\n";
    const auto odd = extracted_as.find(row.tag);
    expected += name + ":" +
                (odd != extracted_as.end() ? odd->second : utf8(kSymbolCharacters.at(row.tag))) + "|";
  }
  doc += "\\end{document}\n";
  test::TempDir dir;
  test::writeFile(dir / "symbols.tex", doc);
  const CommandResult latex =
      runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                  "-output-directory", dir.path().string(), (dir / "symbols.tex").string()});
  ASSERT_EQ(latex.status, 0) << latex.out.substr(latex.out.size() > 2000 ? latex.out.size() - 2000 : 0);
  CommandResult text = runCommand({"pdftotext", "-enc", "UTF-8", (dir / "symbols.pdf").string(), "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  // Blanks and line breaks depend on kerning and layout, not on the symbols.
  std::erase_if(text.out, [](char c) { return c == ' ' || c == '\n' || c == '\f'; });
  EXPECT_EQ(text.out, expected);
}

}  // namespace
}  // namespace kolvo
