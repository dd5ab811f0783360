// The output sink's way through for bytes that come in blocks: nothing is
// copied into the buffer, and the order and the count stay whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writers/output_sink.hpp"

namespace kolvo::test {
namespace {

void collect(std::string_view bytes, void* blocks) {
  static_cast<std::vector<std::string>*>(blocks)->emplace_back(bytes);
}

TEST(OutputSink, BytesWrittenThroughFollowWhatTheBufferHolds) {
  std::vector<std::string> blocks;
  OutputSink out(collect, &blocks);
  out.write("ab");
  out.writeThrough("THROUGH");
  EXPECT_EQ(out.offset(), 9U);
  out.writeThrough("");
  out.write("cd");
  out.flush();
  // The buffer goes out before the block; each block stays one delivery.
  EXPECT_EQ(blocks, (std::vector<std::string>{"ab", "THROUGH", "cd"}));
  EXPECT_EQ(out.offset(), 11U);

  std::string memory;
  OutputSink intoString(&memory);
  intoString.write("x");
  intoString.writeThrough("yz");
  EXPECT_EQ(memory, "xyz");
  EXPECT_EQ(intoString.offset(), 3U);
}

// Pieces of every small size, and larger ones, written until the buffer
// has gone out several times: the bytes and their count stay whole, at
// every place of the buffer and across its end.
TEST(OutputSink, PiecesOfEverySizeComeOutWhole) {
  std::vector<std::string> blocks;
  std::string expected;
  {
    OutputSink out(collect, &blocks);
    for (std::size_t round = 0; expected.size() < 300000; ++round) {
      const std::size_t size = round % 41;
      std::string piece(size, ' ');
      for (std::size_t i = 0; i < size; ++i) piece[i] = static_cast<char>('a' + (round + i * 7) % 26);
      out.write(piece);
      expected += piece;
      ASSERT_EQ(out.offset(), expected.size());
    }
    out.flush();
  }
  std::string written;
  for (const std::string& block : blocks) written += block;
  EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace kolvo::test
