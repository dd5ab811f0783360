#pragma once
// Comparing whole outputs byte for byte. gtest's EXPECT_EQ prints both
// strings in full, which for a document of pages hides the one byte that
// differs; sameBytes names that byte instead: its offset, its line and
// column, and that line of both sides with every byte that is not
// printable ASCII escaped.
//   EXPECT_TRUE(sameBytes(readFile(golden), actual)) << golden;

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kolvo::test {

::testing::AssertionResult sameBytes(std::string_view expected, std::string_view actual);

// `bytes` as C-like text: \n, \r, \t, \", \\ and \xHH for every other byte
// outside printable ASCII.
std::string escapedBytes(std::string_view bytes);

}  // namespace kolvo::test
