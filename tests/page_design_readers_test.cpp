// Pages for print as their readers see them: a footer with "Page N of M"
// on each of 300 pages (PostScript through Ghostscript's ps2pdf, and PDF)
// found by pdftotext on its own page, every mark inside the paper, qpdf
// content with the PDF, and --mono's columns given back by pdftotext.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace kolvo {
namespace {

constexpr int kPages = 300;

// Five lines a page, each page but the last ended by %pg; parentheses and
// backslashes in the text, a file name with a blank.
std::string pagedDocument() {
  std::string text;
  for (int page = 1; page <= kPages; ++page) {
    for (int line = 0; line < 5; ++line) {
      text += "Page " + std::to_string(page) + " text (line " + std::to_string(line) + ") \\";
      if (line == 4 && page < kPages) text += "%pg";
      text += "\n";
    }
  }
  return text;
}

std::vector<std::string> pagesOf(const std::string& text) {
  std::vector<std::string> pages;
  std::size_t from = 0;
  for (std::size_t feed = text.find('\f'); feed != std::string::npos; feed = text.find('\f', from)) {
    pages.push_back(text.substr(from, feed - from));
    from = feed + 1;
  }
  return pages;
}

void expectPageNumbersOnTheirPages(const std::string& pdf) {
  const test::CommandResult text = test::runCommand({"pdftotext", pdf, "-"});
  ASSERT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> pages = pagesOf(text.out);
  ASSERT_EQ(pages.size(), static_cast<std::size_t>(kPages)) << pdf;
  for (int page = 1; page <= kPages; ++page) {
    const std::string& shown = pages[static_cast<std::size_t>(page - 1)];
    EXPECT_NE(shown.find("Page " + std::to_string(page) + " of 300"), std::string::npos)
        << pdf << " page " << page << ":\n" << shown;
    EXPECT_NE(shown.find("my notes.txt"), std::string::npos) << page;
    EXPECT_NE(shown.find("Page " + std::to_string(page) + " text (line 4) \\"), std::string::npos)
        << page;
  }
}

void expectMarksInsideA4(const std::string& file) {
  const test::CommandResult r = test::runCommand(
      {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.err);
  int boxes = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("%%HiResBoundingBox: ")) continue;
    ++boxes;
    double x0 = -1, y0 = -1, x1 = 1e9, y1 = 1e9;
    std::istringstream(line.substr(20)) >> x0 >> y0 >> x1 >> y1;
    EXPECT_GE(x0, 0) << line;
    EXPECT_GE(y0, 0) << line;
    EXPECT_LE(x1, 595) << line;
    EXPECT_LE(y1, 842) << line;
  }
  EXPECT_EQ(boxes, kPages) << file;
}

TEST(PageDesignReaders, EveryOfThreeHundredPagesShowsItsNumberAndTheCount) {
  for (const char* tool : {"pdftotext", "ps2pdf", "gs", "qpdf"}) KOLVO_REQUIRE_TOOL(tool);
  test::TempDir dir;
  const std::string input = (dir / "my notes.txt").string();
  test::writeFile(input, pagedDocument());
  const std::string ps = (dir / "out.ps").string();
  const std::string pdf = (dir / "out.pdf").string();
  const std::string fromPs = (dir / "from-ps.pdf").string();
  for (const auto& [format, file] : {std::pair{"ps", ps}, std::pair{"pdf", pdf}}) {
    const test::CommandResult r =
        test::runKolvo({"--footer", "%f||Page %p of %P", "--header", "|%d|", format, input, file});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const test::CommandResult converted = test::runCommand({"ps2pdf", ps, fromPs});
  ASSERT_EQ(converted.status, 0) << converted.err;
  expectPageNumbersOnTheirPages(pdf);
  expectPageNumbersOnTheirPages(fromPs);
  expectMarksInsideA4(pdf);
  expectMarksInsideA4(ps);
  const test::CommandResult check = test::runCommand({"qpdf", "--check", pdf});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("No syntax or stream encoding errors"), std::string::npos) << check.out;
}

// Columns aligned with blanks, some in bold and italic: with --mono every
// character is 7.2 points wide, and pdftotext reading 7.2-point cells
// gives the columns back blank for blank.
TEST(PageDesignReaders, MonoKeepsColumnsAlignedWithBlanks) {
  for (const char* tool : {"pdftotext", "ps2pdf"}) KOLVO_REQUIRE_TOOL(tool);
  const std::string typed =
      "Name        Qty    Price   Note\n"
      "Apple         3     1.20   %bsred%be\n"
      "Pear         10     0.50   %isgreen%ie\n"
      "Fig         100    12.00   dried\n"
      "  indented   x       y     z\n";
  const std::string shown =
      "Name        Qty    Price   Note\n"
      "Apple         3     1.20   red\n"
      "Pear         10     0.50   green\n"
      "Fig         100    12.00   dried\n"
      "  indented   x       y     z\n";
  test::TempDir dir;
  test::writeFile(dir / "cols.txt", typed);
  const std::string pdf = (dir / "cols.pdf").string();
  const std::string ps = (dir / "cols.ps").string();
  const std::string fromPs = (dir / "from-ps.pdf").string();
  ASSERT_EQ(test::runKolvo({"--mono", "pdf", (dir / "cols.txt").string(), pdf}).status, 0);
  ASSERT_EQ(test::runKolvo({"--mono", "ps", (dir / "cols.txt").string(), ps}).status, 0);
  ASSERT_EQ(test::runCommand({"ps2pdf", ps, fromPs}).status, 0);
  for (const std::string& file : {pdf, fromPs}) {
    const test::CommandResult text = test::runCommand({"pdftotext", "-fixed", "7.2", file, "-"});
    ASSERT_EQ(text.status, 0) << text.err;
    // The left margin, 30 points, is four cells before every line.
    std::string columns;
    std::istringstream lines(text.out);
    for (std::string line; std::getline(lines, line) && columns.size() < shown.size();) {
      ASSERT_TRUE(line.starts_with("    ")) << line;
      columns += line.substr(4) + "\n";
    }
    EXPECT_EQ(columns, shown) << file;
  }
}

}  // namespace
}  // namespace kolvo
