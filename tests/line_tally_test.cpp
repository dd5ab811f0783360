#include "text/line_tally.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "io/message_text.hpp"

namespace kolvo {
namespace {

// Widths like a text font's: blanks narrow, capitals wide, bytes beyond
// ASCII anything up to 1000, controls nothing.
std::array<std::uint16_t, 256> fontLikeWeights() {
  std::array<std::uint16_t, 256> weights{};
  for (unsigned b = 0x20; b < 256; ++b) weights[b] = static_cast<std::uint16_t>(200 + (b * 37) % 801);
  weights[' '] = 250;
  weights['\n'] = 250;
  return weights;
}

std::array<std::uint8_t, 128> someClasses() {
  std::array<std::uint8_t, 128> classes{};
  classes['<'] = kTallyMarkup;
  classes['&'] = kTallyMarkup;
  classes['%'] = kTallyPercent;
  classes['_'] = kTallyOffPlain;
  classes['\r'] = kTallyOffPlain;
  classes['~'] = kTallyMarkup | kTallyOffPlain;
  return classes;
}

std::uint64_t exactWeight(std::string_view text, const std::array<std::uint16_t, 256>& weights) {
  std::uint64_t sum = 0;
  for (const char c : text) sum += weights[static_cast<unsigned char>(c)];
  return sum;
}

// Every way the processor has must agree with the byte-by-byte tally on
// the counts and classes, and bound the exact sum.
void expectWaysAgree(const LineTallier& tallier, std::string_view text,
                     const std::array<std::uint16_t, 256>& weights) {
  const LineTally exact = tallier.tallyOneByOne(text);
  ASSERT_EQ(exact.lower, exactWeight(text, weights));
  ASSERT_EQ(exact.upper, exact.lower);
  LineTally fast;
  for (const bool had : {tallier.tallyAvx2(text, fast), tallier.tallyAvx512(text, fast)}) {
    if (!had) continue;
    EXPECT_EQ(fast.beyondAscii, exact.beyondAscii) << printable(text);
    EXPECT_EQ(fast.twoByteLeads, exact.twoByteLeads) << printable(text);
    EXPECT_EQ(fast.onlyTwoByte, exact.onlyTwoByte) << printable(text);
    EXPECT_EQ(fast.classes, exact.classes) << printable(text);
    EXPECT_LE(fast.lower, exact.lower) << printable(text);
    EXPECT_GE(fast.upper, exact.upper) << printable(text);
    // ASCII is weighed whole, in quarters: the page measure's bounds of
    // a line of tags are only as close as these.
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      EXPECT_LE(fast.upper - exact.upper, 3 * text.size()) << printable(text);
      EXPECT_LE(exact.lower - fast.lower, 3 * text.size()) << printable(text);
    }
  }
}

TEST(LineTally, OneByOneCountsTwoByteSequencesAndClasses) {
  const LineTallier tallier(fontLikeWeights(), someClasses());
  const LineTally russian = tallier.tallyOneByOne("\xd0\xb4\xd0\xbe\xd0\xbc < x\n");
  EXPECT_EQ(russian.beyondAscii, 6U);
  EXPECT_EQ(russian.twoByteLeads, 3U);
  EXPECT_TRUE(russian.onlyTwoByte);
  EXPECT_EQ(russian.classes, unsigned{kTallyMarkup});
  // A lead with no continuation, a stray continuation, a longer sequence,
  // a lead at the very end: none is a two-byte text.
  for (const std::string_view odd : {"\xd0 x", "x \xb4", "\xe2\x82\xac", "ab\xd0", "\xc0\x80"}) {
    EXPECT_FALSE(tallier.tallyOneByOne(odd).onlyTwoByte) << printable(odd);
  }
  EXPECT_EQ(tallier.tallyOneByOne("50% _~\r\n").classes,
            unsigned{kTallyMarkup | kTallyPercent | kTallyOffPlain});
}

// A lead as the last byte of a block of 16, 32 or 64 with its continuation
// the first of the next, a broken pair there, and lines of every length
// around the blocks' sizes: where a count or a mask of the last block can
// slip.
TEST(LineTally, FastWaysAgreeAcrossBlockBoundaries) {
  const auto weights = fontLikeWeights();
  const LineTallier tallier(weights, someClasses());
  for (std::size_t size = 0; size <= 200; ++size) {
    const std::string ascii(size, 'm');
    expectWaysAgree(tallier, ascii, weights);
    for (const std::size_t at : {std::size_t{15}, std::size_t{31}, std::size_t{63}, std::size_t{64},
                                 std::size_t{127}, size - 1, size - 2}) {
      if (at >= size || at + 1 >= size) continue;
      std::string paired = ascii;
      paired[at] = '\xd0';
      paired[at + 1] = '\xb4';
      expectWaysAgree(tallier, paired, weights);
      std::string broken = ascii;
      broken[at] = '\xd0';
      expectWaysAgree(tallier, broken, weights);
      std::string stray = ascii;
      stray[at + 1] = '\xb4';
      expectWaysAgree(tallier, stray, weights);
      std::string marked = ascii;
      marked[at] = '<';
      expectWaysAgree(tallier, marked, weights);
    }
    if (size > 0) {
      std::string endsInLead = ascii;
      endsInLead.back() = '\xd1';
      expectWaysAgree(tallier, endsInLead, weights);
    }
  }
}

TEST(LineTally, FastWaysAgreeOnRandomLines) {
  const auto weights = fontLikeWeights();
  const LineTallier tallier(weights, someClasses());
  std::mt19937 random(20261207);
  const std::vector<std::string> parts = {"a", "W", " ", "\xd0\xb4", "\xd1\x8f", "\xe2\x82\xac",
                                          "\x80", "\xff", "<", "&", "%", "_", "\r", "\t", "~"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t count = random() % 120;
    for (std::size_t i = 0; i < count; ++i) {
      text += parts[random() % 100 < 70 ? random() % 5 : random() % parts.size()];
    }
    expectWaysAgree(tallier, text, weights);
  }
}

// The bounds decide whether a line runs off the page: a fast bound below
// the exact sum would pass a line that does not fit.
TEST(LineTally, BoundsHoldForTheWidestAndNarrowestBytes) {
  std::array<std::uint16_t, 256> weights{};
  for (unsigned b = 0; b < 256; ++b) weights[b] = static_cast<std::uint16_t>(b % 2 == 0 ? 1 : 1020);
  const LineTallier tallier(weights, {});
  std::string all;
  for (unsigned b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (std::size_t size = 0; size <= all.size(); size += 7) {
    expectWaysAgree(tallier, std::string_view(all).substr(0, size), weights);
  }
  // A weight no quarter byte holds makes every tally exact.
  weights['W'] = 1500;
  const LineTallier heavy(weights, {});
  const std::string line(100, 'W');
  const LineTally tally = heavy.tally(line);
  EXPECT_EQ(tally.lower, 150000U);
  EXPECT_EQ(tally.upper, 150000U);
}

// A line of ASCII without a class byte, tallied for its weights alone:
// whatever it is asked to settle, its bounds hold the exact sum; where the
// cheap bounds leave it unsettled, they are the full tally's, so a line by
// the edge is told as closely as before. Wide and narrow letters in every
// mix, lines short and long, around the blocks' sizes.
TEST(LineTally, AQuietLinesBoundsHoldAndAreTheFullTallysWhereNeeded) {
  const auto weights = fontLikeWeights();
  const LineTallier tallier(weights, someClasses());
  std::mt19937 random(20261209);
  const std::string narrow = "abcdefghijklno .,;0123456789\n";
  const std::string wide = "WMmw@QZ";
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t size = random() % 200;
    const std::size_t widePercent = random() % 101;
    for (std::size_t i = 0; i < size; ++i) {
      text += random() % 100 < widePercent ? wide[random() % wide.size()] : narrow[random() % narrow.size()];
    }
    const std::uint64_t exact = exactWeight(text, weights);
    const LineTally full = tallier.tally(text);
    // The quiet AVX2 way against the full one (tally() may go the AVX-512
    // way, whose estimates are its own).
    LineTally alone;
    LineTally fullAvx2;
    if (tallier.tallyQuietAvx2(text, alone) && tallier.tallyAvx2(text, fullAvx2)) {
      EXPECT_EQ(alone.upper, fullAvx2.upper) << text;
      EXPECT_EQ(alone.lower, fullAvx2.lower) << text;
    }
    for (const std::uint64_t enough : {std::uint64_t{0}, exact - std::min<std::uint64_t>(exact, 1), exact,
                                       exact + 1, exact + exact / 2, ~std::uint64_t{0} / 2}) {
      const LineTally quiet = tallier.tallyQuiet(text, enough);
      EXPECT_LE(quiet.lower, exact) << text;
      EXPECT_GE(quiet.upper, exact) << text;
      EXPECT_EQ(quiet.classes, 0U);
      EXPECT_EQ(quiet.beyondAscii, 0U);
      if (quiet.upper > enough) {
        EXPECT_EQ(quiet.upper, full.upper) << text;
        EXPECT_EQ(quiet.lower, full.lower) << text;
      }
    }
  }
}

}  // namespace
}  // namespace kolvo
