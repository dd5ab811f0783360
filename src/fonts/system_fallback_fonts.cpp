#include "fonts/system_fallback_fonts.hpp"

#include <array>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fonts/deflate.hpp"
#include "fonts/font_face.hpp"
#include "fonts/font_finder.hpp"
#include "fonts/font_subset.hpp"
#include "fonts/line_breaker.hpp"
#include "fonts/script_ranges.hpp"
#include "fonts/text_shaper.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/shaped_scripts.hpp"

namespace kolvo::fonts {
namespace {

constexpr std::size_t kStyleCount = 4;
constexpr std::size_t kBmpSize = 0x10000;
constexpr std::uint32_t kUnknown = 0;
constexpr std::uint32_t kMissing = UINT32_MAX;
constexpr std::size_t kMaxCodes = 0xFFFF;

std::uint32_t pack(FallbackGlyph g) { return std::uint32_t{g.font} << 16 | g.code; }
FallbackGlyph unpack(std::uint32_t v) {
  return {static_cast<std::uint16_t>(v >> 16), static_cast<std::uint16_t>(v & 0xFFFF)};
}

// One face with codes given out: the face's glyph, advance and first
// character of each code.
struct FontInUse {
  std::size_t face = 0;
  std::vector<std::uint32_t> glyphs;
  std::vector<std::uint16_t> advances;
  std::vector<char32_t> unicodes;
  std::unordered_map<std::uint32_t, std::uint16_t> codeOfGlyph;
  // Codes of glyphs that shaping placed at another advance than their own:
  // by glyph and advance.
  std::unordered_map<std::uint64_t, std::uint16_t> codeOfPlacedGlyph;
  // By code: whether its character is settled (given out a character at
  // a time, or shaped alone); false for one shaping gave out inside a
  // cluster, whose character a later lone use corrects.
  std::vector<bool> alone;
  // The characters of codes that stand for several (ligatures), by code.
  std::unordered_map<std::size_t, std::u32string> ligatures;
  // Codes of glyphs that tell a piece of their cluster's text: by glyph,
  // advance and piece.
  std::map<std::u32string, std::uint16_t> codeOfPiece;
  // The boxes of codes that a reader must take wider than their advance
  // (glyphBoxes), by code.
  std::unordered_map<std::size_t, std::uint16_t> boxes;
  std::optional<std::uint16_t> blank;  // the code of U+0020, once asked
};

class SystemFallbackFonts final : public FallbackFonts, private ShapingFaces {
 public:
  SystemFallbackFonts(std::span<const std::string> files, FallbackFontOptions options)
      : options_(options) {
    for (const std::string& file : files) openFace({file, 0});
    givenCount_ = faces_.size();
  }

  std::optional<FallbackGlyph> glyph(char32_t c, FontStyle style) override {
    std::uint32_t& cached = cacheEntry(c, style);
    if (cached == kUnknown) {
      const std::optional<FallbackGlyph> found = find(c, style);
      cached = found ? pack(*found) : kMissing;
    }
    if (cached == kMissing) return std::nullopt;
    return unpack(cached);
  }

  std::optional<FallbackGlyph> glyphIn(std::uint16_t font, char32_t c) override {
    FontInUse& use = used_.at(font);
    if (c == U' ' && use.blank) return FallbackGlyph{font, *use.blank};
    const std::optional<std::uint32_t> g = faces_[use.face]->glyph(c);
    if (!g) return std::nullopt;
    const std::optional<FallbackGlyph> result = codeFor(use.face, *g, c);
    if (c == U' ' && result) use.blank = result->code;
    return result;
  }

  std::uint32_t advance(FallbackGlyph g) const override {
    return used_.at(g.font).advances.at(g.code - 1U);
  }

  char32_t character(FallbackGlyph g) const override {
    return used_.at(g.font).unicodes.at(g.code - 1U);
  }

  std::size_t fontCount() const override { return used_.size(); }

