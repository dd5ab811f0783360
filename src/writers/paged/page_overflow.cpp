#include "writers/paged/page_overflow.hpp"

#include <algorithm>
#include <limits>

#include "writers/paged/advance_sum.hpp"
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

// The advances of `bytes` in `table`, in thousandths of the size: the
// strings between a line's items are short.
std::uint64_t innerUnitsOf(std::string_view bytes, const GlyphWidths* table) {
  if (table == nullptr) return bytes.size() * kUnknownAdvance;
  return sumShortAdvances(bytes, *table);
}

// The same for bytes that end the line: the clean-ups make line ends
// blanks.
std::uint64_t unitsOf(std::string_view bytes, const GlyphWidths* table) {
  if (table == nullptr) return bytes.size() * kUnknownAdvance;
  // A whole line is long enough for the summing eight at a time to pay.
  std::uint64_t units = sumAdvances(bytes, *table);
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
  if (active_) {
    readRowEffects();
    bodyRatio_ = widthRatio(body_, pointSize(bodyStyle_));
    bodyFontId_ = fontIdOf(bodyStyle_.font.view(), bodyStyle_.size.view());
    styleFontId_ = bodyFontId_;
  }
  setStyleFont(body_, pointSize(style_), bodyRatio_);
}

// How much wider than in the body font any glyph is in `table` at `points`
// (the body font's own at 12 points is 1): text in that font is at most this
// many times its width in the body font, which the tally of the typed
// line bounds. Infinite where a glyph of no width in the body font has one
// there. A hair over the exact quotient, so that rounding never makes the
// bound short.
double PageOverflow::widthRatio(const GlyphWidths* table, double points) const {
  if (table == body_ && points == kBodySize) return 1;
  double ratio = 1;
  for (std::size_t b = 0; b < table->size(); ++b) {
    const double wide = static_cast<double>((*table)[b]) * points;
    const double body = static_cast<double>((*body_)[b]) * kBodySize;
    if (wide <= body) continue;
    if (body == 0) return std::numeric_limits<double>::infinity();
    ratio = std::max(ratio, wide / body);
  }
  return ratio * (1 + 1e-9);
}

// widthRatio, each font and size worked out once: a line laid out leaves
// one of the few the tags set.
double PageOverflow::knownWidthRatio(const GlyphWidths* table, double points) {
  for (const KnownRatio& known : knownRatios_) {
    if (known.table == table && known.points == points) return known.ratio;
  }
  knownRatios_.push_back({table, points, widthRatio(table, points)});
  return knownRatios_.back().ratio;
}

// A number for each font and size the rows leave in force, so that a line
// that leaves the one in force already copies nothing.
int PageOverflow::fontIdOf(std::string_view font, std::string_view size) {
  std::string key(font);
  key.append(1, '\0').append(size);
  const auto known = std::ranges::find(fontKeys_, key);
  if (known != fontKeys_.end()) return static_cast<int>(known - fontKeys_.begin());
  fontKeys_.push_back(std::move(key));
  return static_cast<int>(fontKeys_.size() - 1);
}

void PageOverflow::setStyleFont(const GlyphWidths* table, double points, double ratio) {
  styleTable_ = table;
  styleSize_ = points;
  styleRatio_ = ratio;
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
  // Most rows paint in a few fonts: each table is searched once.
  std::sort(any.begin(), any.end());
  any.erase(std::unique(any.begin(), any.end()), any.end());
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
  effect.bytes = tagIndex().text(column_, row).size();
  effect.font = fromBody.font;
  effect.size = fromBody.size;
  effect.table = tableOf(fromBody);
  effect.points = pointSize(fromBody);
  effect.ratio = widthRatio(effect.table, effect.points);
  effect.inBodyFont = sameFont(fromBody, body);
  effect.fontId = fontIdOf(effect.font, effect.size);
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
  // Most lines: text alone, in the body font.
  if (inBodyFont_ && (tally.classes & kTallyOffPlain) == 0) {
    if (!plainFits(typed, tally)) ++lines_;
    return true;
  }
  // A line with tags is measured from its items once rewritten.
  if (typed.find('%') != std::string_view::npos) return false;
  // A carriage return inside a line becomes a blank, and a clean-up may
  // add a glyph: such lines are measured as rewritten too.
  const std::size_t carriageReturn = typed.find('\r');
  if (carriageReturn != std::string_view::npos && carriageReturn + 2 < typed.size()) return false;
  if (growsInCleanUp(typed)) return false;
  if (inBodyFont_ && !shrinksInCleanUp(typed)) {
    if (!plainFits(typed, tally)) ++lines_;
    return true;
  }
  return false;
}

// The effect of a tag's text at `size` points, its own glyphs (at their
// widest) and shift added to `points`; nullptr where the bounds cannot
// tell it (a row whose effect is not bounded, or a text cut short).
const PageOverflow::RowEffect* PageOverflow::tagEffect(const LineItem& item, double size,
                                                       double& points) const {
  const RowEffect& effect = rows_[item.row];
  if (!effect.bounded || item.end - item.begin != effect.bytes) return nullptr;
  if (effect.glyphs != 0 || effect.shift != 0) {
    points += static_cast<double>(effect.glyphs * widestGlyph_) *
                  std::max(size, effect.maxSize) / 1000 + effect.shift;
  }
  return &effect;
}

