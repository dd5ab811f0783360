// What a failed whole-output comparison tells: the first differing byte,
// its line and column, and that line of both sides, escaped and cut.
#include <gtest/gtest.h>

#include <string>

#include "support/same_bytes.hpp"

namespace kolvo::test {
namespace {

std::string failureOf(std::string_view expected, std::string_view actual) {
  const ::testing::AssertionResult r = sameBytes(expected, actual);
  EXPECT_FALSE(r);
  return r.message();
}

TEST(SameBytes, EqualBytesPass) {
  EXPECT_TRUE(sameBytes("", ""));
  EXPECT_TRUE(sameBytes(std::string("a\0b\n", 4), std::string("a\0b\n", 4)));
}

TEST(SameBytes, NamesTheFirstDifferenceAndShowsItsLine) {
  EXPECT_EQ(failureOf("one\ntwo\nthree\n", "one\ntwa\nthree\n"),
            "the bytes differ first at byte offset 6 (line 2, column 3); expected 14 bytes, got 14\n"
            "  expected line 2: \"two\\n\"\n"
            "  actual   line 2: \"twa\\n\"\n");
  // A difference in the very first byte, and one side a prefix of the other.
  EXPECT_NE(failureOf("x", "y").find("offset 0 (line 1, column 1)"), std::string::npos);
  EXPECT_EQ(failureOf("a\nb\n", "a\n"),
            "the bytes differ first at byte offset 2 (line 2, column 1); expected 4 bytes, got 2\n"
            "  expected line 2: \"b\\n\"\n"
            "  actual   line 2: (ends here)\n");
}

TEST(SameBytes, EscapesBytesThatAreNotPrintable) {
  EXPECT_EQ(escapedBytes(std::string("\0\x1F\x7F\x80\xFF \"\\\r\t~", 11)),
            "\\x00\\x1F\\x7F\\x80\\xFF \\\"\\\\\\r\\t~");
  EXPECT_NE(failureOf("%\xE2\x80\x94\n", "%\xE2\x80\x93\n").find("\"%\\xE2\\x80\\x93\\n\""),
            std::string::npos);
}

TEST(SameBytes, CutsALongLineAroundTheDifference) {
  const std::string before(500, 'a');
  const std::string after(500, 'b');
  const std::string message = failureOf(before + "X" + after, before + "Y" + after);
  EXPECT_NE(message.find("line 1: ...\"" + std::string(60, 'a') + "X" + std::string(59, 'b') +
                         "\"...\n"),
            std::string::npos)
      << message;
}

}  // namespace
}  // namespace kolvo::test
