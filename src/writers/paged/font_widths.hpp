#pragma once
// The widths of text shown in the standard fonts, for measuring lines in
// PostScript and PDF rather than estimating them per byte.

#include <string_view>

namespace kolvo::paged {

// The fonts with width tables; the four text fonts measure in the
// re-encoding of text_encoding.hpp, Symbol and ZapfDingbats in their own
// encodings.
enum class PagedFont : unsigned char {
  TimesRoman,
  TimesBold,
  TimesItalic,
  Courier,
  Symbol,
  ZapfDingbats
};

// The advance width of `codes` (bytes in the font's encoding, not escaped)
// in 1/1000 em: at size S points the text is textWidth * S / 1000 points
// wide. Codes the font leaves free measure 0.
int textWidth(PagedFont font, std::string_view codes);

}  // namespace kolvo::paged
