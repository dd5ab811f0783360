#include "writers/paged/page_overflow.hpp"

#include <algorithm>
#include <limits>

#include "writers/paged/line_layout.hpp"
#include "writers/paged/shown_text.hpp"
#include "writers/paged/tag_painting.hpp"

namespace kolvo::paged {
namespace {

// The writers' page without a paper size.
constexpr double kPageWidth = kA4Paper.width;
constexpr double kBodySize = 12;
// Breaker's advance in a font it has no widths for.
constexpr unsigned kUnknownAdvance = 500;

bool sameFont(const TextStyle& a, const TextStyle& b) { return a.font == b.font && a.size == b.size; }

// The glyphs of a string operand's escaped contents.
std::size_t glyphCount(std::string_view escaped) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < escaped.size(); ++count) pos = glyphAt(escaped, pos).end;
  return count;
}

// The advances of `bytes` in `table`, in thousandths of the size.
std::uint64_t innerUnitsOf(std::string_view bytes, const GlyphWidths* table) {
  if (table == nullptr) return bytes.size() * kUnknownAdvance;
  std::uint64_t sums[4] = {0, 0, 0, 0};
  std::size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    for (std::size_t k = 0; k < 4; ++k) sums[k] += (*table)[static_cast<unsigned char>(bytes[i + k])];
  }
  for (; i < bytes.size(); ++i) sums[0] += (*table)[static_cast<unsigned char>(bytes[i])];
  return sums[0] + sums[1] + sums[2] + sums[3];
}

// The same for bytes that end the line: the clean-ups make line ends
// blanks.
std::uint64_t unitsOf(std::string_view bytes, const GlyphWidths* table) {
  std::uint64_t units = innerUnitsOf(bytes, table);
  if (table == nullptr) return units;
  for (const char end : {'\n', '\r'}) {
    const auto count = static_cast<std::uint64_t>(std::count(bytes.end() - std::min<std::size_t>(2, bytes.size()), bytes.end(), end));
    units = units - count * (*table)[static_cast<unsigned char>(end)] + count * (*table)[' '];
  }
  return units;
}

// A clean-up that adds a glyph: "<c></c>" gets a blank between its tags.
bool growsInCleanUp(std::string_view text) {
  return text.find('<') != std::string_view::npos && text.find("<c></c>") != std::string_view::npos;
}

// A clean-up that takes a glyph out: "_" after a blank.
bool shrinksInCleanUp(std::string_view text) {
  for (std::size_t at = text.find('_'); at != std::string_view::npos; at = text.find('_', at + 1)) {
    if (at > 0 && text[at - 1] == ' ') return true;
  }
  return false;
}

}  // namespace

PageOverflow::PageOverflow(Format format, TextMode mode, const PaperSize* paper,
                           const FallbackFonts* fallback)
    : active_(isPaged(format) && paper == nullptr && mode == TextMode::Markup), format_(format),
      mode_(mode), column_(tagColumn(format, mode)), widths_(format, mode, fallback),
      style_(initialTextStyle(format)), bodyStyle_(initialTextStyle(format)) {
  if (active_) readRowEffects();
}

// As Breaker measures: an unknown font by the body font's widths.
const GlyphWidths* PageOverflow::tableOf(const TextStyle& style) const {
  if (const GlyphWidths* table = widths_.widths(fontName(format_, style))) return table;
  return body_;
}

// Each row's paint steps followed from two styles: a text that leaves
// both in the same font sets it, one that leaves each as it was sets none.
void PageOverflow::readRowEffects() {
  const TextStyle body = initialTextStyle(format_);
  body_ = widths_.widths(fontName(format_, body));
  if (body_ == nullptr) {
    active_ = false;  // nothing to measure with
    return;
  }
  std::vector<const GlyphWidths*> any{body_};
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    readRowEffect(row, any);
  }
  for (const GlyphWidths* table : any) {
    widestGlyph_ = std::max<unsigned>(widestGlyph_, *std::max_element(table->begin(), table->end()));
  }
  // The tally weighs a line's bytes by the body font; the clean-ups make
  // line ends blanks.
  for (std::size_t b = 0; b < 256; ++b) tallyWeights_[b] = (*body_)[b];
  tallyWeights_['\n'] = tallyWeights_['\r'] = (*body_)[' '];
  // What sends a line past the plain path: a tag, a clean-up's bytes, a
  // carriage return.
  for (const char c : {'%', '_', '<', '\r'}) tallyClasses_[static_cast<unsigned char>(c)] = kTallyOffPlain;
}

