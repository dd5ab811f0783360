#include "writers/paged/font_widths.hpp"

#include <cstddef>

#include "writers/paged/font_width_tables.hpp"
#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

static_assert(kFontWidths.size() == static_cast<std::size_t>(PagedFont::ZapfDingbats) + 1,
              "one width table per PagedFont");
static_assert(kStandardEncodingWidths.size() == static_cast<std::size_t>(PagedFont::Courier) + 1,
              "a standard-encoding table for each text font");

int textWidth(PagedFont font, std::string_view codes) {
  const auto& widths = kFontWidths[static_cast<std::size_t>(font)];
  int total = 0;
  for (char c : codes) total += widths[static_cast<unsigned char>(c)];
  return total;
}

namespace {

struct NamedFont {
  std::string_view name;
  PagedFont font;
};

constexpr std::array<NamedFont, 6> kFontNames = {{
    {"Times-Roman", PagedFont::TimesRoman},
    {"Times-Bold", PagedFont::TimesBold},
    {"Times-Italic", PagedFont::TimesItalic},
    {"Courier", PagedFont::Courier},
    {"Symbol", PagedFont::Symbol},
    {"ZapfDingbats", PagedFont::ZapfDingbats},
}};

class StandardFontWidths final : public WidthSource {
 public:
  explicit StandardFontWidths(TextMode mode) : mode_(mode) {}

  const GlyphWidths* widths(std::string_view fontName) const override {
    for (const NamedFont& named : kFontNames) {
      if (named.name != fontName) continue;
      const auto index = static_cast<std::size_t>(named.font);
      // Markup text is shown in the fonts' own encoding; only the typed
      // text's fonts are re-encoded.
      if (mode_ == TextMode::Markup && index < kStandardEncodingWidths.size()) {
        return &kStandardEncodingWidths[index];
      }
      return &kFontWidths[index];
    }
    return nullptr;
  }

 private:
  TextMode mode_;
};

}  // namespace

const WidthSource& standardFontWidths(TextMode mode) {
  static const StandardFontWidths markup(TextMode::Markup);
  static const StandardFontWidths typed(TextMode::Typed);
  return mode == TextMode::Markup ? markup : typed;
}

}  // namespace kolvo::paged
