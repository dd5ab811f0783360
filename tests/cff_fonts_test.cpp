// OpenType fonts whose CFF outlines are keyed by glyph name (TeX Gyre, the
// Thai tlwg faces): the charstring width a placed code states, the table
// made CID-keyed from a real face, damaged tables, the PostScript that
// embeds a CFF font, and (slow) what the readers make of both formats.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "fonts/cff_cid_font.hpp"
#include "fonts/cff_reading.hpp"
#include "fonts/cff_table.hpp"
#include "fonts/font_face.hpp"
#include "fonts/font_subset.hpp"
#include "fonts/system_fallback_fonts.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

const std::filesystem::path kTermes =
    "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyretermes-regular.otf";

#define KOLVO_REQUIRE_TERMES() \
  if (!std::filesystem::exists(kTermes)) GTEST_SKIP() << "no TeX Gyre Termes (install fonts-texgyre)"

const std::string kPolish = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 ja\xC5\xBA\xC5\x84";
const std::string kVietnamese = "Ti\xE1\xBA\xBFng Vi\xE1\xBB\x87t \xC4\x91\xC6\xB0\xE1\xBB\xA3\x63 \xC4\x91\xE1\xBB\x83";

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// A width of 7 is the one byte 146; 500 needs the three-byte form.
TEST(CffFonts, ACharstringStatesItsWidthWhereverItsFirstOperatorTakesOne) {
  struct Case {
    std::string charstring;
    std::string stated;
  };
  const std::vector<Case> cases = {
      {bytes({189, 139, 149, 1}), bytes({146, 139, 149, 1})},             // hstem, odd: a width
      {bytes({139, 149, 1}), bytes({146, 139, 149, 1})},                  // hstem, even: none
      {bytes({189, 139, 139, 21}), bytes({146, 139, 139, 21})},           // rmoveto with a width
      {bytes({139, 139, 21}), bytes({146, 139, 139, 21})},                // rmoveto without
      {bytes({189, 139, 22}), bytes({146, 139, 22})},                     // hmoveto with
      {bytes({139, 4}), bytes({146, 139, 4})},                            // vmoveto without
      {bytes({14}), bytes({146, 14})},                                    // a blank glyph
      {bytes({189, 14}), bytes({146, 14})},                               // a blank with its width
      {bytes({189, 139, 139, 170, 171, 14}), bytes({146, 139, 139, 170, 171, 14})},  // accented
      {bytes({255, 0, 50, 0, 0, 139, 22}), bytes({146, 139, 22})},        // a fixed-point width
      {bytes({189, 139, 149, 19, 0xC0}), bytes({146, 139, 149, 19, 0xC0})},  // hintmask
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fonts::withCharstringWidth(c.charstring, 7), c.stated) << testing::PrintToString(c.charstring);
  }
  EXPECT_EQ(fonts::withCharstringWidth(bytes({14}), 500), bytes({28, 1, 0xF4, 14}));
  EXPECT_EQ(fonts::withCharstringWidth(bytes({14}), -200), bytes({28, 0xFF, 0x38, 14}));
  // A subroutine may hold the width, and nothing at all states none.
  EXPECT_EQ(fonts::withCharstringWidth(bytes({139, 10}), 7), std::nullopt);
  EXPECT_EQ(fonts::withCharstringWidth(bytes({189, 139}), 7), std::nullopt);
  EXPECT_EQ(fonts::withCharstringWidth("", 7), std::nullopt);
}

// The CFF table of an OpenType file, by its table directory.
std::string cffTableOf(const std::filesystem::path& path) {
  const std::string file = readFile(path);
  const auto number = [&](std::size_t at, std::size_t size) {
    std::size_t value = 0;
    for (std::size_t i = 0; i < size && at + i < file.size(); ++i) value = value << 8 | static_cast<unsigned char>(file[at + i]);
    return value;
  };
  for (std::size_t table = 0; table < number(4, 2); ++table) {
    const std::size_t record = 12 + 16 * table;
    if (file.compare(record, 4, "CFF ") == 0) return file.substr(number(record + 8, 4), number(record + 12, 4));
  }
  return {};
}

std::vector<std::string> charStringsOf(std::string_view cff) {
  std::vector<std::string> out;
  const std::optional<fonts::cff::Head> head = fonts::cff::readHead(cff);
  if (!head) return out;
  std::size_t at = 0;
  fonts::cff::forEachOperator(cff, head->topDicts.offsets[0], head->topDicts.offsets[1],
                              [&](unsigned op, std::size_t operands, std::size_t) {
                                if (op == 17) at = static_cast<std::size_t>(fonts::cff::dictNumber(cff, operands));
                                return true;
                              });
  const std::optional<fonts::cff::Index> index = fonts::cff::readIndex(cff, at);
  for (std::size_t i = 0; index && i < index->count(); ++i) out.emplace_back(index->object(cff, i));
  return out;
}

