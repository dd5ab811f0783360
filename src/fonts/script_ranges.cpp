#include "fonts/script_ranges.hpp"

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "io/message_text.hpp"

namespace kolvo::fonts {
namespace {

// In code point order; the gaps are scripts of no known package or fonts
// that fontconfig finds on most systems.
constexpr auto kScriptRanges = std::to_array<ScriptRange>({
    {0x0250, 0x036F, "IPA and combining marks", "fonts-dejavu-core"},
    {0x0370, 0x03FF, "Greek", "fonts-dejavu-core"},
    {0x0400, 0x052F, "Cyrillic", "fonts-dejavu-core"},
    {0x0530, 0x058F, "Armenian", "fonts-dejavu-core"},
    {0x0590, 0x05FF, "Hebrew", "fonts-noto-core"},
    {0x0600, 0x08FF, "Arabic, Syriac, Thaana, N'Ko", "fonts-noto-core"},
    {0x0900, 0x0DFF, "the Indic scripts", "fonts-noto-core"},
    {0x0E00, 0x0EFF, "Thai and Lao", "fonts-noto-core"},
    {0x0F00, 0x0FFF, "Tibetan", "fonts-noto-core"},
    {0x1000, 0x109F, "Myanmar", "fonts-noto-core"},
    {0x10A0, 0x10FF, "Georgian", "fonts-dejavu-core"},
    {0x1100, 0x11FF, "Hangul", "fonts-noto-cjk"},
    {0x1200, 0x139F, "Ethiopic", "fonts-noto-core"},
    {0x1780, 0x18AF, "Khmer and Mongolian", "fonts-noto-core"},
    {0x1E00, 0x1FFF, "Latin and Greek extended", "fonts-dejavu-core"},
    {0x2000, 0x2BFF, "punctuation and symbols", "fonts-dejavu-core"},
    {0x2E80, 0x9FFF, "CJK", "fonts-noto-cjk"},
    {0xA000, 0xA4CF, "Yi", "fonts-noto-core"},
    {0xA640, 0xA69F, "Cyrillic", "fonts-dejavu-core"},
    {0xA840, 0xABFF, "Indic and South-East Asian scripts", "fonts-noto-core"},
    {0xAC00, 0xD7FF, "Hangul", "fonts-noto-cjk"},
    {0xF900, 0xFAFF, "CJK", "fonts-noto-cjk"},
    {0xFB1D, 0xFDFF, "Hebrew and Arabic", "fonts-noto-core"},
    {0xFE30, 0xFE4F, "CJK", "fonts-noto-cjk"},
    {0xFE70, 0xFEFF, "Arabic", "fonts-noto-core"},
    {0xFF00, 0xFFEF, "CJK", "fonts-noto-cjk"},
    {0x1F300, 0x1FAFF, "emoji", "fonts-symbola"},
    {0x20000, 0x3134F, "CJK", "fonts-noto-cjk"},
});

bool privateUse(char32_t c) {
  return (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xF0000 && c <= 0x10FFFF);
}

// One sentence of the hint: what would draw them, then the characters.
struct HintPart {
  std::string lead;
  std::string characters;
};

void addTo(std::vector<HintPart>& parts, const std::string& lead, char32_t c) {
  for (HintPart& part : parts) {
    if (part.lead == lead) {
      part.characters += " " + codePointName(c);
      return;
    }
  }
  parts.push_back({lead, codePointName(c)});
}

}  // namespace

std::string missingGlyphHint(std::span<const char32_t> missing,
                             const std::function<bool(std::string_view)>& installed) {
  std::vector<HintPart> parts;
  for (const char32_t c : missing) {
    const ScriptRange* range = scriptRange(c);
    if (privateUse(c)) {
      addTo(parts, "only a --font made for private use draws", c);
    } else if (range != nullptr && !range->package.empty() && !installed(range->package)) {
      addTo(parts, std::string(range->package) + " would draw", c);
    } else {
      addTo(parts, "no font package known here draws", c);
    }
  }
  std::string hint;
  for (const HintPart& part : parts) {
    if (!hint.empty()) hint += "; ";
    hint += part.lead + " " + part.characters;
  }
  return hint;
}

bool debianPackageInstalled(std::string_view name) {
  const std::filesystem::path info = "/var/lib/dpkg/info";
  std::error_code error;
  if (!std::filesystem::is_directory(info, error)) return true;
  // Font packages are for every architecture, so their lists carry none
  // in their names.
  return std::filesystem::exists(info / (std::string(name) + ".list"), error);
}

const ScriptRange* scriptRange(char32_t c) {
  for (const ScriptRange& range : kScriptRanges) {
    if (c < range.first) return nullptr;
    if (c <= range.last) return &range;
  }
  return nullptr;
}


}  // namespace kolvo::fonts
