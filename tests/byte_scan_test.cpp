// The byte scans of the fast rewrite path: every way of classifying a line
// (byte by byte, SSE2, AVX2) and the search for one of three bytes agree
// with the plain definition, at every length and every position, so that a
// machine without AVX2 gets the same output as one with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "markup/byte_scan.hpp"
#include "support/document_generator.hpp"

namespace kolvo::scan {
namespace {

unsigned definition(std::string_view text) {
  unsigned classes = 0;
  for (char c : text) {
    if (c == '%') classes |= kPercent;
    if (c == '\\' || c == '(' || c == ')') classes |= kDelimiter;
    if (c == '_' || c == '#' || c == '<') classes |= kCleanup;
    if (c == '\r' || c == '\n') classes |= kLineEnd;
  }
  return classes;
}

std::size_t firstOf(std::string_view text, std::size_t from, char a, char b, char c) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == a || text[i] == b || text[i] == c) return i;
  }
  return std::string_view::npos;
}

void expectEveryWayAgrees(std::string_view text) {
  const unsigned expected = definition(text);
  EXPECT_EQ(classify(text), expected);
  unsigned classes = 0;
  if (classifyOneByOne(text, classes)) {
    EXPECT_EQ(classes, expected) << "byte by byte";
  }
  if (classifySse2(text, classes)) {
    EXPECT_EQ(classes, expected) << "SSE2";
  }
  if (classifyAvx2(text, classes)) {
    EXPECT_EQ(classes, expected) << "AVX2";
  }
}

TEST(ByteScan, EachSpecialByteIsSeenAtEveryPositionAndLength) {
  // Plain text with one special byte: at the start, in the middle, in the
  // overlapping last block, at the very end.
  const std::string specials = "%\\()_#<\r\n";
  for (std::size_t length = 0; length <= 100; ++length) {
    const std::string plain(length, 'a');
    expectEveryWayAgrees(plain);
    for (std::size_t at = 0; at < length; ++at) {
      for (char special : specials) {
        std::string text = plain;
        text[at] = special;
        SCOPED_TRACE(testing::Message() << "length " << length << " at " << at << " byte "
                                        << static_cast<int>(special));
        expectEveryWayAgrees(text);
      }
    }
  }
}

TEST(ByteScan, NeighboursOfSpecialBytesAreNotTakenForThem) {
  // The bytes next to the special ones, and bytes with the high bit set,
  // must not count: "'" and "*" around the parentheses, "$" and "&" around
  // "%", "^" and "`" around "_", and so on.
  std::string text;
  for (int c = 0; c < 256; ++c) {
    if (definition(std::string(1, static_cast<char>(c))) == 0) text += static_cast<char>(c);
  }
  for (std::size_t start = 0; start + 40 <= text.size(); ++start) {
    expectEveryWayAgrees(std::string_view(text).substr(start, 40));
  }
  expectEveryWayAgrees(text);
}

TEST(ByteScan, RandomLinesAgree) {
  test::Random random(7u);
  const std::string alphabet = "ab %\\()_#<\r\n\xC3\xA9$&'*^`";
  for (int i = 0; i < 5000; ++i) {
    std::string text(random.below(200), ' ');
    for (char& c : text) c = random.below(8) == 0 ? random.pick(alphabet) : 'x';
    expectEveryWayAgrees(text);
    const std::size_t from = random.below(text.size() + 1);
    EXPECT_EQ(findAnyOf(text, from, '_', '#', '<'), firstOf(text, from, '_', '#', '<'));
    EXPECT_EQ(findAnyOf(text, from, '\\', '(', ')'), firstOf(text, from, '\\', '(', ')'));
  }
}

TEST(ByteScan, FindAnyOfAtEveryPosition) {
  for (std::size_t length = 0; length <= 70; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      std::string text(length, 'z');
      if (at < length) text[at] = '#';
      for (std::size_t from = 0; from <= length; ++from) {
        ASSERT_EQ(findAnyOf(text, from, '_', '#', '<'), firstOf(text, from, '_', '#', '<'))
            << "length " << length << " at " << at << " from " << from;
      }
    }
  }
}

TEST(ByteScan, FindBeyondAsciiAndFindLastAtEveryPosition) {
  for (std::size_t length = 0; length <= 100; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      std::string text(length, '%');
      if (at < length) text[at] = '\x80';
      std::string marks(length, 'z');
      if (at < length) marks[at] = '%';
      if (at + 40 < length) marks[at + 40] = '%';
      for (std::size_t from = 0; from <= length; ++from) {
        ASSERT_EQ(findBeyondAscii(text, from), at >= from ? at : length) << length << " " << at << " " << from;
        const std::size_t before = std::string_view(marks).substr(0, from).rfind('%');
        ASSERT_EQ(findLast(marks, from, '%'), before) << length << " " << at << " " << from;
      }
    }
  }
}

}  // namespace
}  // namespace kolvo::scan
