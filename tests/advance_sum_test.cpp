// The sum of a string's advances, eight glyphs a gather where the
// processor can, or four sums at once for a short string: the same as one
// byte after another, whatever the bytes and the length.
#include "writers/paged/advance_sum.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "markup/format.hpp"
#include "writers/paged/width_source.hpp"

namespace kolvo::paged {
namespace {

// Every entry differs, the last one (code 255, which the gathers must not
// read past) most of all.
GlyphWidths distinctWidths() {
  GlyphWidths table{};
  for (std::size_t code = 0; code < table.size(); ++code) {
    table[code] = static_cast<std::uint16_t>(code * 7 + 1);
  }
  table[255] = 60000;
  return table;
}

TEST(AdvanceSum, EqualsTheSumByteByByteAtEveryLengthAndByte) {
  const GlyphWidths table = distinctWidths();
  std::mt19937 random(20261208u);
  for (std::size_t length = 0; length < 200; ++length) {
    for (int round = 0; round < 20; ++round) {
      std::string bytes(length, '\0');
      // Half the rounds draw any byte, half mostly the last code and NUL.
      for (char& c : bytes) {
        const unsigned value = random() % 256;
        c = static_cast<char>(round % 2 == 0 ? value : (value % 3 == 0 ? 0xFF : value % 2));
      }
      const std::uint64_t oneByOne = sumAdvancesOneByOne(bytes, table);
      ASSERT_EQ(sumAdvances(bytes, table), oneByOne) << "length " << length << ", round " << round;
      ASSERT_EQ(sumShortAdvances(bytes, table), oneByOne)
          << "length " << length << ", round " << round;
    }
  }
}

TEST(AdvanceSum, TheWidestGlyphsOverAMegabyteDoNotOverflow) {
  GlyphWidths widest{};
  widest.fill(65535);
  const std::string bytes(1'000'003, 'W');
  EXPECT_EQ(sumAdvances(bytes, widest), 65535ULL * bytes.size());
  std::string mixed = bytes;
  for (std::size_t i = 0; i < mixed.size(); i += 4099) mixed[i] = static_cast<char>(0xFF);
  EXPECT_EQ(sumAdvances(mixed, widest), sumAdvancesOneByOne(mixed, widest));
}

TEST(AdvanceSum, TheStandardFontsSumAsTheyMeasure) {
  const GlyphWidths* times = standardFontWidths(TextMode::Markup).widths("Times-Roman");
  ASSERT_NE(times, nullptr);
  const std::string prose = "evening there of careful distant river on \\(letter\\) second followed ";
  EXPECT_EQ(sumAdvances(prose, *times), sumAdvancesOneByOne(prose, *times));
  EXPECT_EQ(sumAdvances("", *times), 0u);
}

}  // namespace
}  // namespace kolvo::paged