// Code k is CID k: a glyph used twice has two charstrings, the placed one
// stating its own width, the other as the face has it.
TEST(CffFonts, TheWholeTermesTableBecomesCidKeyedOneCharstringPerCode) {
  KOLVO_REQUIRE_TERMES();
  const std::string cff = cffTableOf(kTermes);
  ASSERT_TRUE(fonts::isCffTable(cff));
  EXPECT_FALSE(fonts::isCidKeyedCff(cff));
  const std::vector<std::string> original = charStringsOf(cff);
  ASSERT_GT(original.size(), 40u);
  // The whole face keeps its subroutines: a glyph whose first operator
  // calls one keeps its width, one whose width is in sight states the new.
  std::uint16_t stated = 0, called = 0;
  for (std::uint16_t g = 1; g < original.size() && (stated == 0 || called == 0); ++g) {
    (fonts::withCharstringWidth(original[g], 0) ? stated : called) = g;
  }
  ASSERT_TRUE(stated != 0 && called != 0);
  const std::vector<fonts::CodeGlyph> codes = {
      {stated, std::nullopt}, {stated, 300}, {called, std::nullopt}, {called, 300}};
  const std::optional<std::string> converted = fonts::cidKeyedByCode(cff, codes);
  ASSERT_TRUE(converted);
  EXPECT_TRUE(fonts::isCidKeyedCff(*converted));
  const std::vector<std::string> cids = charStringsOf(*converted);
  ASSERT_EQ(cids.size(), 5u);
  EXPECT_EQ(cids[0], original[0]);
  EXPECT_EQ(cids[1], original[stated]);
  EXPECT_NE(cids[2], original[stated]);
  EXPECT_EQ(cids[3], original[called]);
  EXPECT_EQ(cids[4], original[called]);
  EXPECT_EQ(fonts::cidKeyedByCode(*converted, codes), std::nullopt);  // already CID-keyed
}

TEST(CffFonts, DamagedTablesReadAsNothingAndNeverPastTheirEnd) {
  KOLVO_REQUIRE_TERMES();
  const std::string cff = cffTableOf(kTermes);
  const std::vector<fonts::CodeGlyph> codes = {{36, 300}};
  for (std::size_t length = 0; length < cff.size(); length += 997) {
    const std::string cut = cff.substr(0, length);
    EXPECT_EQ(fonts::cidKeyedByCode(cut, codes), std::nullopt) << length;
  }
  EXPECT_EQ(fonts::cidKeyedByCode(cff, {{{60000, std::nullopt}}}), std::nullopt);  // no such glyph
  std::string wrongVersion = cff;
  wrongVersion[0] = 2;
  EXPECT_FALSE(fonts::isCffTable(wrongVersion));
}

// The fonts module opens the name-keyed face (it was refused) and embeds a
// CID-keyed subset far smaller than the face.
TEST(CffFonts, ANameKeyedFaceEmbedsASmallCidKeyedSubset) {
  KOLVO_REQUIRE_TERMES();
  const fonts::FontFace face(kTermes.string(), 0);
  EXPECT_EQ(face.outlines(), OutlineFormat::Cff);
  EXPECT_FALSE(face.cidKeyed());
  const std::vector<std::string> files = {kTermes.string()};
  const auto fallback = fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
  const std::u32string text = U"\u017C\u00F3\u0142\u0107\u0119\u015B\u0105\u1EBF\u1EC7\u01B0\u1EE3\u1EC3";
  for (const char32_t c : text) ASSERT_TRUE(fallback->glyph(c, FontStyle::Regular)) << static_cast<unsigned>(c);
  const EmbeddedFont embedded = fallback->embed(0);
  EXPECT_EQ(embedded.outlines, OutlineFormat::Cff);
  EXPECT_TRUE(embedded.cidKeyed);
  EXPECT_TRUE(fonts::isCidKeyedCff(embedded.program));
  EXPECT_EQ(charStringsOf(embedded.program).size(), text.size() + 1);
  EXPECT_LT(embedded.program.size() * 10, std::filesystem::file_size(kTermes));
  for (std::size_t i = 0; i < embedded.glyphs.size(); ++i) {
    EXPECT_EQ(embedded.glyphs[i].glyph, i + 1);
    EXPECT_EQ(embedded.glyphs[i].unicode, text[i]);
  }
}