// What row `row`'s text paints (its own glyphs, in which sizes and fonts,
// and the pen's moves) and the font it leaves in force; the fonts it
// paints in go into `fonts`.
void PageOverflow::readRowEffect(std::size_t row, std::vector<const GlyphWidths*>& fonts) {
  RowEffect& effect = rows_[row];
  const TextStyle body = initialTextStyle(format_);
  TextStyle fromBody = body;
  TextStyle fromProbe{"KolvoProbe", "7", "", ""};
  const TextStyle probe = fromProbe;
  bool styled = false;  // a style step came before: what follows paints in another style
  for (const PaintStep& step : paintedBy(row, format_, mode_)) {
    switch (step.kind) {
      case PaintKind::Style:
        applyStyleChange(step.style, fromBody);
        applyStyleChange(step.style, fromProbe);
        styled = true;
        break;
      case PaintKind::Glyphs:
      case PaintKind::Text: {
        effect.glyphs += glyphCount(step.glyphs);
        const double size = pointSize(fromBody) / 1000;
        effect.shift += (std::max(0.0, step.moveBefore) + std::max(0.0, step.moveAfter)) * size;
        if (styled) {
          effect.maxSize = std::max(effect.maxSize, pointSize(fromBody));
          fonts.push_back(tableOf(fromBody));
        }
        break;
      }
      case PaintKind::Close:
      case PaintKind::Open:
        break;
    }
  }
  const bool keeps = sameFont(fromBody, body) && sameFont(fromProbe, probe);
  effect.setsFont = !keeps && sameFont(fromBody, fromProbe);
  effect.bounded = (keeps || effect.setsFont) && effect.glyphs <= 1;
  effect.font = fromBody.font;
  effect.size = fromBody.size;
  effect.table = tableOf(fromBody);
  effect.points = pointSize(fromBody);
  if (effect.setsFont) effect.maxSize = std::max(effect.maxSize, pointSize(fromBody));
  fonts.push_back(effect.table);
}

// A line without tags in the body font: its bytes are its glyphs, in the
// body font's widths (in thousandths of its size), which the tally bounds;
// summed exactly only where the bounds fall on both sides of the edge.
bool PageOverflow::plainFits(std::string_view typed, const LineTally& tally) const {
  static_assert(kPlainRoom == (kPageWidth - kLeftMargin) * 1000 / kBodySize);
  if (static_cast<double>(tally.upper) <= kPlainRoom) return true;
  if (static_cast<double>(tally.lower) > kPlainRoom) return false;
  return static_cast<double>(unitsOf(typed, body_)) <= kPlainRoom;
}

bool PageOverflow::measureFurther(std::string_view typed, const LineTally& tally) {
  pendingBound_ = -1;
  // Most lines: text alone, in the body font.
  if (inBodyFont_ && (tally.classes & kTallyOffPlain) == 0) {
    if (!plainFits(typed, tally)) ++lines_;
    return true;
  }
  // A carriage return inside a line becomes a blank, and a clean-up may
  // add a glyph: such lines are laid out.
  const std::size_t carriageReturn = typed.find('\r');
  if (carriageReturn != std::string_view::npos && carriageReturn + 2 < typed.size()) return false;
  if (growsInCleanUp(typed)) return false;
  if (typed.find('%') == std::string_view::npos && inBodyFont_ && !shrinksInCleanUp(typed)) {
    if (!plainFits(typed, tally)) ++lines_;
    return true;
  }
  boundTagged(typed);
  return false;
}

// As the check's replay has it: a text that can form a tag and leaves no
// "%" of its own needs a typed "%" at most two bytes before its tag.
bool PageOverflow::mayFormAt(std::string_view typed, std::size_t at, std::size_t row) const {
  if (!tagIndex().formsTags(column_, row)) return false;
  if (tagIndex().text(column_, row).find('%') != std::string_view::npos) return true;
  const std::size_t from = at >= 2 ? at - 2 : 0;
  return typed.substr(from, at - from).find('%') != std::string_view::npos;
}

void PageOverflow::boundTagged(std::string_view typed) {
  const GlyphWidths* table = tableOf(style_);
  double size = pointSize(style_);
  double points = 0;
  pendingRows_.clear();
  std::size_t text = 0;  // where the user's text since the last tag starts
  for (std::size_t at = TagIndex::findTag(typed, 0); at != std::string_view::npos;
       at = TagIndex::findTag(typed, at + 1)) {
    const std::size_t row = tagIndex().rowAt(typed, at, column_);
    if (row == kNoRow) continue;
    const RowEffect& effect = rows_[row];
    if (!effect.bounded || mayFormAt(typed, at, row)) return;
    points += static_cast<double>(innerUnitsOf(typed.substr(text, at - text), table)) * size / 1000;
    // Its glyph, if any, no wider than the widest at the larger of its
    // own sizes and the size in force.
    points += static_cast<double>(effect.glyphs * widestGlyph_) * std::max(size, effect.maxSize) /
                  1000 + effect.shift;
    if (effect.setsFont) {
      table = effect.table;
      size = effect.points;
      pendingRows_.push_back(row);
    }
    at += 2;
    text = at + 1;
  }
  points += static_cast<double>(unitsOf(typed.substr(text), table)) * size / 1000;
  pendingBound_ = points;
}

void PageOverflow::measureRewritten(const TypedLine& rewritten, const LineMarks& marks) {
  const double left = marks.line_x;
  if (pendingBound_ >= 0 && left >= 0 && left + pendingBound_ <= kPageWidth) {
    // The font the last of them sets is in force at the end; a PDF line
    // starts in the body font whatever it was.
    if (format_ == Format::Pdf) {
      style_.font = bodyStyle_.font;
      style_.size = bodyStyle_.size;
    } else if (!pendingRows_.empty()) {
      style_.font = rows_[pendingRows_.back()].font;
      style_.size = rows_[pendingRows_.back()].size;
    }
  } else {
    const LineLayout& layout =
        layoutLine(rewritten, format_, mode_, style_, std::numeric_limits<double>::infinity(),
                   widths_, {}, true, buffers_);
    style_ = nextLineStyle(format_, layout.end);
    if (left < 0 || left + layout.pieces.front().width > kPageWidth) ++lines_;
  }
  inBodyFont_ = sameFont(style_, bodyStyle_);
}

}  // namespace kolvo::paged
