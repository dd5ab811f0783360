// Documents laid out with --paper as the programs that read them see them:
// Ghostscript draws as many pages as the file names and every mark inside
// the page, psselect and psnup find the pages, qpdf finds the PDF sound,
// and the text extractors give back every word of every wrapped line, also
// of Russian and Japanese paragraphs drawn with the machine's fonts.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {
namespace {

struct Document {
  std::string text;
  std::vector<std::string> words;  // every word of the text, in order
};

// Four pages or so of paragraphs typed as single lines, some centred, some
// with styles or colours that run across the breaks. Each word is unique.
Document longLineDocument() {
  Document doc;
  int next = 0;
  const auto words = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      char word[16];
      (void)std::snprintf(word, sizeof word, "w%05d", next++);
      doc.words.emplace_back(word);
      text += (i == 0 ? "" : " ") + std::string(word);
    }
    return text;
  };
  // Each line is a list of tags and word counts, taken in order (the
  // operands of one + may be evaluated in any order).
  const auto line = [&](std::initializer_list<std::pair<std::string_view, int>> parts) {
    for (const auto& [tag, n] : parts) {
      doc.text += tag;
      if (n > 0) doc.text += words(n);
    }
    doc.text += '\n';
  };
  for (int i = 0; i < 36; ++i) {
    switch (i % 6) {
      case 0: line({{"%cs", 3 + i}, {"%ce", 0}}); break;
      case 1: line({{"", 40}, {" %bs", 80}, {"%be ", 5}}); break;
      case 2: line({{"", 2}}); break;
      case 3: line({{"%P5", 60}, {"%Pe %is", 30}, {"%ie", 0}}); break;
      case 4: line({{"%cs%bs", 25}, {"%be%ce", 0}}); break;
      default: line({{"", 150}}); break;
    }
  }
  return doc;
}

int count(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Every word in `words` appears in `text` in the same order.
void expectWordsInOrder(const std::string& text, const std::vector<std::string>& words,
                        const std::string& what) {
  std::size_t at = 0;
  for (const std::string& word : words) {
    const std::size_t found = text.find(word, at);
    ASSERT_NE(found, std::string::npos) << what << " lost " << word;
    at = found + word.size();
  }
}

struct Converted {
  test::TempDir dir;
  std::string ps;
  std::string pdf;
};

void convertBoth(Converted& out, const Document& doc, const PaperSize& paper, bool typed) {
  test::writeFile(out.dir / "in.txt", doc.text);
  out.ps = (out.dir / "out.ps").string();
  out.pdf = (out.dir / "out.pdf").string();
  for (const auto& [format, file] : {std::pair{"-p", out.ps}, std::pair{"-P", out.pdf}}) {
    std::vector<std::string> args = {"--paper", std::string(paper.name), format,
                                     (out.dir / "in.txt").string(), file, "-s"};
    if (typed) args.insert(args.begin(), "--escape");
    const test::CommandResult r = test::runKolvo(args);
    ASSERT_EQ(r.status, 0) << r.err;
  }
}

// Ghostscript's bbox device: one box per page drawn, each inside the page.
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
    EXPECT_GE(y0, 0) << file << ": " << line;
    EXPECT_LE(x1, paper.width) << file << ": " << line;
    EXPECT_LE(y1, paper.height) << file << ": " << line;
  }
  EXPECT_EQ(boxes, pages) << file;
}

class PaperReaders : public ::testing::TestWithParam<const char*> {
 protected:
  const PaperSize& paper() const { return *findPaperSize(GetParam()); }
};

