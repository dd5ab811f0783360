#pragma once
// The widths the line layout measures typed PostScript and PDF with when
// fallback fonts draw part of the text: the standard fonts' for string
// operands, and each fallback font's own advances for the hex strings of
// its runs.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/font_texts.hpp"
#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

// Which fallback font, and the first code of its page, a run's font name
// selects: PDF "K3" is font 3 (two-byte codes); PostScript "KolvoK3p2" is
// codes 512 to 767 of font 3. Nothing for any other name.
struct FallbackFontName {
  std::size_t font = 0;
  std::uint32_t firstCode = 0;
};
std::optional<FallbackFontName> readFallbackFontName(Format format, std::string_view name);

class FallbackWidths final : public WidthSource {
 public:
  // `fonts` may be null: then only the standard fonts are known.
  // `mono`: the text fonts are set in Courier (kMonoFaces), whose faces
  // all have Courier's widths.
  FallbackWidths(Format format, TextMode mode, const FallbackFonts* fonts, bool mono = false)
      : format_(format), standard_(standardFontWidths(mode)), fonts_(fonts), mono_(mono) {}

  const GlyphWidths* widths(std::string_view fontName) const override {
    if (mono_ && monoFaceOf(fontName) != fontName) return standard_.widths("Courier");
    return standard_.widths(fontName);
  }
  HexFont hexFont(std::string_view fontName) const override;
  std::optional<HexGlyph> hexGlyph(const HexFont& font, std::uint32_t code) const override;
  std::span<const KnownHexGlyph> knownHexGlyphs(std::size_t font) const override {
    if (font >= known_.size()) return {};
    return known_[font];
  }
  std::optional<char32_t> hexCharacter(const HexFont& font, std::uint32_t code) const override;
  bool lineBreaks(std::u32string_view text, std::vector<BreakBefore>& out) const override {
    return fonts_ != nullptr && fonts_->lineBreaks(text, out);
  }

 private:
  // The fallback glyph of a code of `font`, or nothing for a code no
  // fallback font can have.
  std::optional<FallbackGlyph> glyphOf(const HexFont& font, std::uint32_t code) const;

  Format format_;
  const WidthSource& standard_;
  const FallbackFonts* fonts_;
  bool mono_;
  // hexGlyph()'s answers by font and code: a line's layout asks for every
  // glyph of its runs, two calls each through the fonts, and lines say the
  // same words again and again.
  mutable std::vector<std::vector<KnownHexGlyph>> known_;
  // The font hexFont() found last, by its name.
  mutable std::string lastFontName_;
  mutable HexFont lastFont_;
};

}  // namespace kolvo::paged
