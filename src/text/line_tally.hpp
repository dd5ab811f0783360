#pragma once
// What a run's warnings want to know of each line, gathered in one pass
// over its bytes: the sum of a weight per byte (the body font's glyph
// widths, to tell a line that runs off the page), the bytes beyond ASCII
// and whether they are all well-formed two-byte sequences (Cyrillic, Greek,
// most accented letters: then each lead byte is one character), and which
// classes of ASCII bytes occur (markup characters, tags). Most lines need
// nothing more, so this pass is most of what the warnings cost.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kolvo {

// The classes a run's warnings give ASCII bytes (bits of
// LineTallier's class table).
enum TallyClass : std::uint8_t {
  kTallyMarkup = 1,    // a format's markup character other than "%"
  kTallyPercent = 2,   // "%", where a format reads a stray one as markup
  kTallyOffPlain = 4,  // a byte that keeps a line off the page measure's plain path
};

struct LineTally {
  // The sum of the bytes' weights lies in [lower, upper]; the two are equal
  // where it was summed exactly.
  std::uint64_t lower = 0;
  std::uint64_t upper = 0;
  std::uint32_t beyondAscii = 0;   // bytes from 0x80
  std::uint32_t twoByteLeads = 0;  // bytes 0xC2-0xDF
  // Every byte beyond ASCII is part of a two-byte UTF-8 sequence (a lead
  // 0xC2-0xDF and one continuation 0x80-0xBF).
  bool onlyTwoByte = true;
  unsigned classes = 0;  // of its ASCII bytes, or-ed together
};

class LineTallier {
 public:
  // Nothing weighed, no classes: every tally gives counts alone.
  LineTallier();
  // `weights` per byte (units of at most 1020 are summed in quarters by
  // the fast ways; a larger one makes every tally exact), `classes` per
  // ASCII byte (TallyClass bits). Without `countsBeyondAscii` the fast
  // ways may leave the counts beyond ASCII at nought.
  LineTallier(const std::array<std::uint16_t, 256>& weights,
              const std::array<std::uint8_t, 128>& classes, bool countsBeyondAscii = true);

  LineTally tally(std::string_view text) const {
    // Written in place: a copy read back wider than it was written would
    // wait for the stores.
    LineTally result;
    way_(*this, text, result);
    return result;
  }

  // The tally of a line known to hold only ASCII bytes of no class (a
  // search ahead found none of the others): its weights alone, nothing
  // counted, no class. Where the count of its bytes, or of its wide ones,
  // bounds the weights' sum by `enough` (all the caller asks to know), that
  // bound is the upper one and nought the lower; else they are tally()'s.
  LineTally tallyQuiet(std::string_view text, std::uint64_t enough) const {
    LineTally result;
    const std::uint64_t bytes = text.size();
    if (bytes * mostAscii_ <= enough) {
      result.upper = bytes * mostAscii_;
      return result;
    }
    // Most text is narrow letters: the few wide bytes are counted.
    const std::uint64_t bound = bytes * mostNarrow_ + countWide(text) * (mostAscii_ - mostNarrow_);
    if (bound <= enough) {
      result.upper = bound;
      return result;
    }
    quietWay_(*this, text, result);
    return result;
  }

  // The ways tally() and tallyQuiet() can go, for tests that compare them;
  // false when this build or this processor does not have it.
  LineTally tallyOneByOne(std::string_view text) const;
  bool tallyAvx2(std::string_view text, LineTally& tally) const;
  bool tallyAvx512(std::string_view text, LineTally& tally) const;
  bool tallyQuietAvx2(std::string_view text, LineTally& tally) const;

  std::uint16_t weight(unsigned char byte) const { return weights_[byte]; }

 private:
  // The way tally() goes, chosen once for the run: every line is tallied,
  // and most are short, so asking again which way the processor has and
  // what is wanted would cost a good part of a line's tally.
  using Way = void (*)(const LineTallier&, std::string_view, LineTally&);
  static void oneByOneWay(const LineTallier& tallier, std::string_view text, LineTally& tally);
  // The AVX2 way for whether weights and classes are wanted; the one this
  // tallier wants is chosen with the way itself.
  template <bool Weigh, bool Classes>
  static void avx2Way(const LineTallier& tallier, std::string_view text, LineTally& tally);
  Way avx2WayWanted() const;
  static void avx512Way(const LineTallier& tallier, std::string_view text, LineTally& tally);
  static void quietAvx2Way(const LineTallier& tallier, std::string_view text, LineTally& tally);
  static void quietAvx512Way(const LineTallier& tallier, std::string_view text, LineTally& tally);
  // The fastest of the ways given that this processor has and the weights
  // allow (every one fits a quarter byte), else one by one.
  Way fastestOf(Way avx512, Way avx2) const;

  std::uint64_t countWide(std::string_view text) const;

  // (The members in the order that leaves the least padding.)
  alignas(64) std::array<std::uint8_t, 128> classes_{};
  // Each weight in quarters, rounded up, for the fast ways.
  alignas(64) std::array<std::uint8_t, 256> quarters_{};
  // The quarters' bound from a byte's two halves: the largest weight of
  // its row (high half) and of its column (low half), the smaller of them;
  // and the least of each, the larger of them, rounded down.
  alignas(16) std::array<std::uint8_t, 16> rowMost_{};
  alignas(16) std::array<std::uint8_t, 16> columnMost_{};
  alignas(16) std::array<std::uint8_t, 16> rowLeast_{};
  alignas(16) std::array<std::uint8_t, 16> columnLeast_{};
  Way way_ = &oneByOneWay;
  Way quietWay_ = &oneByOneWay;
  // For tallyQuiet's bounds: the largest weight of an ASCII byte, the
  // largest of the narrow ones (those no wider than "n", most of a text's
  // letters), and the set of the others.
  std::uint64_t mostAscii_ = 0;
  std::uint64_t mostNarrow_ = 0;
  unsigned usedClasses_ = 0;  // the class bits some byte has
  std::array<std::uint16_t, 256> weights_{};
  bool quartered_ = true;
  bool weighs_ = false;       // some weight is not nought
  bool countsBeyond_ = true;  // every weight fits a quarter byte
  std::array<std::uint8_t, 16> wideRows_{};  // the wide bytes, row bits by low half
  // Each class bit as a set of bytes, looked up by halves (row bits by
  // low half): the AVX2 way tests eight classes with one pair of lookups
  // per class.
  std::array<std::array<std::uint8_t, 16>, 8> classRows_{};
};

}  // namespace kolvo
