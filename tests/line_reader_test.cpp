// The line reader: pieces of at most 559 bytes, pieces that straddle two
// reads of a file, and whether a piece may hold a NUL byte.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

struct Piece {
  std::string text;
  bool mayHoldNul;
};

std::vector<Piece> piecesOf(LineReader& reader) {
  std::vector<Piece> pieces;
  std::string line;
  while (reader.next(line)) pieces.push_back({line, reader.pieceMayHoldNul()});
  return pieces;
}

// Reads `content` back through a file, so that the reader's blocks come into play.
std::vector<Piece> piecesOfFile(const std::string& content, std::size_t maxPiece = kMaxPiece) {
  TempDir dir;
  writeFile(dir / "in.txt", content);
  const int fd = open((dir / "in.txt").c_str(), O_RDONLY);
  EXPECT_GE(fd, 0);
  LineReader reader(fd, "in.txt", maxPiece);
  std::vector<Piece> pieces = piecesOf(reader);
  close(fd);
  return pieces;
}

TEST(LineReader, PiecesAreLinesOfAtMost559Bytes) {
  const std::string content = "short\n" + std::string(600, 'x') + "\n\nlast";
  for (const std::vector<Piece>& pieces : {piecesOfFile(content), [&] {
         LineReader memory(content);
         return piecesOf(memory);
       }()}) {
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0].text, "short\n");
    EXPECT_EQ(pieces[1].text, std::string(559, 'x'));
    EXPECT_EQ(pieces[2].text, std::string(41, 'x') + "\n");
    EXPECT_EQ(pieces[3].text, "\n");
    EXPECT_EQ(pieces[4].text, "last");
  }
}

TEST(LineReader, WholeLinesAreNeverCutWhereverTheReadsEnd) {
  // Lines longer than a piece and than a read block, one of them ending
  // without a line feed, and an empty line between them.
  const std::string first(70000, 'a');
  const std::string second(600, 'b');
  const std::string content = first + "\n\n" + second;
  for (const std::vector<Piece>& pieces :
       {piecesOfFile(content, kWholeLines), [&] {
          LineReader reader(content, kWholeLines);
          return piecesOf(reader);
        }()}) {
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, first + "\n");
    EXPECT_EQ(pieces[1].text, "\n");
    EXPECT_EQ(pieces[2].text, second);
  }
}

TEST(LineReader, NulBytesAreNeverMissed) {
  // Lines of 100 bytes: the reader's blocks (a power of two) end inside a
  // line, so some lines come from two reads. Put a NUL into every kind of
  // place: a line within one block, the head and the tail of a line that
  // straddles two blocks.
  std::string content;
  for (int i = 0; i < 3000; ++i) content += std::string(99, static_cast<char>('a' + i % 26)) + "\n";
  const std::size_t block = 64 * 1024;
  // The head of a straddling line in a block with a NUL, its tail in one
  // without; and the other way round.
  const std::vector<std::size_t> nuls = {150, 2 * block - 10, 3 * block + 5};
  for (std::size_t at : nuls) content[at] = '\0';

  const std::vector<Piece> pieces = piecesOfFile(content);
  ASSERT_EQ(pieces.size(), 3000u);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (pieces[i].text.find('\0') != std::string::npos) {
      EXPECT_TRUE(pieces[i].mayHoldNul) << "line " << i;
    }
  }
  // Lines of a block without a NUL (here the third) are known to hold none.
  EXPECT_FALSE(pieces[1500].mayHoldNul);
  EXPECT_FALSE(pieces[2999].mayHoldNul);
}

TEST(LineReader, ConversionBlanksNulBytesInEveryLine) {
  std::string content;
  // Two reads' worth, with a NUL in each.
  for (int i = 0; content.size() < 140000; ++i) content += "line " + std::to_string(i) + " with text\n";
  content[70000] = '\0';
  content[5] = '\0';
  TempDir dir;
  writeFile(dir / "in.txt", content);
  const CommandResult run =
      runCommand({kolvoBinary(), "-h", (dir / "in.txt").string(), "-", "-s"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find('\0'), std::string::npos);
  std::string blanked = content;
  blanked[70000] = ' ';
  blanked[5] = ' ';
  EXPECT_TRUE(sameBytes(convertText(blanked, Format::Html), run.out));
}

}  // namespace
}  // namespace kolvo::test
