// ByteSet: the sixteen-bytes-at-a-time count against the byte-by-byte one,
// on every length up to a few blocks (the last block overlaps), and on
// bytes beyond ASCII in and out of the set; and where the first member lies.
#include <gtest/gtest.h>

#include <string>

#include "support/document_generator.hpp"
#include "text/byte_set.hpp"

namespace kolvo::test {
namespace {

std::array<bool, 128> membersOf(std::string_view bytes) {
  std::array<bool, 128> members{};
  for (const char c : bytes) members[static_cast<unsigned char>(c)] = true;
  return members;
}

TEST(ByteSet, EveryWayCountsAlike) {
  const ByteSet markup(membersOf("&$_^~\\{}%"), false);
  const ByteSet wide(membersOf("ABCDEFGHIJKLMNOPQRSTUVWXYZmw%@\x7f"), true);
  const ByteSet none(std::array<bool, 128>{}, false);
  Random random(7);
  for (std::size_t size = 0; size <= 70; ++size) {
    for (int round = 0; round < 20; ++round) {
      std::string text;
      for (std::size_t i = 0; i < size; ++i) text += static_cast<char>(random.below(256));
      for (const ByteSet* set : {&markup, &wide, &none}) {
        const std::size_t expected = set->countOneByOne(text);
        std::size_t fast = 0;
        if (set->countSsse3(text, fast)) {
          EXPECT_EQ(fast, expected) << size;
        }
        EXPECT_EQ(set->countIn(text), expected);
        EXPECT_EQ(set->anyIn(text), expected > 0);
      }
      // One member, or none, among bytes that are not: where it lies.
      std::string sparse(size, 'a');
      if (size > 0 && round % 4 != 0) sparse[random.below(size)] = round % 2 == 0 ? '{' : '\xC3';
      for (const ByteSet* set : {&markup, &wide, &none}) {
        for (const std::string_view bytes : {std::string_view(sparse), std::string_view(text)}) {
          std::size_t expected = 0;
          while (expected < size && !set->has(static_cast<unsigned char>(bytes[expected]))) ++expected;
          EXPECT_EQ(set->firstIn(bytes), expected) << size;
        }
      }
      const auto [first, second] = wide.countBothIn(markup, text);
      EXPECT_EQ(first, wide.countOneByOne(text)) << size;
      EXPECT_EQ(second, markup.countOneByOne(text)) << size;
      const auto unless = wide.countBothUnless(none, markup, text);
      EXPECT_EQ(unless.has_value(), !markup.anyIn(text)) << size;
      if (unless) {
        EXPECT_EQ(unless->first, first);
      }
    }
  }
  EXPECT_TRUE(wide.has(0x80));
  EXPECT_FALSE(markup.has(0xFF));
  EXPECT_TRUE(markup.has('\\'));
  EXPECT_FALSE(markup.has('a'));
}

}  // namespace
}  // namespace kolvo::test