  EmbeddedFont embed(std::size_t font) const override {
    const FontInUse& use = used_.at(font);
    const FontFace& usedFace = *faces_[use.face];
    EmbeddedFont embedded = usedFace.description();
    std::vector<std::uint16_t> boxes;
    if (!use.boxes.empty()) {
      boxes.assign(use.glyphs.size(), 0);
      for (const auto& [code, box] : use.boxes) boxes[code] = box;
    }
    Subset subset = subsetFace(usedFace, use.glyphs, use.advances, boxes);
    embedded.program = std::move(subset.program);
    embedded.deflatedProgram = deflate(embedded.program);
    for (std::size_t i = 0; i < use.glyphs.size(); ++i) {
      embedded.glyphs.push_back({use.unicodes[i], subset.glyphs[i], use.advances[i]});
      if (const auto it = use.ligatures.find(i); it != use.ligatures.end()) {
        embedded.glyphs.back().characters = it->second;
      }
      // A boxed code's glyph is a copy as wide as its box.
      const bool boxed = subset.boxed && i < boxes.size() && boxes[i] != 0;
      embedded.glyphs.back().ownAdvance = use.advances[i] == (boxed ? boxes[i] : usedFace.advance(use.glyphs[i]));
    }
    return embedded;
  }

  bool shape(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
             ShapedText& out) override {
    shapeText(text, style, paragraph, *this, out);
    return true;
  }

  bool lineBreaks(std::u32string_view text, std::vector<BreakBefore>& out) const override {
    return lineBreaker_.breaks(text, out);
  }

  std::string missingHint(std::span<const char32_t> missing) const override;

 private:
  // A face found stays the one found: faces are only ever added after
  // those that lacked the character. None found is asked again, for a
  // face picked for another character since may have it.
  std::optional<std::size_t> faceFor(char32_t c, FontStyle style) override {
    if (c < 0x20) return std::nullopt;
    const auto s = static_cast<std::size_t>(style);
    if (c >= kBmpSize) {
      if (const auto it = astralFace_[s].find(c); it != astralFace_[s].end()) return it->second;
      const std::optional<std::size_t> f = faceNotFoundBefore(c, style);
      if (f) astralFace_[s].emplace(c, *f);
      return f;
    }
    std::vector<std::uint32_t>& known = faceOfCharacter_[s];
    if (known.empty()) known.assign(kBmpSize, kUnknown);
    if (known[c] != kUnknown) return known[c] - 1U;
    const std::optional<std::size_t> f = faceNotFoundBefore(c, style);
    if (f) known[c] = static_cast<std::uint32_t>(*f + 1U);
    return f;
  }

  // findFace() for a character no face was found for yet. Where none was
  // found before, only the faces picked since are asked: the --font files
  // and fontconfig's list for the character are what they were, and asking
  // fontconfig again costs about a millisecond each time the character
  // comes back (text with a character no font has is full of it).
  std::optional<std::size_t> faceNotFoundBefore(char32_t c, FontStyle style) {
    const auto s = static_cast<std::size_t>(style);
    const std::vector<std::size_t>& picked = picked_[s];
    const auto missed = pickedWhenMissed_[s].find(c);
    if (missed == pickedWhenMissed_[s].end()) {
      const std::optional<std::size_t> f = findFace(c, style);
      if (!f) pickedWhenMissed_[s].emplace(c, picked.size());
      return f;
    }
    for (std::size_t i = missed->second; i < picked.size(); ++i) {
      if (faces_[picked[i]]->glyph(c)) {
        const std::size_t f = picked[i];
        pickedWhenMissed_[s].erase(missed);
        return f;
      }
    }
    missed->second = picked.size();
    return std::nullopt;
  }
  const FontFace& face(std::size_t f) const override { return *faces_[f]; }
  ShapedWords* shapedWords() override { return &shapedWords_; }

  std::optional<FallbackGlyph> placedCode(std::size_t f, std::uint32_t g, std::uint16_t advance,
                                          std::u32string_view characters, bool alone) override {
    FontInUse& use = used_[useOf(f)];
    const std::size_t before = use.glyphs.size();
    const char32_t c = characters.front();
    const std::optional<FallbackGlyph> code =
        advance == faces_[f]->advance(g) ? codeFor(f, g, c) : placedCodeFor(f, g, advance, c);
    if (!code) return code;
    // A code maps to the first characters it stood for alone; until some
    // do, to the first character it was given out for.
    const std::size_t i = code->code - 1U;
    if (use.glyphs.size() > before) {
      use.alone[i] = alone;
    } else if (alone && !use.alone[i]) {
      use.alone[i] = true;
    } else {
      return code;
    }
    use.unicodes[i] = c;
    if (characters.size() > 1) use.ligatures[i] = characters;
    return code;
  }

