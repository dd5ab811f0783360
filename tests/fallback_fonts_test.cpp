// The program with the fonts of this machine: a one-page letter stays
// small, standard input gives what a file gives, and a bad --font stops the
// run (FallbackFonts); Russian and Japanese text in PostScript and PDF comes
// back from the readers (FallbackFontReaders, slow). Tests skip, saying why,
// where a font or reader is missing.
#include <gtest/gtest.h>

#include <string>

#include "fonts/font_finder.hpp"
#include "fonts/script_ranges.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

// Whether fontconfig knows a font for the language of `sample`, asked in
// this process as the program asks it.
bool fontFor(char32_t sample) {
  return !fonts::FontFinder().candidates(sample, FontStyle::Regular).empty();
}

#define KOLVO_REQUIRE_FONT(language, sample)                                            \
  do {                                                                                  \
    if (!fontFor(sample)) GTEST_SKIP() << "no font for " language " (fonts-dejavu-core, " \
                                          "fonts-wqy-zenhei or fonts-noto-cjk)";       \
  } while (0)

const std::string kRussian =
    "%bs\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xBE%be \xD0\xB4\xD0\xBB\xD1\x8F "
    "%is\xD0\xB4\xD1\x80\xD1\x83\xD0\xB3\xD0\xB0%ie: \xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82!\n";
const std::string kRussianWords =
    "\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xBE \xD0\xB4\xD0\xBB\xD1\x8F "
    "\xD0\xB4\xD1\x80\xD1\x83\xD0\xB3\xD0\xB0: \xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82!";

std::string pdfText(const std::filesystem::path& pdf) {
  return runCommand({"pdftotext", pdf.string(), "-"}).out;
}

constexpr char32_t kRussianSample = U'\u0416';   // Ж
constexpr char32_t kJapaneseSample = U'\u6771';  // 東

// お知らせ, then forty lines of 東京の会議は来週の木曜日です。 twice.
const std::string kJapaneseSentence =
    "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE4\xBC\x9A\xE8\xAD\xB0\xE3\x81\xAF\xE6\x9D\xA5\xE9\x80"
    "\xB1\xE3\x81\xAE\xE6\x9C\xA8\xE6\x9B\x9C\xE6\x97\xA5\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82";
std::string japaneseLetter() {
  std::string letter = "%Bs\xE3\x81\x8A\xE7\x9F\xA5\xE3\x82\x89\xE3\x81\x9B%Be\n\n";
  for (int i = 0; i < 40; ++i) letter += kJapaneseSentence + kJapaneseSentence + "\n";
  return letter;
}

// What the warning says would draw the characters no installed font has:
// a package only where it is not installed yet, grouped, and otherwise
// that none is known; private-use characters only by a font of their own.
TEST(MissingGlyphHint, NamesOnlyPackagesNotYetInstalled) {
  const auto installed = [](std::string_view name) { return name == "fonts-noto-core"; };
  const std::u32string missing = {U'\u4E2D', U'\u0870', U'\uE000', U'\u56FD',
                                  U'\U00011F04', U'\U000F0001', U'\U0001F600'};
  EXPECT_EQ(fonts::missingGlyphHint(missing, installed),
            "fonts-noto-cjk would draw U+4E2D U+56FD; "
            "no font package known here draws U+0870 U+11F04; "
            "only a --font made for private use draws U+E000 U+F0001; "
            "fonts-symbola would draw U+1F600");
  EXPECT_EQ(fonts::missingGlyphHint({}, installed), "");
}

