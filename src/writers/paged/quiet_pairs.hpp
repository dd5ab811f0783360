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
  // asked for already whose font's blank (if they have a font) was too.
  void build(FallbackContext& context, FontStyle style, std::array<unsigned char, 2> leads);

  // From `at`, a line start, in blocks of thirty-two bytes: the start of
  // the first block that holds a "%" (a tag may change the font), a byte
  // beyond ASCII that is not part of one of those characters, or a
  // character the block leaves unfinished; the end of the last whole block
  // when none does (the end of `text` only when every block was whole).
  std::size_t firstUnquiet(std::string_view text, std::size_t at) const;

 private:
  // By the low four bits of the second byte: bit h (first lead) and bit
  // 4 + h (second lead) for the value h of its bits 4 and 5.
  std::array<std::uint8_t, 16> table_{};
  std::array<unsigned char, 2> leads_{};
};

}  // namespace kolvo::paged