// The line's width in points from its start, bounded from its items: the
// user's text and the clean-ups' in the font in force, each tag's glyph as
// the widest at the larger of its sizes and the size in force. Negative
// when only laying it out will tell: a tag that shows more than a glyph or
// lost bytes to a later replacement, or a run in another font.
//
// kBodyFromTally: the same bound summing only the text shown in another
// font than the body font at its size: what the line shows in the body
// font is at most the typed line's width in it, which the tally bounds (the
// tags' bytes counted too). A clean-up's text, which need not be typed, is
// summed wherever it stands. Most of a line of tags is in the body font, so
// this settles most lines the quick bound leaves for little more than the
// walk over the items. Negative also without a tally.
template <bool kBodyFromTally>
double PageOverflow::boundOfItems(const TypedLine& line) {
  if (kBodyFromTally && typedUpper_ == std::numeric_limits<double>::infinity()) return -1;
  const GlyphWidths* table = styleTable_;
  double size = styleSize_;
  double points = kBodyFromTally ? typedUpper_ * kBodySize / 1000 : 0;
  // The text's advances since the font last changed, in thousandths of
  // `size`: summed as integers, scaled once per font.
  std::uint64_t units = 0;
  // Whether the user's text in the font in force is summed here, not
  // bounded by the tally.
  const auto summed = [&] { return !kBodyFromTally || table != body_ || size != kBodySize; };
  lastFontRow_ = kNoRow;
  std::size_t text = 0;  // where the user's text since the last item starts
  for (const LineItem& item : line.items) {
    if (summed()) units += innerUnitsOf(line.bytes.substr(text, item.begin - text), table);
    text = item.end;
    if (item.kind == ItemKind::CleanupText || item.kind == ItemKind::LinkText) {
      if (kBodyFromTally) {
        units += innerUnitsOf(line.bytes.substr(item.begin, item.end - item.begin), table);
      } else {
        text = item.begin;  // shown in the font in force, as the user's text is
      }
      continue;
    }
    if (item.kind != ItemKind::TagText) return -1;
    const RowEffect* effect = tagEffect(item, size, points);
    if (effect == nullptr) return -1;
    if (effect->setsFont) {
      points += static_cast<double>(units) * size / 1000;
      units = 0;
      table = effect->table;
      size = effect->points;
      lastFontRow_ = item.row;
    }
  }
  if (summed()) units += unitsOf(line.bytes.substr(text), table);
  return points + static_cast<double>(units) * size / 1000;
}

// The same bound without summing the text's widths again: the user's text
// is at most the widest ratio of the fonts in force on the line times its
// width in the body font, which the tally of the typed line (its tags'
// bytes too) bounds from above. Each tag's glyphs count as in
// boundOfItems. Negative where boundOfItems must tell: what it would find
// unbounded, a clean-up's text (which need not be the typed bytes), or a
// line this bound cannot fit in `room` points.
double PageOverflow::quickBoundOfItems(const TypedLine& line, double room) {
  // The ratio only grows along the line: where the font it starts in
  // leaves no room, none that follows will.
  if (styleRatio_ * typedUpper_ * kBodySize / 1000 > room) return -1;
  double size = styleSize_;
  double ratio = styleRatio_;
  double points = 0;
  lastFontRow_ = kNoRow;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText) return -1;
    const RowEffect* effect = tagEffect(item, size, points);
    if (effect == nullptr) return -1;
    if (effect->setsFont) {
      size = effect->points;
      ratio = std::max(ratio, effect->ratio);
      lastFontRow_ = item.row;
    }
  }
  return points + ratio * typedUpper_ * kBodySize / 1000;
}

// The font the last of the line's tags sets is in force at its end; a PDF
// line starts in the body font whatever it was.
// (Most lines leave the font as they found it: nothing is copied then.)
void PageOverflow::keepBoundedStyle() {
  if (format_ == Format::Pdf) {
    if (inBodyFont_) return;
    style_.font = bodyStyle_.font;
    style_.size = bodyStyle_.size;
    setStyleFont(body_, pointSize(bodyStyle_), bodyRatio_);
    styleFontId_ = bodyFontId_;
    inBodyFont_ = true;
  } else if (lastFontRow_ != kNoRow) {
    const RowEffect& effect = rows_[lastFontRow_];
    if (effect.fontId == styleFontId_) return;
    style_.font = effect.font;
    style_.size = effect.size;
    setStyleFont(effect.table, effect.points, effect.ratio);
    styleFontId_ = effect.fontId;
    inBodyFont_ = effect.inBodyFont;
  }
}

void PageOverflow::measureRewritten(const TypedLine& rewritten, const LineMarks& marks) {
  const double left = marks.line_x;
  const auto fits = [&](double bound) { return bound >= 0 && left >= 0 && left + bound <= kPageWidth; };
  // Most lines of tags fit by the quick bound, most others once their text
  // in other fonts is summed; the rest are summed whole.
  const bool bounded = fits(quickBoundOfItems(rewritten, kPageWidth - left)) ||
                       fits(boundOfItems<true>(rewritten)) || fits(boundOfItems<false>(rewritten));
  typedUpper_ = std::numeric_limits<double>::infinity();
  if (bounded) {
    keepBoundedStyle();
  } else {
    const LineLayout& layout =
        layoutLine(rewritten, format_, mode_, style_, std::numeric_limits<double>::infinity(),
                   widths_, {}, true, buffers_);
    style_ = nextLineStyle(format_, layout.end);
    const GlyphWidths* table = tableOf(style_);
    setStyleFont(table, pointSize(style_), knownWidthRatio(table, pointSize(style_)));
    if (left < 0 || left + layout.pieces.front().width > kPageWidth) ++lines_;
    inBodyFont_ = sameFont(style_, bodyStyle_);
    styleFontId_ = kUnknownFont;
  }
}

}  // namespace kolvo::paged
