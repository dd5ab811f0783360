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

// The body's faces under --mono: each text font the tags select is set in
// the Courier face of its style (its PDF resource keeps its name). Courier
// is fixed pitch: every glyph of every face is 600 units wide.
struct MonoFace {
  std::string_view resource;
  std::string_view textFont;
  std::string_view monoFont;
};

inline constexpr std::array<MonoFace, 3> kMonoFaces = {{
    {"F1", "Times-Roman", "Courier"},
    {"F2", "Times-Bold", "Courier-Bold"},
    {"F4", "Times-Italic", "Courier-Oblique"},
}};

// The Courier face that stands for `textFont` under --mono, or `textFont`.
std::string_view monoFaceOf(std::string_view textFont);

// PostScript that defines the font `source` anew under `name`, with the
// re-encoding when `reencode` (which postScriptEncodingVector defines).
std::string postScriptFontCopy(std::string_view source, std::string_view name, bool reencode);

// The definition of the re-encoding's vector alone, the first part of
// postScriptReencoding.
std::string postScriptEncodingVector();

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