  bool clusterTextInCodes() const override { return options_.clusterTextInCodes; }

  std::optional<FallbackGlyph> pieceCode(std::size_t f, std::uint32_t g, std::uint16_t advance,
                                         std::u32string_view characters, std::uint16_t box) override {
    const std::size_t font = useOf(f);
    FontInUse& use = used_[font];
    std::u32string key{static_cast<char32_t>(g), static_cast<char32_t>(advance), static_cast<char32_t>(box)};
    key += characters;
    if (const auto it = use.codeOfPiece.find(key); it != use.codeOfPiece.end()) {
      return FallbackGlyph{static_cast<std::uint16_t>(font), it->second};
    }
    // A piece of nothing has no character: its code tells no text.
    const std::optional<std::uint16_t> code = newCode(use, g, advance, characters.empty() ? 0 : characters[0]);
    if (!code) return std::nullopt;
    if (characters.size() > 1) use.ligatures[*code - 1U] = characters;
    if (box != 0) use.boxes[*code - 1U] = box;
    use.codeOfPiece.emplace(std::move(key), *code);
    return FallbackGlyph{static_cast<std::uint16_t>(font), *code};
  }

  // The code of glyph `g` at an advance not its own.
  std::optional<FallbackGlyph> placedCodeFor(std::size_t f, std::uint32_t g, std::uint16_t advance,
                                             char32_t c) {
    const std::size_t font = useOf(f);
    FontInUse& use = used_[font];
    const std::uint64_t key = std::uint64_t{g} << 16 | advance;
    if (const auto it = use.codeOfPlacedGlyph.find(key); it != use.codeOfPlacedGlyph.end()) {
      return FallbackGlyph{static_cast<std::uint16_t>(font), it->second};
    }
    const std::optional<std::uint16_t> code = newCode(use, g, advance, c);
    if (!code) return std::nullopt;
    use.codeOfPlacedGlyph.emplace(key, *code);
    return FallbackGlyph{static_cast<std::uint16_t>(font), *code};
  }

  std::uint32_t& cacheEntry(char32_t c, FontStyle style) {
    const auto s = static_cast<std::size_t>(style);
    if (c < kBmpSize) {
      if (bmp_[s].empty()) bmp_[s].assign(kBmpSize, kUnknown);
      return bmp_[s][c];
    }
    return astral_[s][c];
  }

  std::optional<FallbackGlyph> find(char32_t c, FontStyle style) {
    // Those scripts are drawn by shape(), never a character at a time.
    if (c < 0x20 || paged::needsShaping(c)) return std::nullopt;
    // The shaper asks for faces too: a character either found first is not
    // looked for again.
    const std::optional<std::size_t> f = faceFor(c, style);
    if (!f) return std::nullopt;
    return codeFor(*f, *faces_[*f]->glyph(c), c);
  }

  // The face that draws `c` in `style`: the --font files in order, the
  // faces fontconfig gave this style so far, then fontconfig's choice.
  std::optional<std::size_t> findFace(char32_t c, FontStyle style) {
    for (std::size_t f = 0; f < givenCount_; ++f) {
      if (faces_[f]->glyph(c)) return f;
    }
    std::vector<std::size_t>& picked = picked_[static_cast<std::size_t>(style)];
    for (const std::size_t f : picked) {
      if (faces_[f]->glyph(c)) return f;
    }
    if (!options_.useFontconfig) return std::nullopt;
    if (!finder_) finder_ = std::make_unique<FontFinder>();
    for (const FontLocation& location : finder_->candidates(c, style, options_.preferMonospace)) {
      const std::optional<std::size_t> f = openFace(location);
      if (!f || !faces_[*f]->glyph(c)) continue;
      picked.push_back(*f);
      return f;
    }
    return std::nullopt;
  }