TEST_P(PaperReaders, GhostscriptDrawsEveryPageInsideThePaper) {
  KOLVO_REQUIRE_TOOL("gs");
  const Document doc = longLineDocument();
  Converted out;
  convertBoth(out, doc, paper(), true);
  const std::string ps = test::readFile(out.ps);
  EXPECT_TRUE(ps.starts_with("%!PS-Adobe-3.0\n"));
  const int pages = count(ps, "\n%%Page: ");
  EXPECT_GE(pages, 3);
  expectMarksInsideThePage(out.ps, paper(), pages);
  expectMarksInsideThePage(out.pdf, paper(), pages);

  const test::CommandResult text = test::runCommand(
      {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=txtwrite", "-sOutputFile=-", out.ps});
  ASSERT_EQ(text.status, 0) << text.err;
  expectWordsInOrder(text.out, doc.words, "Ghostscript's text");
}

// Markup text (lines under 559 bytes, so none is cut) measures in the
// fonts' standard encoding and stays inside the page too.
TEST_P(PaperReaders, MarkupTextStaysInsideThePaper) {
  KOLVO_REQUIRE_TOOL("gs");
  Document doc;
  for (int i = 0; i < 70; ++i) {
    doc.text += i % 2 == 0 ? "%csA centred line of markup, %bsbold%be and long enough to wrap "
                             "across the right edge of any of the papers%ce\n"
                           : "Plain markup text (with parentheses) \\ and a %P1red%Pe word; "
                             "%Ssthe small text%Se and %xsLARGE%xe ones, %Cscode%Ce, then more "
                             "words until the line is wider than a page. \xE9t\xE9\n";
  }
  Converted out;
  convertBoth(out, doc, paper(), false);
  const int pages = count(test::readFile(out.ps), "\n%%Page: ");
  EXPECT_GE(pages, 2);
  expectMarksInsideThePage(out.ps, paper(), pages);
  expectMarksInsideThePage(out.pdf, paper(), pages);
}

TEST_P(PaperReaders, PageToolsFindThePages) {
  KOLVO_REQUIRE_TOOL("gs");
  KOLVO_REQUIRE_TOOL("psselect");
  KOLVO_REQUIRE_TOOL("psnup");
  Converted out;
  convertBoth(out, longLineDocument(), paper(), true);
  const int pages = count(test::readFile(out.ps), "\n%%Page: ");
  const std::string second = (out.dir / "second.ps").string();
  const test::CommandResult select = test::runCommand({"psselect", "-p2", out.ps, second});
  ASSERT_EQ(select.status, 0) << select.err;
  EXPECT_EQ(count(test::readFile(second), "\n%%Page: "), 1);
  expectMarksInsideThePage(second, paper(), 1);

  const std::string two = (out.dir / "two.ps").string();
  const test::CommandResult nup = test::runCommand({"psnup", "-2", out.ps, two});
  ASSERT_EQ(nup.status, 0) << nup.err;
  const test::CommandResult drawn = test::runCommand(
      {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", two});
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_EQ(drawn.err.find("Error"), std::string::npos) << drawn.err;
  EXPECT_EQ(count(drawn.err, "%%BoundingBox: "), (pages + 1) / 2);
}

TEST_P(PaperReaders, PdfIsSoundWithThePaperSizeAndEveryWord) {
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdfinfo");
  KOLVO_REQUIRE_TOOL("pdftotext");
  const Document doc = longLineDocument();
  Converted out;
  convertBoth(out, doc, paper(), true);
  const test::CommandResult check = test::runCommand({"qpdf", "--check", out.pdf});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  const test::CommandResult info = test::runCommand({"pdfinfo", out.pdf});
  const std::string size = "Page size:       " + std::to_string(paper().width) + " x " +
                           std::to_string(paper().height) + " pts";
  EXPECT_NE(info.out.find(size), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("Pages:           " +
                          std::to_string(count(test::readFile(out.ps), "\n%%Page: "))),
            std::string::npos)
      << info.out;
  const test::CommandResult text = test::runCommand({"pdftotext", out.pdf, "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  expectWordsInOrder(text.out, doc.words, "pdftotext");
}

// Whether fontconfig knows a font for `language` ("ru", "ja").
bool fontFor(const std::string& language) {
  return test::toolAvailable("fc-list") &&
         !test::runCommand({"fc-list", ":lang=" + language, "family"}).out.empty();
}

// A paragraph on one line, drawn with fallback fonts: Russian, 700 distinct
// words (two pages or so), or Japanese, with no blank at all.
Document fallbackParagraph(bool japanese) {
  Document doc;
  if (japanese) {
    for (int i = 0; i < 60; ++i) doc.text += "東京の会議は来週の木曜日です。";
    doc.words.push_back(doc.text);
  } else {
    const std::vector<std::string> letters = {"а", "б", "в", "г", "д", "е", "ж", "з", "и", "к",
                                              "л", "м", "н", "о", "п", "р", "с", "т", "у", "ф"};
    for (std::size_t i = 0; i < 700; ++i) {
      doc.words.push_back("слово" + letters[i / 400] + letters[i / 20 % 20] + letters[i % 20]);
      doc.text += (i == 0 ? "" : " ") + doc.words.back();
    }
  }
  doc.text += '\n';
  return doc;
}

// What pdftotext reads; a Japanese text without the line ends it adds.
std::string readBack(const std::string& pdf, bool japanese) {
  std::string text = test::runCommand({"pdftotext", pdf, "-"}).out;
  if (japanese) std::erase_if(text, [](char c) { return c == '\n' || c == '\f' || c == ' '; });
  return text;
}

TEST_P(PaperReaders, FallbackFontParagraphsKeepEveryWordAndCharacter) {
  KOLVO_REQUIRE_TOOL("gs");
  KOLVO_REQUIRE_TOOL("ps2pdf");
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  for (const bool japanese : {false, true}) {
    if (!fontFor(japanese ? "ja" : "ru")) {
      GTEST_SKIP() << "no font for " << (japanese ? "ja" : "ru")
                   << " (fonts-dejavu-core, fonts-wqy-zenhei or fonts-noto-cjk)";
    }
    const Document doc = fallbackParagraph(japanese);
    Converted out;
    convertBoth(out, doc, paper(), true);
    const test::CommandResult check = test::runCommand({"qpdf", "--check", out.pdf});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    const int pages = count(test::readFile(out.ps), "\n%%Page: ");
    EXPECT_GE(pages, japanese ? 1 : 2);
    expectMarksInsideThePage(out.ps, paper(), pages);
    expectMarksInsideThePage(out.pdf, paper(), pages);
    const std::string fromPs = (out.dir / "from-ps.pdf").string();
    ASSERT_EQ(test::runCommand({"ps2pdf", out.ps, fromPs}).status, 0);
    expectWordsInOrder(readBack(out.pdf, japanese), doc.words, "pdftotext");
    expectWordsInOrder(readBack(fromPs, japanese), doc.words, "pdftotext after ps2pdf");
    if (japanese || !test::toolAvailable("psselect")) continue;
    // Each page selects the font in force, a fallback font's page among them.
    const std::string second = (out.dir / "second.ps").string();
    ASSERT_EQ(test::runCommand({"psselect", "-p2", out.ps, second}).status, 0);
    expectMarksInsideThePage(second, paper(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PaperReaders, ::testing::Values("a4", "letter"));

// Drawing lines use A4's coordinates; on other paper they keep their
// distance from the top edge, as the text does, so a box drawn around two
// lines on A4 still goes around them. Ghostscript renders each page at one
// pixel a point, and the red rows of the box must enclose exactly the rows
// of dark pixels of the two lines inside it, the lines above and below it
// staying outside.
struct Rows {
  int boxTop = -1, boxBottom = -1;  // pixel rows, from the top edge
  std::vector<std::pair<int, int>> text;  // first and last row of each line of text
};

Rows rowsOfPage(const std::string& ppm) {
  std::istringstream in(ppm);
  std::string magic;
  in >> magic;
  // Comment lines may follow the magic number.
  while (in >> std::ws && in.peek() == '#') in.ignore(1 << 20, '\n');
  int width = 0, height = 0, depth = 0;
  in >> width >> height >> depth;
  in.get();
  const std::size_t start = static_cast<std::size_t>(in.tellg());
  Rows rows;
  bool inText = false;
  for (int y = 0; y < height; ++y) {
    bool red = false, dark = false;
    for (int x = 0; x < width; ++x) {
      const std::size_t at = start + 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x));
      if (at + 2 >= ppm.size()) break;
      const auto r = static_cast<unsigned char>(ppm[at]);
      const auto g = static_cast<unsigned char>(ppm[at + 1]);
      const auto b = static_cast<unsigned char>(ppm[at + 2]);
      red = red || (r > 200 && g < 80 && b < 80);
      dark = dark || (r < 100 && g < 100 && b < 100);
    }
    if (red) {
      if (rows.boxTop < 0) rows.boxTop = y;
      rows.boxBottom = y;
    }
    if (dark && !inText) rows.text.push_back({y, y});
    if (dark) rows.text.back().second = y;
    inText = dark;
  }
  return rows;
}

class DrawingPaperReaders : public ::testing::TestWithParam<const char*> {};

TEST_P(DrawingPaperReaders, ABoxDrawnAroundLinesStaysAroundThem) {
  KOLVO_REQUIRE_TOOL("gs");
  // A4 baselines 805, 790, 775 and 760; the box from 770 to 801 holds the
  // second and third lines. It comes last: a drawing's colour stays in force
  // for the text after it.
  const std::string text = "Hxy first\nHxy second\nHxy third\nHxy fourth\n$sr 1  25 770 200 801\n";
  for (const bool typed : {false, true}) {
    SCOPED_TRACE(typed ? "--escape" : "markup");
    Converted out;
    convertBoth(out, {text, {}}, *findPaperSize(GetParam()), typed);
    for (const std::string& file : {out.ps, out.pdf}) {
      const test::CommandResult r = test::runCommand(
          {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=ppmraw", "-r72",
           "-dTextAlphaBits=1", "-dGraphicsAlphaBits=1", "-sOutputFile=-", file});
      ASSERT_EQ(r.status, 0) << r.err;
      const Rows rows = rowsOfPage(r.out);
      ASSERT_GE(rows.boxTop, 0) << file << ": no box drawn";
      ASSERT_EQ(rows.text.size(), 4u) << file;
      for (std::size_t i = 0; i < rows.text.size(); ++i) {
        const auto [first, last] = rows.text[i];
        const bool inside = i == 1 || i == 2;
        if (inside) {
          EXPECT_GT(first, rows.boxTop) << file << ": line " << i + 1;
          EXPECT_LT(last, rows.boxBottom) << file << ": line " << i + 1;
        } else {
          EXPECT_TRUE(last < rows.boxTop || first > rows.boxBottom) << file << ": line " << i + 1;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DrawingPaperReaders, ::testing::Values("a4", "letter", "legal", "a5"));

}  // namespace
}  // namespace kolvo
