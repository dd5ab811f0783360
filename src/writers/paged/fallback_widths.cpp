#include "writers/paged/fallback_widths.hpp"

#include <charconv>
#include <limits>
#include <stdexcept>

namespace kolvo::paged {
namespace {

// The names fallback_run.cpp gives the fonts (tests pin the two together).
constexpr std::string_view kPdfPrefix = "K";
constexpr std::string_view kPostScriptPrefix = "KolvoK";
constexpr char kPageMark = 'p';
constexpr std::uint32_t kPageSize = 256;
// Codes are 16 bits; a page past them names no font.
constexpr std::size_t kPageCount = 256;

// Reads the decimal number at the start of `text` into `value`; what is
// left after it, or nothing when none is there.
std::optional<std::string_view> readNumber(std::string_view text, std::size_t& value) {
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, value);
  if (error != std::errc{} || end == text.data()) return std::nullopt;
  return text.substr(static_cast<std::size_t>(end - text.data()));
}

}  // namespace

std::optional<FallbackFontName> readFallbackFontName(Format format, std::string_view name) {
  const std::string_view prefix = format == Format::Pdf ? kPdfPrefix : kPostScriptPrefix;
  if (!name.starts_with(prefix)) return std::nullopt;
  FallbackFontName font;
  const std::optional<std::string_view> rest = readNumber(name.substr(prefix.size()), font.font);
  if (!rest) return std::nullopt;
  if (format == Format::Pdf) return rest->empty() ? std::optional(font) : std::nullopt;
  std::size_t page = 0;
  if (!rest->starts_with(kPageMark)) return std::nullopt;
  const std::optional<std::string_view> end = readNumber(rest->substr(1), page);
  if (!end || !end->empty() || page >= kPageCount) return std::nullopt;
  font.firstCode = static_cast<std::uint32_t>(page) * kPageSize;
  return font;
}

HexFont FallbackWidths::hexFont(std::string_view fontName) const {
  if (fonts_ == nullptr) return {};
  if (lastFont_.known && fontName == lastFontName_) return lastFont_;
  const std::optional<FallbackFontName> font = readFallbackFontName(format_, fontName);
  if (!font || font->font >= fonts_->fontCount()) return {};
  // A font that is there stays there: the next run most likely names it too.
  lastFont_ = {true, font->font, font->firstCode};
  lastFontName_ = fontName;
  return lastFont_;
}

std::optional<FallbackGlyph> FallbackWidths::glyphOf(const HexFont& font, std::uint32_t code) const {
  if (fonts_ == nullptr || !font.known) return std::nullopt;
  const std::uint32_t full = font.firstCode + code;
  if (full == 0 || full > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
  return FallbackGlyph{static_cast<std::uint16_t>(font.font), static_cast<std::uint16_t>(full)};
}

std::optional<char32_t> FallbackWidths::hexCharacter(const HexFont& font, std::uint32_t code) const {
  const std::optional<FallbackGlyph> glyph = glyphOf(font, code);
  if (!glyph) return std::nullopt;
  try {
    return fonts_->character(*glyph);
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
}

std::optional<HexGlyph> FallbackWidths::hexGlyph(const HexFont& font, std::uint32_t code) const {
  const std::optional<FallbackGlyph> found = glyphOf(font, code);
  if (!found) return std::nullopt;
  const FallbackGlyph glyph = *found;
  if (glyph.font < known_.size() && glyph.code < known_[glyph.font].size()) {
    const KnownHexGlyph known = known_[glyph.font][glyph.code];
    if (known.known) return HexGlyph{known.advance, known.blank};
  }
  // A code the font never gave out (none of Kolvo's runs shows one) is
  // measured as unknown rather than trusted, and asked again next time.
  HexGlyph answer;
  try {
    answer = HexGlyph{fonts_->advance(glyph), fonts_->character(glyph) == U' '};
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
  if (known_.size() <= glyph.font) known_.resize(glyph.font + 1U);
  std::vector<KnownHexGlyph>& ofFont = known_[glyph.font];
  if (ofFont.size() <= glyph.code) ofFont.resize(glyph.code + 1U);
  ofFont[glyph.code] = {answer.advance, true, answer.blank};
  return answer;
}

}  // namespace kolvo::paged
