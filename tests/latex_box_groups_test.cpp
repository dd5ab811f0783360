// The follower of LaTeX's groups finds the bytes that matter a block at a
// time; whatever the line, it must read them as a byte-by-byte reading does.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <string_view>

#include "writers/latex_box_groups.hpp"

namespace kolvo {
namespace {

// The pieces the generated lines are made of: braces, comments and escapes
// of them, commands that open a box or a plain group or nothing, the center
// environment, and text of any length between them, so that pieces
// straddle the edges of 32- and 64-byte blocks and line ends.
constexpr std::array<std::string_view, 22> kPieces = {
    "{",  "}",  "%",           "\\%",  "\\{", "\\}", "\\\\", "\\\\{", "\\underline{",
    "\\textsuperscript{", "\\begin{center}", "\\end{center}", "\\begin{centre}", "\\end{",
    "\\textbf{", "\\normalsize{}", "\\x", "\\", "word ", "caf\xC3\xA9 ",
    "a long run of text with no byte that matters in it at all ", "\\begin{center"};

TEST(LatexBoxGroups, FollowingByTheBlockReadsAsByteByByte) {
  std::mt19937 random(20261209u);
  for (int document = 0; document < 300; ++document) {
    LatexBoxGroups byBlock;
    LatexBoxGroups byByte;
    std::string blockOut;
    std::string byteOut;
    for (int lineNumber = 0; lineNumber < 40; ++lineNumber) {
      std::string line;
      for (std::size_t piece = random() % 24; piece > 0; --piece) line += kPieces[random() % kPieces.size()];
      const std::string_view fast = byBlock.follow(line, blockOut);
      const std::string_view plain = byByte.followByteByByte(line, byteOut);
      ASSERT_EQ(fast, plain) << "document " << document << ", line " << lineNumber << ": " << line;
    }
  }
}

// Where a box is open the centring commands are written around; their
// braces, like those of a comment or an escape, open nothing.
TEST(LatexBoxGroups, OnlyAnOpenBoxIsWrittenAround) {
  LatexBoxGroups groups;
  std::string out;
  EXPECT_EQ(groups.follow("a \\begin{center}b\\end{center} {c", out), "a \\begin{center}b\\end{center} {c");
  EXPECT_EQ(groups.follow("\\underline{d \\{ % }", out), "\\underline{d \\{ % }");
  EXPECT_EQ(groups.follow("\\begin{center}e\\end{center}}}", out),
            "}\\begin{center}\\underline{e}\\end{center}\\underline{}}");
  EXPECT_EQ(groups.follow("\\begin{center}f", out), "\\begin{center}f");
}

}  // namespace
}  // namespace kolvo
