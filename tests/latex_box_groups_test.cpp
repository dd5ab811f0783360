// The follower of LaTeX's groups finds the bytes that matter a block at a
// time; whatever the line, it must read them as a byte-by-byte reading does.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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
      ASSERT_EQ(byBlock.openGroups(), byByte.openGroups())
          << "document " << document << ", line " << lineNumber << ": " << line;
    }
  }
}

// A run of backslashes escapes the byte after it where its length is odd.
// Runs of every length up to six end in a brace, a comment's sign or a
// letter at every place around the edges of the 64-byte blocks; the count
// of groups must be the byte-by-byte reading's, box open or not.
TEST(LatexBoxGroups, RunsOfBackslashesEscapeAlikeAcrossBlockEdges) {
  for (const std::string_view box : {"", "\\underline{"}) {
    for (std::size_t run = 1; run <= 6; ++run) {
      for (const char after : {'{', '}', '%', 'a'}) {
        for (std::size_t at = 0; at < 140; ++at) {
          std::string line = std::string(box) + std::string(at, 'x') + std::string(run, '\\') + after + " {{}";
          LatexBoxGroups byBlock;
          LatexBoxGroups byByte;
          std::string blockOut;
          std::string byteOut;
          for (int time = 0; time < 2; ++time) {
            ASSERT_EQ(byBlock.follow(line, blockOut), byByte.followByteByByte(line, byteOut));
            ASSERT_EQ(byBlock.openGroups(), byByte.openGroups()) << "run " << run << " then " << after << " at " << at;
          }
        }
      }
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

// Past the bound of groups kept, a box is counted, not kept, so a centred
// line inside it is written as it is; once those groups close, boxes are
// kept again. The long lines cross many blocks in both readings.
TEST(LatexBoxGroups, GroupsPastTheBoundAreCountedAlikeByBlockAndByByte) {
  const std::string deep(5000, '{');
  const std::string shut(5000, '}');
  const std::vector<std::string> lines = {deep, "\\underline{a \\begin{center}b\\end{center}}", shut,
                                          "\\underline{c \\begin{center}d\\end{center}}"};
  LatexBoxGroups byBlock;
  LatexBoxGroups byByte;
  std::string blockOut;
  std::string byteOut;
  std::vector<std::string> written;
  for (const std::string& line : lines) {
    const std::string_view fast = byBlock.follow(line, blockOut);
    ASSERT_EQ(fast, byByte.followByteByByte(line, byteOut));
    ASSERT_EQ(byBlock.openGroups(), byByte.openGroups());
    written.emplace_back(fast);
  }
  EXPECT_EQ(written[1], lines[1]);
  EXPECT_EQ(written[3], "\\underline{c }\\begin{center}\\underline{d}\\end{center}\\underline{}");
}

}  // namespace
}  // namespace kolvo
