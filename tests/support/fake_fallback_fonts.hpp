#pragma once
// Fallback fonts for tests and the fuzzer, with no font files: three fonts
// by block of code points, each with a blank. Font "Cyr" (TrueType) has
// Cyrillic, 500 thousandths wide; font "Han" (CFF, or TrueType when
// a test asks) the CJK ideographs and kana, 1000 wide; font "Sym" (TrueType) the arrows and box drawing, 600
// wide (its italic face is the same); font "Lat" (TrueType) the Latin
// letters of Latin Extended-A and B and Latin Extended Additional, and
// (through glyphIn) those the standard fonts show, 450 wide. Everything
// else is missing, and the hint names each missing character.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/run_characters.hpp"

namespace kolvo::test {

class FakeFallbackFonts final : public FallbackFonts {
 public:
  explicit FakeFallbackFonts(bool cffHan = true) : cffHan_(cffHan) {}

  std::optional<FallbackGlyph> glyph(char32_t c, FontStyle style) override {
    const int face = faceOf(c);
    if (face < 0) return std::nullopt;
    // Bold text asks for a bold face of its own.
    const int key = face * 2 + (style == FontStyle::Bold ? 1 : 0);
    return codeIn(key, c);
  }

  std::optional<FallbackGlyph> glyphIn(std::uint16_t font, char32_t c) override {
    const int key = keys_.at(font);
    const bool standardLetter = key / 2 == kLatin && paged::isTextFontLetter(c);
    if (c != U' ' && faceOf(c) != key / 2 && !standardLetter) return std::nullopt;
    return codeIn(key, c);
  }

  std::uint32_t advance(FallbackGlyph g) const override {
    const char32_t c = fonts_.at(g.font).chars.at(g.code - 1U);
    if (c == U' ') return 250;
    return std::array<std::uint32_t, 4>{500, 1000, 600, 450}[static_cast<std::size_t>(keys_.at(g.font) / 2)];
  }

  char32_t character(FallbackGlyph g) const override {
    return fonts_.at(g.font).chars.at(g.code - 1U);
  }

  std::size_t fontCount() const override { return fonts_.size(); }

  EmbeddedFont embed(std::size_t font) const override {
    EmbeddedFont e;
    const int key = keys_.at(font);
    e.postScriptName = std::string(std::array<const char*, 4>{"Cyr", "Han", "Sym", "Lat"}[static_cast<std::size_t>(key / 2)]) +
                       (key % 2 == 1 ? "-Bold" : "");
    e.outlines = key / 2 == 1 && cffHan_ ? OutlineFormat::Cff : OutlineFormat::TrueType;
    e.cidKeyed = e.outlines == OutlineFormat::Cff;
    e.program = "fake font program";
    e.ascent = 800;
    e.descent = -200;
    e.capHeight = 700;
    e.bbox = {0, -200, 1000, 800};
    for (std::size_t i = 0; i < fonts_[font].chars.size(); ++i) {
      const FallbackGlyph g{static_cast<std::uint16_t>(font), static_cast<std::uint16_t>(i + 1)};
      e.glyphs.push_back({fonts_[font].chars[i], static_cast<std::uint16_t>(i + 1),
                          static_cast<std::uint16_t>(advance(g))});
    }
    return e;
  }

  std::string missingHint(std::span<const char32_t> missing) const override {
    return "hint for " + std::to_string(missing.size());
  }

 private:
  struct Font {
    std::vector<char32_t> chars;
    std::map<char32_t, std::uint16_t> codes;
  };

  static int faceOf(char32_t c) {
    if (c >= 0x0400 && c <= 0x04FF) return 0;
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) return 1;
    if (c >= 0x2190 && c <= 0x257F) return 2;
    if ((c >= 0x0100 && c <= 0x024F) || (c >= 0x1E00 && c <= 0x1EFF)) return kLatin;
    return -1;
  }
  static constexpr int kLatin = 3;

  std::optional<FallbackGlyph> codeIn(int key, char32_t c) {
    if (!fontOfKey_.count(key)) {
      fontOfKey_[key] = static_cast<std::uint16_t>(fonts_.size());
      fonts_.push_back({});
      keys_.push_back(key);
    }
    const std::uint16_t font = fontOfKey_[key];
    Font& f = fonts_[font];
    if (const auto it = f.codes.find(c); it != f.codes.end()) return FallbackGlyph{font, it->second};
    f.chars.push_back(c);
    const auto code = static_cast<std::uint16_t>(f.chars.size());
    f.codes.emplace(c, code);
    return FallbackGlyph{font, code};
  }

  bool cffHan_;
  std::map<int, std::uint16_t> fontOfKey_;
  std::vector<int> keys_;
  std::vector<Font> fonts_;
};

}  // namespace kolvo::test
