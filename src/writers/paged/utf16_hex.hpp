#pragma once
// Characters as UTF-16BE in upper-case hex digits, four to a unit, as PDF
// text strings and PostScript's GlyphNames2Unicode name them.

#include <string>
#include <string_view>

namespace kolvo::paged {

inline void appendUtf16Hex(std::string& out, std::u32string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto unit = [&](unsigned value) {
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kDigits[value >> shift & 0xFU]);
  };
  for (const char32_t c : text) {
    if (c < 0x10000) {
      unit(static_cast<unsigned>(c));
    } else {
      unit(0xD800U + static_cast<unsigned>((c - 0x10000) >> 10));
      unit(0xDC00U + static_cast<unsigned>((c - 0x10000) & 0x3FF));
    }
  }
}

}  // namespace kolvo::paged
