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
#include "fonts/script_ranges.hpp"
#include "io/message_text.hpp"
#include "text/typed_text.hpp"

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
  std::optional<std::uint16_t> blank;  // the code of U+0020, once asked
};

class SystemFallbackFonts final : public FallbackFonts {
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
    const FontFace& face = *faces_[use.face];
    EmbeddedFont embedded = face.description();
    Subset subset = subsetFace(face, use.glyphs);
    embedded.program = std::move(subset.program);
    embedded.deflatedProgram = deflate(embedded.program);
    for (std::size_t i = 0; i < use.glyphs.size(); ++i) {
      embedded.glyphs.push_back({use.unicodes[i], subset.glyphs[i], use.advances[i]});
    }
    return embedded;
  }

  std::string missingHint(std::span<const char32_t> missing) const override;

 private:
  std::uint32_t& cacheEntry(char32_t c, FontStyle style) {
    const auto s = static_cast<std::size_t>(style);
    if (c < kBmpSize) {
      if (bmp_[s].empty()) bmp_[s].assign(kBmpSize, kUnknown);
      return bmp_[s][c];
    }
    return astral_[s][c];
  }

  std::optional<FallbackGlyph> find(char32_t c, FontStyle style) {
    if (c < 0x20 || needsShaping(c)) return std::nullopt;
    for (std::size_t f = 0; f < givenCount_; ++f) {
      if (const auto g = faces_[f]->glyph(c)) return codeFor(f, *g, c);
    }
    std::vector<std::size_t>& picked = picked_[static_cast<std::size_t>(style)];
    for (const std::size_t f : picked) {
      if (const auto g = faces_[f]->glyph(c)) return codeFor(f, *g, c);
    }
    if (!options_.useFontconfig) return std::nullopt;
    if (!finder_) finder_ = std::make_unique<FontFinder>();
    for (const FontLocation& location : finder_->candidates(c, style, options_.preferMonospace)) {
      const std::optional<std::size_t> f = openFace(location);
      if (!f) continue;
      const auto g = faces_[*f]->glyph(c);
      if (!g) continue;
      picked.push_back(*f);
      return codeFor(*f, *g, c);
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
      auto face = std::make_unique<FontFace>(location.path, location.index);
      if (face->outlines() == OutlineFormat::Cff && !options_.acceptCff) {
        throw FontError(printable(location.path) + " has CFF outlines, which PostScript output cannot embed");
      }
      faces_.push_back(std::move(face));
    } catch (const FontError&) {
      if (givenCount_ == SIZE_MAX) throw;
      faceAt_.emplace(key, std::nullopt);
      return std::nullopt;
    }
    faceAt_.emplace(key, faces_.size() - 1);
    return faces_.size() - 1;
  }

  // The code of glyph `g` of face `f`, given out on first use; nothing once
  // the font has run out of codes.
  std::optional<FallbackGlyph> codeFor(std::size_t f, std::uint32_t g, char32_t c) {
    if (usedOfFace_.size() <= f) usedOfFace_.resize(f + 1, SIZE_MAX);
    if (usedOfFace_[f] == SIZE_MAX) {
      usedOfFace_[f] = used_.size();
      used_.push_back({});
      used_.back().face = f;
    }
    const auto font = static_cast<std::uint16_t>(usedOfFace_[f]);
    FontInUse& use = used_[usedOfFace_[f]];
    if (const auto it = use.codeOfGlyph.find(g); it != use.codeOfGlyph.end()) {
      return FallbackGlyph{font, it->second};
    }
    if (use.glyphs.size() >= kMaxCodes) return std::nullopt;
    use.glyphs.push_back(g);
    use.advances.push_back(faces_[f]->advance(g));
    use.unicodes.push_back(c);
    const auto code = static_cast<std::uint16_t>(use.glyphs.size());
    use.codeOfGlyph.emplace(g, code);
    return FallbackGlyph{font, code};
  }

  FallbackFontOptions options_;
  std::size_t givenCount_ = SIZE_MAX;  // until the --font files are open
  std::vector<std::unique_ptr<FontFace>> faces_;
  std::map<std::pair<std::string, unsigned>, std::optional<std::size_t>> faceAt_;
  std::array<std::vector<std::size_t>, kStyleCount> picked_;
  std::unique_ptr<FontFinder> finder_;
  std::vector<FontInUse> used_;
  std::vector<std::size_t> usedOfFace_;
  std::array<std::vector<std::uint32_t>, kStyleCount> bmp_;
  std::array<std::unordered_map<char32_t, std::uint32_t>, kStyleCount> astral_;
};

std::string SystemFallbackFonts::missingHint(std::span<const char32_t> missing) const {
  std::string shaped;
  std::size_t shapedCount = 0;
  std::string packages;
  for (const char32_t c : missing) {
    const ScriptRange* range = scriptRange(c);
    if (range == nullptr) continue;
    if (range->needsShaping) {
      shaped += shaped.empty() ? "" : ", ";
      shaped += codePointName(c);
      ++shapedCount;
    } else if (!range->package.empty()) {
      packages += packages.empty() ? "" : "; ";
      packages += std::string(range->package) + " would draw " + codePointName(c);
    }
  }
  std::string hint = packages;
  if (!shaped.empty()) {
    hint += hint.empty() ? "" : "; ";
    hint += shaped + (shapedCount == 1 ? " needs" : " need") +
            " shaping or right-to-left, which Kolvo does not do";
  }
  return hint;
}

}  // namespace

std::unique_ptr<FallbackFonts> makeSystemFallbackFonts(std::span<const std::string> files,
                                                       FallbackFontOptions options) {
  return std::make_unique<SystemFallbackFonts>(files, options);
}

}  // namespace kolvo::fonts
