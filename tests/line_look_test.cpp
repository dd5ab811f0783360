// The one look at a typed line must answer as the look for links and a
// plain search for a byte from D6 on would, wherever the marks stand: inside a block of sixteen, across the
// edge of two, in the last block that overlaps the one before, or in a
// line shorter than a block.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "text/line_look.hpp"
#include "text/link_finder.hpp"

namespace kolvo {
namespace {

TEST(LineLook, AnswersAsTheTwoLooksWhereverTheMarksStand) {
  // Marks and near misses: a lone slash, slashes apart, the bytes just
  // below and from D6.
  constexpr std::string_view kMarks[] = {"@", "//", "/", "/x/", "\xD5\xBF", "\xD6\x90", "\xE3\x81\x82",
                                         "\xFF"};
  for (std::size_t size = 0; size <= 70; ++size) {
    for (std::string_view first : kMarks) {
      for (std::string_view second : kMarks) {
        for (std::size_t at = 0; at + first.size() <= size; ++at) {
          std::string line(size, 'a');
          line.replace(at, first.size(), first);
          // A second mark, where it fits, further on.
          const std::size_t later = (at * 7 + size) % (size + 1);
          if (later + second.size() <= size) line.replace(later, second.size(), second);
          const LineLook look = lookAtLine(line);
          ASSERT_EQ(look.mayHoldLinks, mayHoldLinks(line)) << line;
          ASSERT_EQ(look.mayHoldRightToLeft, std::ranges::any_of(line, [](char c) {
                      return static_cast<unsigned char>(c) >= 0xD6;
                    })) << line;
        }
      }
    }
  }
  EXPECT_FALSE(lookAtLine("").mayHoldLinks);
  EXPECT_TRUE(lookAtLine(std::string(15, 'a') + "/" + "/" + std::string(20, 'b')).mayHoldLinks);
}

}  // namespace
}  // namespace kolvo
