#pragma once
// What the PostScript and PDF writers write so that their text fonts use
// the re-encoding of text_encoding.hpp. Both texts are made from
// kTextEncoding, never written by hand.

#include <array>
#include <string>
#include <string_view>

namespace kolvo::paged {

// The re-encoded text fonts: their PDF resource names and base fonts. The
// Symbol (F3) and ZapfDingbats (F6) fonts keep their own encodings.
struct ReencodedFont {
  std::string_view resource;
  std::string_view baseFont;
};

inline constexpr std::array<ReencodedFont, 4> kReencodedFonts = {{
    {"F1", "Times-Roman"},
    {"F2", "Times-Bold"},
    {"F4", "Times-Italic"},
    {"F5", "Courier"},
}};

// PostScript prologue lines that define the encoding vector and redefine
// each font of kReencodedFonts under its own name with it, so that the
// "/Times-Roman findfont" of the tag texts finds the re-encoded font. They
// go before the prologue's first font selection.
std::string postScriptReencoding();

// The direct PDF encoding dictionary: WinAnsiEncoding with the differences.
std::string pdfEncodingDictionary();

// The font dictionary of one font of kReencodedFonts, with the encoding
// dictionary inside it, for the font's object.
std::string pdfTextFontDictionary(std::string_view baseFont);

}  // namespace kolvo::paged
