// The usage text and the unknown-format message are made from the tables;
// their bytes stay what users and the manual page know.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/options.hpp"
#include "driver/usage_text.hpp"
#include "markup/format.hpp"

namespace kolvo::test {
namespace {

TEST(UsageText, KeepsItsBytes) {
  EXPECT_EQ(usageText(),
            "Usage: kolvo [--escape] [--paper SIZE] [--font FILE] FORMAT INPUT OUTPUT OPTION\n"
            "       kolvo --help | --version | --markup-reference [man]\n"
            "       kolvo [--escape] [--paper SIZE] [--font FILE] --check [FORMAT] INPUT\n"
            "Converts INPUT, a text file with Kolvo markup, into OUTPUT.\n"
            "Of FORMAT and OPTION only the second character counts: -h, /h and xh all mean HTML.\n"
            "\n"
            "Formats:\n"
            "  a  AbiWord        d  DocBook 5      h  HTML         r  RTF\n"
            "  l  LaTeX          p  PostScript     P  PDF          o  OpenDocument text\n"
            "Options:\n"
            "  s  none (any other letter means none too)\n"
            "  t  small top spacing      T  large top spacing\n"
            "  v  progress trace         V  print the version line first\n"
            "INPUT and OUTPUT may be - for standard input and standard output; then the\n"
            "version line and the progress trace go to standard error.\n"
            "\n"
            "  --help                   print this text\n"
            "  --version                print the version line\n"
            "  --markup-reference       print every tag of the markup as a Markdown table\n"
            "  --markup-reference man   the same table as a tbl table for the manual page\n"
            "  --escape                 show the text exactly as typed, in every format\n"
            "  --paper SIZE             page size a4, letter, legal or a5; long lines wrap\n"
            "  --paper auto             the size in PAPERSIZE or /etc/papersize, else a4\n"
            "  --font FILE              PostScript, PDF: draw missing glyphs with FILE first\n"
            "  --check [FORMAT] INPUT   report markup mistakes for FORMAT, or for all\n"
            "\n"
            "Exit status: 0 done, 1 a file could not be read or written, 2 wrong command line.\n"
            "With --check: 0 nothing found, 1 a warning or error found (or INPUT unreadable).\n"
            "Example: kolvo -p letter.txt letter.ps -s\n"
            "The tags and drawing lines are described in kolvo(1) and the README.\n");
}

TEST(UsageText, FormatListHoldsEveryRowInOrderWithinEightyColumns) {
  const std::string text = usageText();
  const std::size_t from = text.find("Formats:\n");
  const std::size_t to = text.find("Options:\n");
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  std::istringstream lines(text.substr(from + 9, to - from - 9));
  std::string expected;
  std::string line;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80u) << line;
    expected += line;
  }
  std::size_t at = 0;
  for (const FormatInfo& f : kFormats) {
    const std::string entry = std::string(1, f.letter) + "  " + std::string(f.name);
    at = expected.find(entry, at);
    ASSERT_NE(at, std::string::npos) << entry;
  }
}

TEST(UsageText, UnknownFormatMessageKeepsItsBytes) {
  EXPECT_EQ(unknownFormatMessage("-x"),
            "unknown format '-x': its second character must be one of a (AbiWord), d (DocBook 5), "
            "h (HTML), r (RTF), l (LaTeX), p (PostScript), P (PDF), o (OpenDocument text)");
}

std::optional<CommandLineRequest> acceptColumns(const char*, ConversionSettings&) {
  return std::nullopt;
}

// A setting is a row of the option table: the synopsis and the option list
// show it without more code.
TEST(UsageText, ShowsASettingOptionFromItsRowAlone) {
  std::vector<LongOption> options(kLongOptions.begin(), kLongOptions.end());
  options.push_back({"--columns", OptionRole::Setting, OptionArgument::Word, "N", acceptColumns,
                     {{{"--columns N", "set the text in N columns"}}}});
  const std::string text = usageText(options);
  EXPECT_EQ(text.rfind("Usage: kolvo [--escape] [--paper SIZE] [--font FILE] [--columns N] "
                       "FORMAT INPUT OUTPUT OPTION\n"
                       "       kolvo --help | --version | --markup-reference [man]\n",
                       0),
            0u);
  EXPECT_NE(text.find("or for all\n  --columns N              set the text in N columns\n"
                      "\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kolvo::test
