// The table of formats and what is made from it outside the program.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "markup/format.hpp"
#include "support/test_support.hpp"
#include "writers/writer_table.hpp"

namespace kolvo::test {
namespace {

TEST(FormatTable, LettersNamesAndExtensionsTellTheFormatsApart) {
  std::set<std::string_view> names;
  std::set<std::string_view> extensions;
  for (const FormatInfo& f : kFormats) {
    // A FORMAT word such as "--help" must never read as a format.
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(f.letter))) << f.name;
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_TRUE(extensions.insert(f.extension).second) << f.extension;
    EXPECT_EQ(formatFromLetter(f.letter), f.format) << f.name;
  }
  EXPECT_FALSE(formatFromLetter('-').has_value());
  EXPECT_FALSE(formatFromLetter('\0').has_value());
}

TEST(FormatTable, AFlowingFormatHasTextsAndAPagedOneAWriterOfItsOwn) {
  for (const FormatInfo& f : kFormats) {
    const WriterRow& row = kWriterTable[column(f.format)];
    EXPECT_EQ(row.flowing == nullptr, f.paged) << f.name;
    EXPECT_EQ(row.makePaged != nullptr, f.paged) << f.name;
  }
}

// examples/showcase.sh converts the showcase into every format, naming the
// files by their extension.
TEST(FormatTable, TheShowcaseScriptWritesEveryFormat) {
  const std::string script = readFile(sourceDir() / "examples" / "showcase.sh");
  std::string pairs = "for pair in";
  for (const FormatInfo& f : kFormats) {
    pairs += " " + std::string(1, f.letter) + ":" + std::string(f.extension);
  }
  EXPECT_NE(script.find(pairs + "; do\n"), std::string::npos) << pairs;
}

}  // namespace
}  // namespace kolvo::test