  // The face at `location`, opened once; nothing for a face fontconfig
  // offered that cannot be embedded. A --font file that cannot be used is
  // an error (thrown while the constructor runs).
  std::optional<std::size_t> openFace(const FontLocation& location) {
    const auto key = std::make_pair(location.path, location.index);
    if (const auto it = faceAt_.find(key); it != faceAt_.end()) return it->second;
    try {
      faces_.push_back(std::make_unique<FontFace>(location.path, location.index));
    } catch (const FontError&) {
      if (givenCount_ == SIZE_MAX) throw;
      faceAt_.emplace(key, std::nullopt);
      return std::nullopt;
    }
    faceAt_.emplace(key, faces_.size() - 1);
    return faces_.size() - 1;
  }

  // The font in use of face `f`, made on its first code.
  std::size_t useOf(std::size_t f) {
    if (usedOfFace_.size() <= f) usedOfFace_.resize(f + 1, SIZE_MAX);
    if (usedOfFace_[f] == SIZE_MAX) {
      usedOfFace_[f] = used_.size();
      used_.push_back({});
      used_.back().face = f;
    }
    return usedOfFace_[f];
  }

  // A new code of `use` for glyph `g` at `advance`; nothing once the font
  // has run out of codes.
  static std::optional<std::uint16_t> newCode(FontInUse& use, std::uint32_t g,
                                              std::uint16_t advance, char32_t c) {
    if (use.glyphs.size() >= kMaxCodes) return std::nullopt;
    use.glyphs.push_back(g);
    use.advances.push_back(advance);
    use.unicodes.push_back(c);
    use.alone.push_back(true);
    return static_cast<std::uint16_t>(use.glyphs.size());
  }

  // The code of glyph `g` of face `f`, given out on first use; nothing once
  // the font has run out of codes.
  std::optional<FallbackGlyph> codeFor(std::size_t f, std::uint32_t g, char32_t c) {
    const std::size_t font = useOf(f);
    FontInUse& use = used_[font];
    if (const auto it = use.codeOfGlyph.find(g); it != use.codeOfGlyph.end()) {
      return FallbackGlyph{static_cast<std::uint16_t>(font), it->second};
    }
    const std::optional<std::uint16_t> code = newCode(use, g, faces_[f]->advance(g), c);
    if (!code) return std::nullopt;
    use.codeOfGlyph.emplace(g, *code);
    return FallbackGlyph{static_cast<std::uint16_t>(font), *code};
  }

  FallbackFontOptions options_;
  std::size_t givenCount_ = SIZE_MAX;  // until the --font files are open
  std::vector<std::unique_ptr<FontFace>> faces_;
  std::map<std::pair<std::string, unsigned>, std::optional<std::size_t>> faceAt_;
  std::array<std::vector<std::size_t>, kStyleCount> picked_;
  std::unique_ptr<FontFinder> finder_;
  std::vector<FontInUse> used_;
  ShapedWords shapedWords_;
  // Asked by the layout, which holds the fonts as const: the iterators
  // and their buffers are a cache, one run's own.
  mutable LineBreaker lineBreaker_;
  std::vector<std::size_t> usedOfFace_;
  std::array<std::vector<std::uint32_t>, kStyleCount> bmp_;
  // By style and character of the first plane: faceFor()'s face + 1, or
  // kUnknown.
  std::array<std::vector<std::uint32_t>, kStyleCount> faceOfCharacter_;
  // The same beyond the first plane: the face found.
  std::array<std::unordered_map<char32_t, std::size_t>, kStyleCount> astralFace_;
  // By style, the characters faceFor() found no face for: how many faces
  // the style had picked then.
  std::array<std::unordered_map<char32_t, std::size_t>, kStyleCount> pickedWhenMissed_;
  std::array<std::unordered_map<char32_t, std::uint32_t>, kStyleCount> astral_;
};

std::string SystemFallbackFonts::missingHint(std::span<const char32_t> missing) const {
  return missingGlyphHint(missing, debianPackageInstalled);
}

}  // namespace

std::unique_ptr<FallbackFonts> makeSystemFallbackFonts(std::span<const std::string> files,
                                                       FallbackFontOptions options) {
  return std::make_unique<SystemFallbackFonts>(files, options);
}

}  // namespace kolvo::fonts
