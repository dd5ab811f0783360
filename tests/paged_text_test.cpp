// Typed text for PostScript and PDF: the escaper's output for each kind of
// character, the encoding tables against their lookups and widths, and
// Ghostscript, pdftotext and qpdf reading documents made with the
// re-encoded fonts.

#include "writers/paged/paged_text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"
#include "writers/paged/font_texts.hpp"
#include "writers/paged/font_widths.hpp"
#include "writers/paged/glyph_place.hpp"
#include "writers/paged/text_encoding.hpp"

namespace kolvo {
namespace {

using test::runCommand;
using test::TempDir;

std::string escaped(std::string_view text, Format format = Format::PostScript) {
  EscapeStats stats;
  std::string out = "left over from before";
  return escapePagedText(text, format, out, stats) ? out : std::string(text);
}

std::string tagText(std::string_view tag, Format format) {
  for (const TagRow& row : kTagTable) {
    if (row.tag == tag) return std::string(*row.replacement(format));
  }
  return {};
}

TEST(PagedTextTest, TextFontCharactersBecomeTheirCodes) {
  const std::vector<std::pair<std::string_view, std::string_view>> cases = {
      {"plain prose, as it is.\n", "plain prose, as it is.\n"},
      {"f\xC3\xBCr", "f\\374r"},                 // ü
      {"\xE2\x82\xAC", "\\200"},                 // €
      {"\xE2\x80\x9Cx\xE2\x80\x9D", "\\223x\\224"},
      {"\xE2\x80\x98y\xE2\x80\x99", "\\221y\\222"},
      {"\xE2\x80\xA0\xE2\x80\xA1\xE2\x80\xA2", "\\206\\207\\225"},  // † ‡ •
      {"\xC2\xB7\xC2\xB2\xC2\xB3", "\\201\\215\\217"},              // · ² ³ moved
      {"\xC3\x84\xC3\xA9\xC3\xBF", "\\304\\351\\377"},              // Ä, é, ÿ
      {"a\xE2\x80\x90" "b\xE2\x80\x91" "c", "a-b-c"},               // hyphens
      {"Wort\xC2\xAD" "trennung\xEF\xBB\xBF", "Worttrennung"},     // soft hyphen, BOM
      {"end\r\n", "end\r\n"},
      // Typed quotes as themselves, also where the plain run is read eight
      // bytes at a time; the curly ones as typed.
      {"don't `ls`", "don\\220t \\235ls\\235"},
      {"abcdefgh'ijklmnop`", "abcdefgh\\220ijklmnop\\235"},
      {"\xE2\x80\x99'", "\\222\\220"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(escaped(input), expected) << input;
    EXPECT_EQ(escaped(input, Format::Pdf), expected) << input;
  }
}

TEST(PagedTextTest, TagsStayAndNothingElseCanFormOne) {
  EXPECT_EQ(escaped("%bsbold%be %ps"), "%bsbold%be %ps");
  // A stray "%" could join the text after it, or a tag's replacement, into a tag.
  EXPECT_EQ(escaped("50% %zz %b"), "50\\045 \\045zz \\045b");
  EXPECT_EQ(escaped("%%bs%"), "\\045%bs\\045");
  EXPECT_EQ(escaped("f(x) = a\\b"), "f\\(x\\) = a\\\\b");
  // "_" is a mark for the clean-ups and the PDF measurement.
  EXPECT_EQ(escaped("a _b_"), "a \\137b\\137");
}

TEST(PagedTextTest, TabsReachTheNextMultipleOfEightColumns) {
  EXPECT_EQ(escaped("\tx"), "        x");
  EXPECT_EQ(escaped("abc\tx"), "abc     x");
  EXPECT_EQ(escaped("abcdefgh\tx"), "abcdefgh        x");
  EXPECT_EQ(escaped("a\t\tx"), "a               x");
  // Tags take no column; a character written as an escape takes one.
  EXPECT_EQ(escaped("%bsab%be\tx"), "%bsab%be      x");
  EXPECT_EQ(escaped("\xC3\xA9_%\tx"), "\\351\\137\\045     x");
  EXPECT_EQ(escaped("\xCE\xB1\xCE\xB2\tx", Format::Pdf),
            ") Tj /F3 12 Tf (\\141\\142) Tj /F1 12 Tf (      x");
}

TEST(PagedTextTest, SymbolCharactersGoThroughTheSymbolFontAsTheGreekTagsDo) {
  EXPECT_EQ(escaped("\xCE\xB1", Format::Pdf), tagText("%g1", Format::Pdf));  // α
  EXPECT_EQ(escaped("\xCE\xB1"), tagText("%g1", Format::PostScript));
  EXPECT_EQ(escaped("\xCF\x82"), tagText("%zs", Format::PostScript));  // ς
  EXPECT_EQ(escaped("\xCE\xA9"), tagText("%gO", Format::PostScript));  // Ω
  // One switch for a run, however its characters mix.
  EXPECT_EQ(escaped("x \xCE\xB1\xCE\xB2\xE2\x89\xA4\xCE\xB3 y"),
            "x ) show /Symbol findfont 12 scalefont setfont (\\141\\142\\243\\147) show "
            "/Times-Roman findfont 12 scalefont setfont ( y");
  EXPECT_EQ(escaped("\xE2\x88\x92\xE2\x9F\xA8\xE2\x9F\xA9\xE2\x88\x9E", Format::Pdf),
            ") Tj /F3 12 Tf (\\055\\341\\361\\245) Tj /F1 12 Tf (");  // − ⟨ ⟩ ∞
}

TEST(PagedTextTest, TextThatIsItsOwnStringIsLeftAlone) {
  EscapeStats stats;
  std::string out = "kept";
  EXPECT_FALSE(escapePagedText("plain prose, as it is.\r\n", Format::Pdf, out, stats));
  EXPECT_FALSE(escapePagedText("", Format::PostScript, out, stats));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(escapePagedText("it's", Format::PostScript, out, stats));
  // A delimiter alone is reason enough for a copy.
  EXPECT_TRUE(escapePagedText("(plain)", Format::PostScript, out, stats));
  EXPECT_EQ(out, "\\(plain\\)");
}

TEST(PagedTextTest, CharactersNoFontHasAreCounted) {
  EscapeStats stats;
  std::string out;
  EXPECT_TRUE(escapePagedText("\xC4\x85 \xE2\x98\x83 \x01 e\xCC\x81", Format::Pdf, out, stats));
  EXPECT_EQ(out, "? ? ? e?");
  EXPECT_EQ(stats.missingGlyphs, 4u);
  EXPECT_TRUE(escapePagedText("\xC3\xBC\tx", Format::Pdf, out, stats));
  EXPECT_EQ(out, "\\374       x");
  EXPECT_EQ(stats.missingGlyphs, 4u);
}

TEST(PagedTextTest, LookupsAgreeWithTheTables) {
  using paged::GlyphFont;
  for (const paged::EncodedGlyph& row : paged::kTextEncoding) {
    if (row.code < 0x80) continue;
    const paged::GlyphPlace place = paged::glyphPlace(row.unicode);
    ASSERT_EQ(place.font, GlyphFont::Text) << row.glyph;
    for (const paged::EncodedGlyph& found : paged::kTextEncoding) {
      if (found.code == place.code) {
        EXPECT_EQ(found.glyph, row.glyph);
      }
    }
  }
  // Of two codes with one glyph, the one WinAnsi gives it.
  EXPECT_EQ(paged::glyphPlace(0x2020).code, 134);
  EXPECT_EQ(paged::glyphPlace(0x2022).code, 149);
  for (const paged::SymbolGlyph& row : paged::kSymbolGlyphs) {
    const paged::GlyphPlace place = paged::glyphPlace(row.unicode);
    EXPECT_EQ(place.font, GlyphFont::Symbol);
    EXPECT_EQ(place.code, row.code);
  }
  for (char32_t c : {0x80U, 0x9FU, 0x0105U, 0x03A2U, 0x27FFU, 0x2800U, 0x1F600U}) {
    EXPECT_EQ(paged::glyphPlace(c).font, GlyphFont::None) << static_cast<std::uint32_t>(c);
  }
}

TEST(PagedTextTest, PdfDifferencesListWhatDiffersFromWinAnsi) {
  EXPECT_EQ(paged::pdfEncodingDictionary(),
            "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [ 39 /quoteright "
            "96 /quoteleft 129 /periodcentered 141 /twosuperior 143 /threesuperior "
            "/quotesingle 157 /grave 178 /dagger /daggerdbl 183 /bullet] >>");
}

TEST(PagedTextTest, WidthsFollowTheEncodings) {
  using paged::PagedFont;
  EXPECT_EQ(paged::textWidth(PagedFont::TimesRoman, "a b"), 444 + 250 + 500);
  // Ä, the tilde accent and the euro sign, at their WinAnsi codes.
  EXPECT_EQ(paged::textWidth(PagedFont::TimesRoman, "\xC4\x98\x80"), 722 + 333 + 500);
  EXPECT_EQ(paged::textWidth(PagedFont::TimesBold, "'"), 333);
  EXPECT_EQ(paged::textWidth(PagedFont::Courier, "\x80\xB7 x"), 4 * 600);
  EXPECT_EQ(paged::textWidth(PagedFont::Symbol, "a\xE5"), 631 + 713);
  EXPECT_EQ(paged::textWidth(PagedFont::TimesItalic, std::string_view("\x7F\x01\0", 3)), 0);
  // The typed quotes' own codes: quotesingle and grave, not the curly quotes.
  EXPECT_EQ(paged::textWidth(PagedFont::TimesRoman, "\x90\x9D"), 180 + 333);
  EXPECT_EQ(paged::textWidth(PagedFont::TimesRoman, "'`"), 333 + 333);
  // A table made before a change of the encoding would miss glyphs.
  for (PagedFont font : {PagedFont::TimesRoman, PagedFont::TimesBold, PagedFont::TimesItalic,
                         PagedFont::Courier}) {
    for (const paged::EncodedGlyph& row : paged::kTextEncoding) {
      const char code = static_cast<char>(row.code);
      EXPECT_GT(paged::textWidth(font, std::string_view(&code, 1)), 0) << row.glyph;
    }
  }
}

// --- Consumers ---------------------------------------------------------

// What the tag texts and the line's typed text look like once read back.
constexpr std::string_view kTypedLine =
    "f\xC3\xBCr \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\x98y\xE2\x80\x99 "
    "\xE2\x80\xA0 \xE2\x80\xA1 \xE2\x80\xA2 \xC2\xB7 \xC2\xB2 \xC2\xB3 "
    "\xCE\xB1\xCE\xB2\xCE\xB3 \xE2\x88\x92 %bs\xC3\x84rger%be %da%bu don't `ls`\n";
const std::vector<std::string_view> kReadBack = {
    "f\xC3\xBCr", "\xE2\x82\xAC", "\xE2\x80\x9Cx\xE2\x80\x9D", "\xE2\x80\x98y\xE2\x80\x99",
    "\xE2\x80\xA0 \xE2\x80\xA1 \xE2\x80\xA2 \xC2\xB7 \xC2\xB2 \xC2\xB3",
    "\xCE\xB1\xCE\xB2\xCE\xB3", "\xE2\x88\x92", "\xC3\x84rger", "\xE2\x80\xA0\xE2\x80\xA2",
    "don't `ls`"};

// The line as the conversion will rewrite it with typed text: escaped, then
// the tag rows and the clean-ups as always.
std::string rewriteTyped(std::string_view line, Format format) {
  std::string text = escaped(line, format);
  LineMarks state;
  for (const TagRow& row : kTagTable) {
    if (const Replacement r = row.replacement(format)) {
      text = replaceTag(text, row.tag, *r, state, format);
    }
  }
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) text = replaceTag(text, row.pattern, row.replacement, state, format);
  }
  return text;
}

void expectReadBack(const std::string& text) {
  for (std::string_view piece : kReadBack) EXPECT_NE(text.find(piece), std::string::npos) << piece;
}

TEST(PagedTextReaders, GhostscriptShowsTheTypedTextOfThePostScriptWriter) {
  KOLVO_REQUIRE_TOOL("ps2pdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  // The writer's own document around a stand-in line, then the re-encoding
  // put before its font selection and the typed line in place.
  std::string ps = convertText("STANDIN\n", Format::PostScript);
  const std::size_t select = ps.find("/Times-Roman \n12 selectfont");
  const std::size_t standIn = ps.find("(STANDIN ) show");
  ASSERT_NE(select, std::string::npos);
  ASSERT_NE(standIn, std::string::npos);
  ps.replace(standIn + 1, 8, rewriteTyped(kTypedLine, Format::PostScript));
  ps.insert(select, paged::postScriptReencoding());

  TempDir dir;
  test::writeFile(dir / "typed.ps", ps);
  const auto pdf = runCommand({"ps2pdf", (dir / "typed.ps").string(), (dir / "typed.pdf").string()});
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  const auto text = runCommand({"pdftotext", (dir / "typed.pdf").string(), "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  expectReadBack(text.out);
}

// A one-page PDF 1.1 with the re-encoded fonts F1 and F2 and the Symbol
// font F3, its one text line `content`, and an exact cross-reference table.
std::string onePagePdf(std::string_view line) {
  const std::string content = "BT /F1 12 Tf 30 700 Td (" + std::string(line) + ") Tj ET\n";
  const std::vector<std::string> bodies = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 595 842] >>",
      "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 4 0 R /F2 5 0 R /F3 6 0 R >> >> "
      "/Contents 7 0 R >>",
      paged::pdfTextFontDictionary("Times-Roman"),
      paged::pdfTextFontDictionary("Times-Bold"),
      "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
  };
  std::string pdf = "%PDF-1.1\n";
  std::string xref = "xref\n0 " + std::to_string(bodies.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    const std::string offset = std::to_string(pdf.size());
    xref += std::string(10 - offset.size(), '0') + offset + " 00000 n \n";
    pdf += std::to_string(i + 1) + " 0 obj " + bodies[i] + " endobj\n";
  }
  const std::size_t xrefAt = pdf.size();
  return pdf + xref + "trailer << /Root 1 0 R /Size " + std::to_string(bodies.size() + 1) +
         " >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";
}

TEST(PagedTextReaders, PdfReadersShowTheTypedText) {
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  test::writeFile(dir / "typed.pdf", onePagePdf(rewriteTyped(kTypedLine, Format::Pdf)));
  const auto check = runCommand({"qpdf", "--check", (dir / "typed.pdf").string()});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
  EXPECT_EQ(check.err, "");
  const auto text = runCommand({"pdftotext", (dir / "typed.pdf").string(), "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  expectReadBack(text.out);
}

}  // namespace
}  // namespace kolvo
