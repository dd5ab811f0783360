// Lines wrapped by the Unicode rules, read back by pdftotext. Real Japanese
// and Chinese text (manual pages of manpages-ja and manpages-zh, their
// requests and font escapes taken out, each paragraph one long line)
// converted with --escape --paper a4 to PDF: no printed line starts with
// closing punctuation or ends with opening punctuation, and every CJK
// character comes back in order. A Hebrew paragraph wrapped onto several
// lines: its first words on the first. Slow: it starts zcat and pdftotext;
// it skips where a page, a font or the reader is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

// The page's text: the words of font requests (".B n") kept in their
// paragraph, other requests (".TP") left out and ending it, escapes such as
// \fB and \& taken out, the lines of a paragraph joined with a blank.
std::string paragraphsOf(const std::string& roff) {
  static const std::regex kEscapes(R"(\\f[A-Z0-9]|\\f\(..|\\&|\\[-e/,]|\\\(..|")");
  static const std::regex kFontRequest(R"(^\.(B|I|BR|RB|IR|RI|BI|IB|SM|SB)( |$))");
  std::istringstream in(roff);
  std::string out;
  std::string paragraph;
  const auto endParagraph = [&] {
    if (!paragraph.empty()) out += paragraph + "\n";
    paragraph.clear();
  };
  for (std::string line; std::getline(in, line);) {
    std::smatch request;
    if (std::regex_search(line, request, kFontRequest)) {
      line = line.substr(static_cast<std::size_t>(request.length(0)));
    } else if (line.empty() || line[0] == '.' || line[0] == '\'') {
      endParagraph();
      continue;
    }
    if (!paragraph.empty()) paragraph += ' ';
    paragraph += std::regex_replace(line, kEscapes, "");
  }
  endParagraph();
  return out;
}

// The code points of UTF-8 `text` (valid: the pages and pdftotext's output
// are).
std::u32string codePoints(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out.push_back(c);
    i += length;
  }
  return out;
}

