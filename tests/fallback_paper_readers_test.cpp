// Russian and Japanese paragraphs, each typed as one long line, converted
// with --escape --paper and the machine's fonts, as the readers see them:
// qpdf finds the PDF sound, Ghostscript draws every page inside the paper,
// psselect takes a page out, and the text comes back whole: every Russian
// word in order, every Japanese character. Tests skip, saying why, where a
// font or reader is missing.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.hpp"
#include "writers/paper_size.hpp"

namespace kolvo {
namespace {

// Whether fontconfig knows a font for `language` ("ru", "ja").
bool fontFor(const std::string& language) {
  if (!test::toolAvailable("fc-list")) return false;
  return !test::runCommand({"fc-list", ":lang=" + language, "family"}).out.empty();
}

#define KOLVO_REQUIRE_FONT(language)                                                         \
  do {                                                                                       \
    if (!fontFor(language)) {                                                                \
      GTEST_SKIP() << "no font for " language " (fonts-dejavu-core, fonts-wqy-zenhei or "    \
                      "fonts-noto-cjk)";                                                      \
    }                                                                                        \
  } while (0)

// 700 distinct Russian words on one line: two pages or so of any paper.
std::vector<std::string> russianWords() {
  // Twenty letters, two bytes each in UTF-8.
  const std::vector<std::string> letters = {"а", "б", "в", "г", "д", "е", "ж", "з", "и", "к",
                                            "л", "м", "н", "о", "п", "р", "с", "т", "у", "ф"};
  std::vector<std::string> words;
  for (std::size_t i = 0; i < 700; ++i) {
    words.push_back("слово" + letters[i / 400] + letters[i / 20 % 20] + letters[i % 20]);
  }
  return words;
}

// A Japanese paragraph with no blank at all.
std::string japaneseText() {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "東京の会議は来週の木曜日です。";
  return text;
}

std::string withoutWhitespace(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c != ' ' && c != '\n' && c != '\f' && c != '\r' && c != '\t') out += c;
  }
  return out;
}

int count(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Ghostscript's bbox device: one box per page, each inside the paper.
void expectMarksInsideThePage(const std::string& file, const PaperSize& paper, int pages) {
  const test::CommandResult r = test::runCommand(
      {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
  ASSERT_EQ(r.status, 0) << r.err << r.out;
  EXPECT_EQ(r.err.find("Error"), std::string::npos) << r.err;
  std::istringstream lines(r.err);
  std::string line;
  int boxes = 0;
  while (std::getline(lines, line)) {
    if (!line.starts_with("%%HiResBoundingBox: ")) continue;
    ++boxes;
    double x0 = -1, y0 = -1, x1 = 1e9, y1 = 1e9;
    std::istringstream(line.substr(20)) >> x0 >> y0 >> x1 >> y1;
    EXPECT_GE(x0, 0) << file << ": " << line;
    EXPECT_LE(x1, paper.width) << file << ": " << line;
    EXPECT_GE(y0, 0) << file << ": " << line;
    EXPECT_LE(y1, paper.height) << file << ": " << line;
  }
  EXPECT_EQ(boxes, pages) << file;
}

class FallbackPaperReaders : public ::testing::TestWithParam<const char*> {
 protected:
  const PaperSize& paper() const { return *findPaperSize(GetParam()); }

  // Converts `text` to PostScript and PDF, checks both with Ghostscript
  // and qpdf, and gives back the text pdftotext reads from the PDF and from
  // the PostScript through ps2pdf.
  std::vector<std::string> convertAndRead(const std::string& text) {
    test::writeFile(dir_ / "in.txt", text + "\n");
    const std::string ps = (dir_ / "out.ps").string();
    const std::string pdf = (dir_ / "out.pdf").string();
    for (const auto& [format, file] : {std::pair{"-p", ps}, std::pair{"-P", pdf}}) {
      const test::CommandResult r = test::runKolvo({"--escape", "--paper", GetParam(), format,
                                                    (dir_ / "in.txt").string(), file, "-s"});
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.err, "");
    }
    const test::CommandResult check = test::runCommand({"qpdf", "--check", pdf});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    const int pages = count(test::readFile(ps), "\n%%Page: ");
    expectMarksInsideThePage(ps, paper(), pages);
    expectMarksInsideThePage(pdf, paper(), pages);
    const std::string fromPs = (dir_ / "from-ps.pdf").string();
    EXPECT_EQ(test::runCommand({"ps2pdf", ps, fromPs}).status, 0);
    return {test::runCommand({"pdftotext", pdf, "-"}).out,
            test::runCommand({"pdftotext", fromPs, "-"}).out};
  }

  test::TempDir dir_;
};

#define KOLVO_REQUIRE_READERS()       \
  KOLVO_REQUIRE_TOOL("gs");           \
  KOLVO_REQUIRE_TOOL("ps2pdf");       \
  KOLVO_REQUIRE_TOOL("qpdf");         \
  KOLVO_REQUIRE_TOOL("pdftotext")

TEST_P(FallbackPaperReaders, ARussianParagraphKeepsEveryWordAndPage) {
  KOLVO_REQUIRE_FONT("ru");
  KOLVO_REQUIRE_READERS();
  const std::vector<std::string> words = russianWords();
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  for (const std::string& read : convertAndRead(text)) {
    std::size_t at = 0;
    for (const std::string& word : words) {
      const std::size_t found = read.find(word, at);
      ASSERT_NE(found, std::string::npos) << "lost " << word << " on " << GetParam();
      at = found + word.size();
    }
  }
  const std::string ps = (dir_ / "out.ps").string();
  EXPECT_GE(count(test::readFile(ps), "\n%%Page: "), 2);
  if (!test::toolAvailable("psselect")) GTEST_SKIP() << "psselect is not installed";
  const std::string second = (dir_ / "second.ps").string();
  ASSERT_EQ(test::runCommand({"psselect", "-p2", ps, second}).status, 0);
  expectMarksInsideThePage(second, paper(), 1);
}

TEST_P(FallbackPaperReaders, AJapaneseParagraphWithoutBlanksKeepsEveryCharacter) {
  KOLVO_REQUIRE_FONT("ja");
  KOLVO_REQUIRE_READERS();
  const std::string text = japaneseText();
  for (const std::string& read : convertAndRead(text)) {
    EXPECT_EQ(withoutWhitespace(read), text) << GetParam();
  }
  EXPECT_GE(count(test::readFile(dir_ / "out.pdf"), " Td <"), 10);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FallbackPaperReaders, ::testing::Values("a4", "letter"));

}  // namespace
}  // namespace kolvo
