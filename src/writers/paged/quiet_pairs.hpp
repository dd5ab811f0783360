#pragma once
// The two-byte characters (U+0080 to U+07FF: Cyrillic, Hebrew, Arabic,
// accented Latin...) that ask the fallback fonts nothing in one style,
// looked for thirty-two bytes at a time. The first reading
// (src/driver/fallback_code_reading.cpp) passes over the lines of such text
// with it, once the characters have been asked for, at a small part of what
// reading them one by one costs (paged::asksNothingNew), which it goes back
// to wherever this look finds something else.

#include <array>
#include <cstdint>
#include <string_view>

#include "writers/paged/fallback_context.hpp"

namespace kolvo::paged {

class QuietPairs {
 public:
  // Whether this processor has what the look needs (AVX2); without it
  // firstUnquiet() looks at nothing.
  static bool available();

  // Takes the characters under the two lead bytes `leads` (0xC2-0xDF;
  // both may be the same) that escaping in `style` asks nothing of the
  // fonts: those the standard fonts show, the invisible marks, and those
  // asked for already. Of these, the ones whose font's blank was not asked
  // for yet ask nothing only where no blank follows them (a blank between
  // two characters of a run asks for it).
  void build(FallbackContext& context, FontStyle style, std::array<unsigned char, 2> leads);
  std::array<unsigned char, 2> leads() const { return leads_; }

  // The first byte from `at` on (where no character begins halfway; at
  // least 2) that is not known to be quiet: a "%" (a tag may change the
  // font), with `feedsStop` a line feed (a PDF line starts in the body
  // font), a byte beyond ASCII that is not part of one of those characters,
  // a blank after one that needs none there, or the first byte of the last,
  // incomplete block of thirty-two, which is not looked at. The end of
  // `text` when every byte is quiet. With it, where the last line passed
  // over whole ends, so that the caller need not look back for it.
  struct Stop {
    std::size_t at;
    std::size_t lastFeed;  // the last line feed before `at` from where the look began, or npos
  };
  Stop firstUnquiet(std::string_view text, std::size_t at, bool feedsStop) const;

 private:
  // By the low four bits of the second byte: bit h (first lead) and bit
  // 4 + h (second lead) for the value h of its bits 4 and 5. The characters
  // taken, and those of them that want no blank after them.
  std::array<std::uint8_t, 16> quiet_{};
  std::array<std::uint8_t, 16> noBlankAfter_{};
  std::array<unsigned char, 2> leads_{};
};

}  // namespace kolvo::paged
