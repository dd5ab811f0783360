// The README's markup reference is the one the tag table prints, and the
// README describes every long option.
#include <gtest/gtest.h>

#include "driver/options.hpp"
#include "markup/markup_reference.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

TEST(Readme, MarkupReferenceMatchesTheTagTable) {
  const std::string readme = readFile(sourceDir() / "README.md");
  const std::string start = "<!-- markup-reference:start -->\n";
  const std::string end = "<!-- markup-reference:end -->";
  const std::size_t from = readme.find(start);
  const std::size_t to = readme.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(readme.substr(from + start.size(), to - from - start.size()), markupReference())
      << "regenerate the README table with: kolvo --markup-reference";
}

TEST(Readme, NamesEveryLongOption) {
  const std::string readme = readFile(sourceDir() / "README.md");
  for (const LongOption& option : kLongOptions) {
    EXPECT_NE(readme.find(std::string(option.name) + "`"), std::string::npos) << option.name;
  }
}

}  // namespace
}  // namespace kolvo::test
