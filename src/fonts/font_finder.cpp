#include "fonts/font_finder.hpp"

#include <fontconfig/fontconfig.h>

#include <array>
#include <string_view>

#include "writers/paged/run_characters.hpp"

namespace kolvo::fonts {
namespace {

// Enough to pass over the faces FontFace refuses (a damaged file, CFF2
// outlines) however many come first.
constexpr std::size_t kMaxCandidates = 32;

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct CharSetDeleter {
  void operator()(FcCharSet* s) const { FcCharSetDestroy(s); }
};

// Faces drawn to the measure and look of Times and of Courier, best
// first: a Latin, Greek or Cyrillic letter that the standard fonts lack is
// drawn in one of these, as installed, and sits among its neighbours.
constexpr std::array<const char*, 3> kTimesLike = {"TeX Gyre Termes", "Liberation Serif",
                                                   "Noto Serif"};
constexpr std::array<const char*, 3> kCourierLike = {"TeX Gyre Cursor", "Liberation Mono",
                                                     "Noto Sans Mono"};

// What the style in force asks of fontconfig for `c`.
void describeStyle(FcPattern* pattern, char32_t c, FontStyle style, bool monospace) {
  const bool fixed = monospace || style == FontStyle::Monospace;
  if (paged::isTextFontScript(c)) {
    for (const char* name : fixed ? kCourierLike : kTimesLike) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    }
  }
  const auto family = reinterpret_cast<const FcChar8*>(fixed ? "monospace" : "serif");
  FcPatternAddString(pattern, FC_FAMILY, family);
  FcPatternAddInteger(pattern, FC_WEIGHT, style == FontStyle::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, style == FontStyle::Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
}

bool embeddable(FcPattern* font, char32_t c) {
  FcCharSet* charset = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch ||
      FcCharSetHasChar(charset, c) == FcFalse) {
    return false;
  }
  FcChar8* format = nullptr;
  if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch) return false;
  const std::string_view name(reinterpret_cast<const char*>(format));
  return name == "TrueType" || name == "CFF";
}

}  // namespace

struct FontFinder::Config {
  FcConfig* config = nullptr;
  ~Config() {
    if (config != nullptr) FcConfigDestroy(config);
  }
};

FontFinder::FontFinder() : config_(std::make_unique<Config>()) {
  config_->config = FcInitLoadConfigAndFonts();
}

FontFinder::~FontFinder() = default;

std::vector<FontLocation> FontFinder::candidates(char32_t c, FontStyle style, bool monospace) const {
  std::vector<FontLocation> found;
  if (config_->config == nullptr) return found;
  const std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  const std::unique_ptr<FcCharSet, CharSetDeleter> wanted(FcCharSetCreate());
  FcCharSetAddChar(wanted.get(), c);
  FcPatternAddCharSet(pattern.get(), FC_CHARSET, wanted.get());
  describeStyle(pattern.get(), c, style, monospace);
  FcConfigSubstitute(config_->config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultMatch;
  const std::unique_ptr<FcFontSet, FontSetDeleter> sorted(
      FcFontSort(config_->config, pattern.get(), FcFalse, nullptr, &result));
  if (!sorted) return found;
  for (int i = 0; i < sorted->nfont && found.size() < kMaxCandidates; ++i) {
    FcPattern* font = sorted->fonts[i];
    FcChar8* file = nullptr;
    int index = 0;
    if (!embeddable(font, c) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) {
      continue;
    }
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    found.push_back({reinterpret_cast<const char*>(file), static_cast<unsigned>(index)});
  }
  return found;
}

}  // namespace kolvo::fonts
