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

}  // namespace
}  // namespace kolvo::test