// A glyph that shaping placed at another advance gets a code and a
// charstring of its own, flattened so that the width is in sight.
TEST(CffFonts, APlacedCodeOfASubsetStatesItsOwnWidth) {
  KOLVO_REQUIRE_TERMES();
  const fonts::FontFace face(kTermes.string(), 0);
  const std::uint32_t a = *face.glyph(U'a');
  const std::uint32_t b = *face.glyph(U'b');
  const std::vector<std::uint32_t> glyphs = {a, a, b};
  const std::vector<std::uint16_t> advances = {face.advance(a), static_cast<std::uint16_t>(face.advance(a) + 100),
                                               face.advance(b)};
  const fonts::Subset subset = fonts::subsetFace(face, glyphs, advances);
  EXPECT_EQ(subset.glyphs, (std::vector<std::uint16_t>{1, 2, 3}));
  const std::vector<std::string> cids = charStringsOf(subset.program);
  ASSERT_EQ(cids.size(), 4u);
  EXPECT_NE(cids[1], cids[2]);
  EXPECT_TRUE(fonts::withCharstringWidth(cids[1], 0));  // no subroutine ahead of the width
  EXPECT_EQ(fonts::withCharstringWidth(cids[1], 0), fonts::withCharstringWidth(cids[2], 0));
}

// The CFF font of PostScript: its table in hex through the FontSet
// procedures, one CMap per code page however many fonts need it, its code
// pages composed, its characters told by CID; the prologue stays text.
TEST(CffFonts, PostScriptEmbedsACffFontAsCodePagesOfACidFont) {
  FakeFallbackFonts fonts;
  const std::string doc = convertText("\xD0\x96 %bs\xE4\xB8\xAD\xE6\x96\x87\n", Format::PostScript, 's', nullptr,
                                      TextMode::Typed, nullptr, &fonts);
  ASSERT_EQ(fonts.fontCount(), 2u);
  EXPECT_NE(doc.find("/KolvoK0 << /FontType 42"), std::string::npos);  // the TrueType font
  const std::size_t fontSet = doc.find("/FontSetInit /ProcSet findresource begin\n"
                                       "currentfile /ASCIIHexDecode filter cvx exec\n");
  ASSERT_NE(fontSet, std::string::npos);
  EXPECT_LT(doc.find("/CMapName /KolvoPage0 def"), fontSet);
  EXPECT_EQ(doc.find("/CMapName /KolvoPage0 def"), doc.rfind("/CMapName /KolvoPage0 def"));
  std::string start;
  for (const char c : std::string("/KolvoK1 17 StartData ")) {
    start += "0123456789ABCDEF"[static_cast<unsigned char>(c) >> 4];
    start += "0123456789ABCDEF"[c & 0xF];
  }
  EXPECT_NE(doc.find(start, fontSet), std::string::npos);
  EXPECT_NE(doc.find("/GlyphNames2Unicode <<\n1 <4E2D> 2 <6587> >>"), std::string::npos);
  EXPECT_NE(doc.find("/KolvoK1p0 /KolvoPage0 [/KolvoK1 /CIDFont findresource] composefont pop"),
            std::string::npos);
  for (const char c : doc) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

// What a reader makes of Termes in both formats: text back from the PDF and
// from ps2pdf's PDF of the PostScript, a clean qpdf check, Ghostscript
// silent on both.
TEST(CffFontReaders, TermesDrawsAndGivesBackVietnameseAndPolish) {
  KOLVO_REQUIRE_TERMES();
  KOLVO_REQUIRE_TOOL("gs");
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  KOLVO_REQUIRE_TOOL("ps2pdf");
  TempDir dir;
  writeFile(dir / "in.txt", kVietnamese + "\n" + kPolish + "\n");
  for (const char* format : {"pdf", "ps"}) {
    const std::string out = (dir / (std::string("out.") + format)).string();
    const CommandResult run = runKolvo({format, (dir / "in.txt").string(), out, "--escape", "--font",
                                        kTermes.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    // The whole face would take more than the face's size (PostScript's hex
    // twice that); the subset leaves the document well below.
    EXPECT_LT(std::filesystem::file_size(out) * (format == std::string("pdf") ? 4 : 2),
              std::filesystem::file_size(kTermes));
    const CommandResult gs = runCommand({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=nullpage", out});
    EXPECT_EQ(gs.status, 0) << gs.out << gs.err;
    EXPECT_EQ(gs.out + gs.err, "");
  }
  const CommandResult check = runCommand({"qpdf", "--check", (dir / "out.pdf").string()});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_EQ(check.err, "");
  const CommandResult distilled =
      runCommand({"ps2pdf", (dir / "out.ps").string(), (dir / "distilled.pdf").string()});
  ASSERT_EQ(distilled.status, 0) << distilled.err;
  for (const char* pdf : {"out.pdf", "distilled.pdf"}) {
    const CommandResult text = runCommand({"pdftotext", (dir / pdf).string(), "-"});
    EXPECT_NE(text.out.find(kVietnamese), std::string::npos) << pdf << ": " << text.out;
    EXPECT_NE(text.out.find(kPolish), std::string::npos) << pdf << ": " << text.out;
  }
}

}  // namespace
}  // namespace kolvo::test
