#pragma once
// Where the line layout takes the widths of glyphs from: the standard
// fonts' metrics, or the metrics of a font the document embeds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/break_before.hpp"

namespace kolvo::paged {

// The advance widths of a font's 256 codes, in 1/1000 em.
using GlyphWidths = std::array<std::uint16_t, 256>;

// A code of a hex string in an embedded fallback font.
struct HexGlyph {
  std::uint32_t advance = 0;  // in 1/1000 em
  bool blank = false;         // a word space, where a line may break
};

// A font of hex strings, as a source that knows it found it: one of the
// run's fallback fonts, and the first of its codes that the name's page
// holds (PostScript shows 256 codes a page).
struct HexFont {
  bool known = false;
  std::size_t font = 0;
  std::uint32_t firstCode = 0;
};

// What a source found hexGlyph() to be for one code of a font, kept:
// `known` false where it was not asked yet (or the code was not there).
struct KnownHexGlyph {
  std::uint32_t advance = 0;
  bool known = false;
  bool blank = false;
};

class WidthSource {
 public:
  WidthSource() = default;
  virtual ~WidthSource() = default;
  WidthSource(const WidthSource&) = delete;
  WidthSource& operator=(const WidthSource&) = delete;

  // The widths of the font PostScript calls `fontName` ("Times-Bold"), by
  // the codes the text shows it with; nullptr for a font it does not know.
  virtual const GlyphWidths* widths(std::string_view fontName) const = 0;

  // The font of hex strings the line selects as `fontName` (a PDF
  // resource or a PostScript name, as written), found once for all the
  // codes of a string; not `known` for a font the source does not know.
  // The standard fonts know none.
  virtual HexFont hexFont(std::string_view fontName) const {
    (void)fontName;
    return {};
  }
  // The code `code` of a hex string shown in `font`; nothing for a font or
  // code the source does not know.
  virtual std::optional<HexGlyph> hexGlyph(const HexFont& font, std::uint32_t code) const {
    (void)font;
    (void)code;
    return std::nullopt;
  }
  // The answers of hexGlyph() kept so far for the fonts' codes (the code
  // of a string plus HexFont::firstCode) of fallback font `font`: a line's
  // measure reads them without a call for each glyph, and asks hexGlyph()
  // for the rest (which may add to them, so the span is asked for again).
  virtual std::span<const KnownHexGlyph> knownHexGlyphs(std::size_t font) const {
    (void)font;
    return {};
  }
  // The character code `code` of `font` was given out for, or nothing for
  // a code the source does not know.
  virtual std::optional<char32_t> hexCharacter(const HexFont& font, std::uint32_t code) const {
    (void)font;
    (void)code;
    return std::nullopt;
  }
  // The fallback fonts' line breaking rules for `text` (FallbackFonts::
  // lineBreaks); false when the source knows none, as the standard fonts.
  virtual bool lineBreaks(std::u32string_view text, std::vector<BreakBefore>& out) const {
    (void)text;
    (void)out;
    return false;
  }
};

// The standard fonts as the writers use them for text in `mode`: the text
// fonts in their standard encoding for markup, re-encoded for typed text.
const WidthSource& standardFontWidths(TextMode mode);

}  // namespace kolvo::paged
