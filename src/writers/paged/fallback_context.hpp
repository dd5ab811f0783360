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
#include "writers/paged/built_runs.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/fallback_run.hpp"
#include "writers/paged/font_in_force.hpp"
#include "writers/paged/run_characters.hpp"

namespace kolvo::paged {

class FallbackContext {
 public:
  // `codesOnly`: the run only gives out codes (the first reading),
  // and the text of its lines is thrown away.
  FallbackContext(FallbackFonts& fonts, Format format, bool codesOnly = false)
      : fonts_(fonts), format_(format), inForce_(bodyFont(format)), codesOnly_(codesOnly) {}

  FallbackFonts& fonts() { return fonts_; }

  // A glyph of fonts().glyph() with its advance; code 0 when no font has
  // the character (codes start at 1).
  struct Glyph {
    FallbackGlyph glyph{0, 0};
    std::uint32_t advance = 0;
  };
  // fonts().glyph(c, style) and its advance, remembered for the first
  // plane: a run asks for every character, and most are asked again soon.
  // Returned as it is cached, eight bytes, which the run's loop keeps in a
  // register.
  Glyph glyph(char32_t c, FontStyle style) {
    if (c >= kRemembered) return ask(c, style);
    Glyph& entry = known(style)[c];
    if (entry.glyph.code == 0 && entry.glyph.font != kAsked) {
      entry = ask(c, style);
      if (entry.glyph.code == 0) entry.glyph.font = kAsked;
    }
    return entry;
  }
  // The glyphs of `style` known so far, by character of the first plane:
  // code 0 for one not known (yet), which glyph() then answers. For a
  // loop over many characters in one style.
  const Glyph* knownGlyphs(FontStyle style) { return known(style).data(); }
  static constexpr char32_t kRemembered = 0x10000;

  // fonts().glyphIn(font, U' ') and its advance, asked once per font: the
  // blank inside a run of that font. Code 0 when the font has none.
  Glyph blank(std::uint16_t font) {
    if (blanks_.size() <= font) blanks_.resize(font + 1U);
    Glyph& entry = blanks_[font];
    if (entry.glyph.code == 0 && entry.glyph.font != kAsked) {
      const std::optional<FallbackGlyph> b = fonts_.glyphIn(font, U' ');
      entry = b ? Glyph{*b, fonts_.advance(*b)} : Glyph{{kAsked, 0}, 0};
    }
    return entry;
  }

  // Whether the words `font` draws a letter of are drawn whole in it: it
  // was given out for a Latin letter the text fonts lack, and was then
  // asked at once for every letter they show. So drawing a word whole asks
  // the fonts nothing new, which the first reading's looks rely on.
  bool drawsWholeWords(std::uint16_t font) const {
    return font < letters_.size() && !letters_[font].empty();
  }
  // fonts().glyphIn(font, c) and its advance for a letter the text fonts
  // show (isTextFontLetter), as asked when the font began to draw whole
  // words; code 0 when it lacks the letter or draws no whole words.
  Glyph letterIn(std::uint16_t font, char32_t c) const {
    return drawsWholeWords(font) && c < kTextFontLettersEnd ? letters_[font][c] : Glyph{};
  }

  // Whether asking for `g` again, as knownGlyphs() holds it, can give out
  // no code: the character was asked for, and (when `blankToo`) so was the
  // blank of its font.
  bool settled(Glyph g, bool blankToo) const {
    if (g.glyph.code == 0) return g.glyph.font == kAsked;
    return !blankToo || blankAsked(g.glyph.font);
  }
  // Whether blank(font) was asked for: asking again gives out no code.
  bool blankAsked(std::uint16_t font) const {
    return font < blanks_.size() && (blanks_[font].glyph.code != 0 || blanks_[font].glyph.font == kAsked);
  }
  Format format() const { return format_; }
  FontInForce& inForce() { return inForce_; }
  RunScratch& runScratch() { return runScratch_; }
  // Room for a stretch sent to the shaper: its characters, where each
  // starts in the line, and what the shaper made of them.
  struct ShapingScratch {
    std::u32string chars;
    std::vector<std::size_t> offsets;
    ShapedText shaped;
    std::string actualText;
    std::vector<std::uint32_t> toldClusters;
  };
  ShapingScratch& shapingScratch() { return shapingScratch_; }
  BuiltRuns& builtRuns() { return builtRuns_; }
  bool codesOnly() const { return codesOnly_; }

 private:
  std::vector<Glyph>& known(FontStyle style) {
    std::vector<Glyph>& glyphs = known_[static_cast<std::size_t>(style)];
    if (glyphs.empty()) glyphs.assign(kRemembered, Glyph{});
    return glyphs;
  }

  // The font of a cached character no font has, told apart from one not
  // asked for yet.
  static constexpr std::uint16_t kAsked = UINT16_MAX;

  Glyph ask(char32_t c, FontStyle style) {
    const std::optional<FallbackGlyph> g = fonts_.glyph(c, style);
    if (!g) return {};
    if (isLatinBeyondTextFonts(c)) askForLetters(g->font);
    return {*g, fonts_.advance(*g)};
  }

  // The letters the text fonts show, asked of `font` once, in order.
  void askForLetters(std::uint16_t font) {
    if (letters_.size() <= font) letters_.resize(font + 1U);
    std::vector<Glyph>& letters = letters_[font];
    if (!letters.empty()) return;
    letters.assign(kTextFontLettersEnd, Glyph{});
    for (char32_t c = 0; c < kTextFontLettersEnd; ++c) {
      if (!isTextFontLetter(c)) continue;
      if (const std::optional<FallbackGlyph> g = fonts_.glyphIn(font, c)) {
        letters[c] = {*g, fonts_.advance(*g)};
      }
    }
  }

  FallbackFonts& fonts_;
  std::array<std::vector<Glyph>, 4> known_;
  std::vector<Glyph> blanks_;  // by font, as known_ by character
  std::vector<std::vector<Glyph>> letters_;  // by font, then letter; empty: not asked
  Format format_;
  FontInForce inForce_;
  bool codesOnly_;
  RunScratch runScratch_;
  ShapingScratch shapingScratch_;
  BuiltRuns builtRuns_;
};

}  // namespace kolvo::paged
