#include "writers/paged/break_plan.hpp"

#include <algorithm>
#include <cstdint>

namespace kolvo::paged {
namespace {

// A glyph of the standard fonts as the rules see it: ASCII as itself (its
// punctuation matters beside CJK text), anything else as a letter.
char32_t standardCharacter(unsigned char code) {
  return code >= 0x20 && code < 0x7F ? static_cast<char32_t>(code) : U'a';
}

// A code no font gave out is taken for an ideograph: it may break on
// either side, as every code could before.
constexpr char32_t kUnknownCharacter = U'\u4E00';

}  // namespace

void BreakPlan::plan(std::string_view line, Format format, const ShownText& shown,
                     const WidthSource& widths) {
  text_.clear();
  rules_.clear();
  runs_.clear();
  lastGlyphHex_ = false;
  const bool anyHex =
      std::any_of(shown.runs.begin(), shown.runs.end(), [](const ShownRun& run) { return run.hex; });
  if (!anyHex) return;
  for (std::size_t run = 0; run < shown.runs.size(); ++run) {
    addRun(line, format, shown, run, widths);
  }
  if (!widths.lineBreaks(text_, rules_) || rules_.size() != text_.size()) {
    rules_.clear();
    runs_.clear();
  }
}

void BreakPlan::addRun(std::string_view line, Format format, const ShownText& shown,
                       std::size_t run, const WidthSource& widths) {
  const ShownRun& shownRun = shown.runs[run];
  RunRules& rules = runs_.emplace_back();
  rules.first = text_.size();
  if (shownRun.hex) {
    const std::size_t digits = format == Format::Pdf ? 4 : 2;
    const HexFont font = widths.hexFont(shown.styles[shownRun.style].font);
    for (std::size_t pos = shownRun.begin; pos < shownRun.end; pos += digits) {
      const std::uint32_t code = hexCodeAt(line, pos, shownRun.end, digits);
      text_.push_back(widths.hexCharacter(font, code).value_or(kUnknownCharacter));
    }
    rules.governed = text_.size() - rules.first;
    if (rules.governed > 0) lastGlyphHex_ = true;
    return;
  }
  const std::string_view text = line.substr(0, shownRun.end);
  for (std::size_t pos = shownRun.begin; pos < shownRun.end;) {
    const EscapedGlyph glyph = glyphAt(text, pos);
    pos = glyph.end;
    text_.push_back(standardCharacter(glyph.code));
  }
  rules.governed = lastGlyphHex_ && text_.size() > rules.first ? 1 : 0;
  if (text_.size() > rules.first) lastGlyphHex_ = false;
}

}  // namespace kolvo::paged
