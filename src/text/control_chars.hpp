#pragma once
// Control characters have no glyph in any format: the escapers show them as
// "?" and count them. Tab, carriage return and line feed are not among
// them (each format has its own way with those).

namespace kolvo {

constexpr bool isUnshowableControl(char32_t cp) {
  if (cp == U'\t' || cp == U'\n' || cp == U'\r') return false;
  return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

}  // namespace kolvo