// The characters of CJK text, punctuation and kana included; not the
// ideographic space, which pdftotext takes for a blank between words.
std::u32string cjkOnly(const std::u32string& text) {
  std::u32string out;
  for (const char32_t c : text) {
    if ((c > 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) out.push_back(c);
  }
  return out;
}

constexpr std::u32string_view kClosing = U"、。，．」』）〕］｝〉》】！？：；";
constexpr std::u32string_view kOpening = U"「『（〔［｛〈《【";

struct Page {
  const char* path;
  const char* name;
};

TEST(UnicodeBreakReaders, ManualPagesWrapWithoutPunctuationStartingALine) {
  if (!toolAvailable("pdftotext")) GTEST_SKIP() << "pdftotext is missing (poppler-utils)";
  const std::vector<Page> pages = {
      {"/usr/share/man/ja/man1/ls.1.gz", "ja-ls"},
      {"/usr/share/man/ja/man1/find.1.gz", "ja-find"},
      {"/usr/share/man/zh_CN/man1/tar.1.gz", "zh-tar"},
      {"/usr/share/man/zh_CN/man1/find.1.gz", "zh-find"},
  };
  TempDir dir;
  std::size_t converted = 0;
  for (const Page& page : pages) {
    const CommandResult roff = runCommand({"zcat", page.path});
    if (roff.status != 0) continue;  // manpages-ja or manpages-zh not installed
    const std::string text = paragraphsOf(roff.out);
    const std::filesystem::path input = dir / (std::string(page.name) + ".txt");
    const std::filesystem::path pdf = dir / (std::string(page.name) + ".pdf");
    writeFile(input, text);
    const CommandResult run =
        runKolvo({"--escape", "--paper", "a4", "pdf", input.string(), pdf.string()});
    ASSERT_EQ(run.status, 0) << page.name << ": " << run.err;
    if (run.err.find("shown as") != std::string::npos) {
      GTEST_SKIP() << "no CJK font for " << page.name << " (fonts-noto-cjk): " << run.err;
    }
    const CommandResult read = runCommand({"pdftotext", "-enc", "UTF-8", pdf.string(), "-"});
    ASSERT_EQ(read.status, 0) << read.err;
    std::istringstream lines(read.out);
    std::size_t wrapped = 0;
    for (std::string line; std::getline(lines, line);) {
      const std::u32string shown = codePoints(line);
      if (shown.empty() || shown == U"\f") continue;
      ++wrapped;
      EXPECT_EQ(kClosing.find(shown.front()), std::u32string_view::npos)
          << page.name << ": a line starts with closing punctuation: " << line;
      EXPECT_EQ(kOpening.find(shown.back()), std::u32string_view::npos)
          << page.name << ": a line ends with opening punctuation: " << line;
    }
    EXPECT_GT(wrapped, 20u) << page.name;
    // Compared as a whole, but only where they part is shown.
    const std::u32string back = cjkOnly(codePoints(read.out));
    const std::u32string sent = cjkOnly(codePoints(text));
    const auto parted = std::mismatch(back.begin(), back.end(), sent.begin(), sent.end());
    EXPECT_TRUE(parted.first == back.end() && parted.second == sent.end())
        << page.name << ": the text read back parts from the input at character "
        << parted.first - back.begin() << " of " << sent.size();
    ++converted;
  }
  if (converted == 0) GTEST_SKIP() << "manpages-ja and manpages-zh are not installed";
}

// The numbers of `line` in the order they stand in it.
std::vector<int> numbersIn(const std::string& line) {
  std::vector<int> numbers;
  static const std::regex kNumber("[0-9]+");
  for (auto it = std::sregex_iterator(line.begin(), line.end(), kNumber); it != std::sregex_iterator(); ++it) {
    numbers.push_back(std::stoi(it->str()));
  }
  return numbers;
}

TEST(UnicodeBreakReaders, ARightToLeftParagraphStartsOnTheFirstLine) {
  if (!toolAvailable("pdftotext")) GTEST_SKIP() << "pdftotext is missing (poppler-utils)";
  // Hebrew words numbered 1 to 37 in reading order, one paragraph. Its
  // lines do not divide evenly, so one of them is short.
  const std::vector<std::string> words = {"\u05E9\u05DC\u05D5\u05DD", "\u05E2\u05D5\u05DC\u05DD",
                                          "\u05E1\u05E4\u05E8", "\u05D0\u05E8\u05D5\u05DA"};
  std::string paragraph;
  for (int i = 1; i <= 37; ++i) paragraph += words[static_cast<std::size_t>(i) % words.size()] + std::to_string(i) + " ";
  paragraph.back() = '\n';
  TempDir dir;
  writeFile(dir / "he.txt", paragraph);
  for (const char* format : {"pdf", "ps"}) {
    const std::filesystem::path out = dir / (std::string("he.") + format);
    const CommandResult run = runKolvo({"--escape", "--paper", "a5", format, (dir / "he.txt").string(), out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    if (run.err.find("shown as") != std::string::npos) GTEST_SKIP() << "no Hebrew font: " << run.err;
    std::filesystem::path pdf = out;
    if (std::string(format) == "ps") {
      if (!toolAvailable("ps2pdf")) continue;
      pdf = dir / "he-ps.pdf";
      ASSERT_EQ(runCommand({"ps2pdf", out.string(), pdf.string()}).status, 0);
    }
    const CommandResult read = runCommand({"pdftotext", "-enc", "UTF-8", pdf.string(), "-"});
    ASSERT_EQ(read.status, 0) << read.err;
    // Each printed line holds words of its own; every one of them comes
    // before every word of the lines below it.
    std::istringstream lines(read.out);
    int lastOfAbove = 0;
    std::size_t printed = 0;
    // Filled from the right: the first line full, the short one last.
    std::size_t wordsOfFirst = 0;
    std::size_t wordsOfLast = 0;
    for (std::string line; std::getline(lines, line);) {
      const std::vector<int> numbers = numbersIn(line);
      if (numbers.empty()) continue;
      if (++printed == 1) wordsOfFirst = numbers.size();
      wordsOfLast = numbers.size();
      EXPECT_GT(*std::min_element(numbers.begin(), numbers.end()), lastOfAbove) << format << ": " << line;
      lastOfAbove = *std::max_element(numbers.begin(), numbers.end());
    }
    EXPECT_GT(printed, 2u) << format;
    EXPECT_GE(wordsOfFirst, wordsOfLast) << format;
    EXPECT_EQ(lastOfAbove, 37) << format;
  }
}

}  // namespace
}  // namespace kolvo::test
