// Whole documents, byte for byte, against the files in tests/golden/.
// After a deliberate change of output, regenerate them with
//   KOLVO_UPDATE_GOLDEN=1 build/tests/kolvo_tests --gtest_filter='*Golden*'
// and read the diff before committing it. A failure names the first
// differing byte and shows its line on both sides.
#include <gtest/gtest.h>

#include <cstdlib>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

struct GoldenCase {
  std::string document;  // file in tests/documents, without ".txt"
  char option;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.document << " -" << c.option; }

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, EveryFormatMatchesItsFile) {
  const GoldenCase& c = GetParam();
  const fs::path documents = sourceDir() / "tests" / "documents";
  const std::string input = readFile(documents / (c.document + ".txt"));
  const bool update = std::getenv("KOLVO_UPDATE_GOLDEN") != nullptr;
  for (Format f : kAllFormats) {
    std::string name = c.document;
    if (c.option != 's') name += std::string("-") + c.option;
    const fs::path golden =
        sourceDir() / "tests" / "golden" / (name + "." + std::string(formatExtension(f)));
    const std::string actual = convertText(input, f, c.option);
    if (update) {
      writeFile(golden, actual);
      continue;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_TRUE(sameBytes(readFile(golden), actual)) << "in " << golden;
  }
}

// The golden files are what pins the text of every tag in every format
// (tag_table_test.cpp checks properties only): each tag must be in one of
// their documents.
TEST(GoldenDocuments, UseEveryTag) {
  std::string all;
  for (const auto& entry : fs::directory_iterator(sourceDir() / "tests" / "documents")) {
    all += readFile(entry.path());
  }
  for (const TagRow& row : kTagTable) {
    EXPECT_NE(all.find(row.tag), std::string::npos) << row.tag << " is in no golden document";
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, Golden,
                         ::testing::Values(GoldenCase{"basic", 's'}, GoldenCase{"basic", 't'},
                                           GoldenCase{"styles", 's'}, GoldenCase{"symbols", 's'},
                                           GoldenCase{"layout", 'T'}));

}  // namespace
}  // namespace kolvo::test
