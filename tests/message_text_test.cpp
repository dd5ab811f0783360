// The user's bytes as messages show them: what could act on a terminal or
// break a message line is escaped, everything that prints stays.
#include <gtest/gtest.h>

#include <string>

#include "io/message_text.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

TEST(Printable, ControlBytesAreEscapesAndTextStays) {
  EXPECT_EQ(printable("report 2024.txt"), "report 2024.txt");
  EXPECT_EQ(printable("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(printable(std::string("\r\0p\t\n", 5)), "\\r\\x00p\\t\\n");
  EXPECT_EQ(printable("\x1b[31mred\x7f"), "\\x1b[31mred\\x7f");
  // A typed backslash is doubled, so that "\x1b" typed is not ESC shown.
  EXPECT_EQ(printable("a\\x1b"), "a\\\\x1b");
  EXPECT_EQ(printable(""), "");
}

TEST(Printable, InvalidUtf8IsEscapedByteByByte) {
  EXPECT_EQ(printable("\xFF\xFE"), "\\xff\\xfe");
  EXPECT_EQ(printable("\xC3"), "\\xc3");                   // cut at the end
  EXPECT_EQ(printable("\xC3x"), "\\xc3x");                 // cut before a letter
  EXPECT_EQ(printable("\xC0\xAF"), "\\xc0\\xaf");          // overlong "/"
  EXPECT_EQ(printable("\xE0\x80\xAF"), "\\xe0\\x80\\xaf");  // overlong, three bytes
  EXPECT_EQ(printable("\xED\xA0\x80"), "\\xed\\xa0\\x80");  // a surrogate
  EXPECT_EQ(printable("\xF4\x90\x80\x80"), "\\xf4\\x90\\x80\\x80");  // past U+10FFFF
}

TEST(Printable, CharactersThatActOnTheTerminalAreEscaped) {
  EXPECT_EQ(printable("\xC2\x9B" "2J"), "\\xc2\\x9b2J");            // C1 CSI
  EXPECT_EQ(printable("a\xE2\x80\xAE" "b"), "a\\xe2\\x80\\xaeb");   // right-to-left override
  EXPECT_EQ(printable("\xE2\x81\xA6"), "\\xe2\\x81\\xa6");          // left-to-right isolate
  EXPECT_EQ(printable("\xE2\x80\xA8"), "\\xe2\\x80\\xa8");          // line separator
  EXPECT_EQ(printable("\xC2\xA0\xC2\xA9"), "\xC2\xA0\xC2\xA9");      // no-break space, (c)
}

// The command line quotes every name and word it was given through it.
TEST(Printable, EveryMessageOfTheCommandLineEscapes) {
  const CommandResult format = runKolvo({"-\x01\x1b[31m", "in", "out", "-s"});
  EXPECT_EQ(format.status, 2);
  EXPECT_EQ(format.err.rfind("kolvo: unknown format '-\\x01\\x1b[31m': its second", 0), 0u)
      << format.err;
  TempDir dir;
  const std::string input = (dir / "in\x1b]0;x\x07.txt").string();
  const CommandResult missing = runKolvo({"-h", input, (dir / "out.html").string(), "-s"});
  EXPECT_EQ(missing.err, "kolvo: cannot open input '" + dir.path().string() +
                             "/in\\x1b]0;x\\x07.txt': No such file or directory\n");
  writeFile(input, "a & b\n");
  const CommandResult check = runKolvo({"--check", input});
  const std::string shown = dir.path().string() + "/in\\x1b]0;x\\x07.txt";
  EXPECT_EQ(check.out.rfind(shown + ":1:3: error: '&'", 0), 0u) << check.out;
  EXPECT_EQ(check.err, "kolvo: 1 error in " + shown + "\n");
  const CommandResult paper = runKolvo({"--paper", "a4\r\x1b[2K", "-h", input, "-", "-s"});
  EXPECT_EQ(paper.status, 2);
  EXPECT_EQ(paper.err.rfind("kolvo: unknown paper size 'a4\\r\\x1b[2K': say ", 0), 0u)
      << paper.err;
  const CommandResult fromEnvironment =
      runCommand({"env", "PAPERSIZE=b7\x1b[1m", kolvoBinary(), "--paper", "auto", "-h", input,
                  "-", "-s"});
  EXPECT_EQ(fromEnvironment.status, 2);
  EXPECT_EQ(fromEnvironment.err.rfind(
                "kolvo: unknown paper size 'b7\\x1b[1m' (from PAPERSIZE): say ", 0),
            0u)
      << fromEnvironment.err;
  const CommandResult font = runKolvo(
      {"--escape", "--font", (dir / "no\x1b.ttf").string(), "-P", input, "-", "-s"});
  EXPECT_EQ(font.status, 1);
  EXPECT_NE(font.err.find("no\\x1b.ttf"), std::string::npos) << font.err;
  EXPECT_EQ(font.err.find('\x1b'), std::string::npos) << font.err;
}

}  // namespace
}  // namespace kolvo::test