TEST(FallbackFonts, AOnePageJapaneseLetterIsASmallPdf) {
  KOLVO_REQUIRE_FONT("ja", kJapaneseSample);
  TempDir dir;
  writeFile(dir / "letter.txt", japaneseLetter());
  const CommandResult r = runKolvo(
      {"--escape", "-P", (dir / "letter.txt").string(), (dir / "letter.pdf").string(), "-s"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pdf = readFile(dir / "letter.pdf");
  EXPECT_NE(pdf.find("/Subtype /Type0"), std::string::npos);
  EXPECT_LT(pdf.size(), 100u * 1024);
  // The resource dictionary comes once, after the fonts, naming them.
  const std::size_t resources = pdf.find("\n4 0 obj");
  EXPECT_EQ(pdf.rfind("\n4 0 obj"), resources);
  EXPECT_LT(pdf.find("\n40 0 obj"), resources);
  EXPECT_NE(pdf.find("/K0 40 0 R", resources), std::string::npos);
}

TEST(FallbackFonts, StandardInputGivesWhatAFileGives) {
  KOLVO_REQUIRE_FONT("ru", kRussianSample);
  TempDir dir;
  writeFile(dir / "in.txt", kRussian);
  ASSERT_EQ(runKolvo({"--escape", "-p", (dir / "in.txt").string(), (dir / "out.ps").string(), "-s"}).status, 0);
  ASSERT_EQ(runKolvo({"--escape", "-P", (dir / "in.txt").string(), (dir / "out.pdf").string(), "-s"}).status, 0);
  // Standard input is read twice through a temporary file: the same bytes.
  const CommandResult piped = runKolvo({"--escape", "-p", "-", "-", "-s"}, kRussian);
  EXPECT_EQ(piped.status, 0);
  EXPECT_TRUE(sameBytes(readFile(dir / "out.ps"), piped.out));
  const CommandResult pipedPdf = runKolvo({"--escape", "-P", "-", "-", "-s"}, kRussian);
  EXPECT_EQ(pipedPdf.status, 0);
  EXPECT_TRUE(sameBytes(readFile(dir / "out.pdf"), pipedPdf.out));
}

TEST(FallbackFontReaders, RussianPdfIsValidAndItsTextComesBack) {
  KOLVO_REQUIRE_FONT("ru", kRussianSample);
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  writeFile(dir / "in.txt", kRussian);
  const CommandResult r =
      runKolvo({"--escape", "-P", (dir / "in.txt").string(), (dir / "out.pdf").string(), "-s"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const CommandResult check = runCommand({"qpdf", "--check", (dir / "out.pdf").string()});
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(pdfText(dir / "out.pdf").find(kRussianWords), std::string::npos);
}

TEST(FallbackFontReaders, RussianPostScriptRunsInGhostscriptAndItsTextComesBack) {
  KOLVO_REQUIRE_FONT("ru", kRussianSample);
  KOLVO_REQUIRE_TOOL("gs");
  KOLVO_REQUIRE_TOOL("ps2pdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  writeFile(dir / "in.txt", kRussian);
  ASSERT_EQ(runKolvo({"--escape", "-p", (dir / "in.txt").string(), (dir / "out.ps").string(), "-s"}).status, 0);
  const CommandResult gs = runCommand({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER",
                                       "-sDEVICE=nullpage", (dir / "out.ps").string()});
  EXPECT_EQ(gs.status, 0) << gs.out << gs.err;
  EXPECT_EQ(gs.out + gs.err, "");
  ASSERT_EQ(runCommand({"ps2pdf", (dir / "out.ps").string(), (dir / "out.pdf").string()}).status, 0);
  EXPECT_NE(pdfText(dir / "out.pdf").find(kRussianWords), std::string::npos);
}

TEST(FallbackFontReaders, AJapaneseLetterComesBackFromThePdf) {
  KOLVO_REQUIRE_FONT("ja", kJapaneseSample);
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  writeFile(dir / "letter.txt", japaneseLetter());
  ASSERT_EQ(runKolvo({"--escape", "-P", (dir / "letter.txt").string(),
                      (dir / "letter.pdf").string(), "-s"})
                .status,
            0);
  EXPECT_NE(pdfText(dir / "letter.pdf").find(kJapaneseSentence + kJapaneseSentence),
            std::string::npos);
}

TEST(FallbackFonts, AFontFileThatIsNoFontStopsTheRunBeforeTheOutput) {
  TempDir dir;
  writeFile(dir / "in.txt", kRussian);
  writeFile(dir / "font.ttf", "not a font");
  const CommandResult r = runKolvo({"--escape", "--font", (dir / "font.ttf").string(), "-P",
                                    (dir / "in.txt").string(), (dir / "out.pdf").string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("font.ttf"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.pdf"));
  // --font without a file is a usage error; without --escape or for the
  // flowing formats the fonts are not opened at all.
  EXPECT_EQ(runKolvo({"--escape", "--font"}).status, 2);
  EXPECT_EQ(runKolvo({"--font", (dir / "font.ttf").string(), "-h", (dir / "in.txt").string(),
                      (dir / "out.html").string(), "-s"})
                .status,
            0);
}

}  // namespace
}  // namespace kolvo::test
