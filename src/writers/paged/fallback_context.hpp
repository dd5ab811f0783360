#pragma once
// What one conversion run keeps for drawing typed text with fallback fonts
// in PostScript or PDF: the fonts, the standard font in force (PostScript
// carries it from line to line), and room to build a run's text in.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo::paged {

class FallbackContext {
 public:
  // `codesOnly`: the run only gives out codes (PostScript's first reading),
  // and the text of its lines is thrown away.
  FallbackContext(FallbackFonts& fonts, Format format, bool codesOnly = false)
      : fonts_(fonts), format_(format), inForce_(bodyFont(format)), codesOnly_(codesOnly) {}

  FallbackFonts& fonts() { return fonts_; }

  // A glyph of fonts().glyph() with its advance.
  struct Glyph {
    FallbackGlyph glyph;
    std::uint32_t advance;
  };
  // fonts().glyph(c, style) and its advance, remembered for the first
  // plane: a run asks for every character, and most are asked again soon.
  std::optional<Glyph> glyph(char32_t c, FontStyle style) {
    if (c >= kRemembered) return ask(c, style);
    std::vector<std::uint64_t>& known = known_[static_cast<std::size_t>(style)];
    if (known.empty()) known.assign(kRemembered, kUnknown);
    std::uint64_t& entry = known[c];
    if (entry == kUnknown) {
      const std::optional<Glyph> g = ask(c, style);
      entry = g ? std::uint64_t{g->glyph.font} << 48 | std::uint64_t{g->glyph.code} << 32 | g->advance
                : kMissing;
    }
    if (entry == kMissing) return std::nullopt;
    return Glyph{{static_cast<std::uint16_t>(entry >> 48), static_cast<std::uint16_t>(entry >> 32)},
                 static_cast<std::uint32_t>(entry)};
  }
  Format format() const { return format_; }
  FontInForce& inForce() { return inForce_; }
  std::string& runText() { return runText_; }
  bool codesOnly() const { return codesOnly_; }

 private:
  static constexpr char32_t kRemembered = 0x10000;
  static constexpr std::uint64_t kUnknown = 0;  // codes start at 1
  static constexpr std::uint64_t kMissing = 1;

  std::optional<Glyph> ask(char32_t c, FontStyle style) {
    const std::optional<FallbackGlyph> g = fonts_.glyph(c, style);
    if (!g) return std::nullopt;
    return Glyph{*g, fonts_.advance(*g)};
  }

  FallbackFonts& fonts_;
  std::array<std::vector<std::uint64_t>, 4> known_;
  Format format_;
  FontInForce inForce_;
  bool codesOnly_;
  std::string runText_;
};

}  // namespace kolvo::paged
