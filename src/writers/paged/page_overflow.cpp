#include "writers/paged/page_overflow.hpp"

#include <algorithm>
#include <limits>

#include "writers/paged/line_layout.hpp"
#include "writers/paged/shown_text.hpp"

namespace kolvo::paged {
namespace {

// The writers' page without a paper size.
constexpr double kPageWidth = kA4Paper.width;
constexpr double kBodySize = 12;
// Most lower-case letters are no wider, in thousandths of the size:
// capitals, "m", "w" and "%" are. In the body font, in the Times faces, in
// every font (Symbol's Greek and Courier are wider).
constexpr unsigned kBodyNarrow = 500;
constexpr unsigned kTimesNarrow = 556;
constexpr unsigned kAnyNarrow = 603;
constexpr std::string_view kTimesPrefix = "Times-";

bool sameFont(const TextStyle& a, const TextStyle& b) { return a.font == b.font && a.size == b.size; }

// The glyphs of `shown`'s runs; a hex string counts as many.
std::size_t glyphCount(std::string_view text, const ShownText& shown) {
  std::size_t count = 0;
  for (const ShownRun& run : shown.runs) {
    if (run.hex) return std::numeric_limits<std::size_t>::max();
    const std::string_view contents = text.substr(0, run.end);
    for (std::size_t pos = run.begin; pos < run.end; ++count) pos = glyphAt(contents, pos).end;
  }
  return count;
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

void PageOverflow::GlyphBound::build(const std::vector<const GlyphWidths*>& fonts,
                                     unsigned narrowLimit) {
  GlyphWidths perByte{};
  for (const GlyphWidths* table : fonts) {
    for (std::size_t b = 0; b < 256; ++b) {
      perByte[b] = std::max<std::uint16_t>(perByte[b], table != nullptr ? (*table)[b] : 1000);
    }
  }
  std::array<bool, 128> isWide{};
  std::array<bool, 128> isBlank{};
  for (std::size_t b = 0; b < 128; ++b) isWide[b] = perByte[b] > narrowLimit;
  // The clean-ups make line ends blanks.
  isBlank[' '] = isBlank['\n'] = isBlank['\r'] = true;
  isWide[' '] = isWide['\n'] = isWide['\r'] = false;
  wide = ByteSet(isWide, true);
  blanks = ByteSet(isBlank, false);
  narrow = narrowLimit;
  widest = std::max<unsigned>(*std::max_element(perByte.begin(), perByte.end()), narrow);
  blank = std::min<unsigned>(narrow, perByte[' ']);
}

double PageOverflow::GlyphBound::of(std::string_view text) const {
  const std::size_t wideCount = wide.countIn(text);
  const std::size_t blankCount = blanks.countIn(text);
  const std::size_t narrowCount = text.size() - wideCount - blankCount;
  return static_cast<double>(narrowCount * narrow + wideCount * widest + blankCount * blank);
}

PageOverflow::PageOverflow(Format format, TextMode mode, const PaperSize* paper,
                           const FallbackFonts* fallback)
    : active_(isPaged(format) && paper == nullptr), format_(format), mode_(mode),
      column_(tagColumn(format, mode)), widths_(format, mode, fallback),
      style_(initialTextStyle(format)) {
  if (active_) readRowEffects();
}

bool PageOverflow::isTimes(const TextStyle& style) const {
  return fontName(format_, style).starts_with(kTimesPrefix);
}

// Each row's text read alone from two styles: a text that leaves both in
// the same font sets it, one that leaves each as it was sets none.
void PageOverflow::readRowEffects() {
  const TextStyle body = initialTextStyle(format_);
  const TextStyle probe{"KolvoProbe", "7", "", ""};
  body_ = widths_.widths(fontName(format_, body));
  if (body_ == nullptr) {
    active_ = false;  // nothing to measure with
    return;
  }
  std::vector<const GlyphWidths*> times{body_};
  std::vector<const GlyphWidths*> any{body_};
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    RowEffect& effect = rows_[row];
    const std::string_view text = tagIndex().text(column_, row);
    const ShownText fromBody = readShownText(text, format_, body);
    const ShownText fromProbe = readShownText(text, format_, probe);
    const bool keeps = sameFont(fromBody.end, body) && sameFont(fromProbe.end, probe);
    effect.setsFont = !keeps && sameFont(fromBody.end, fromProbe.end);
    effect.bounded = (keeps || effect.setsFont) && glyphCount(text, fromBody) <= 1;
    effect.font = fromBody.end.font;
    effect.size = fromBody.end.size;
    effect.leavesTimes = !effect.setsFont || isTimes(fromBody.end);
    for (std::size_t i = 1; i < fromBody.styles.size(); ++i) {
      effect.maxSize = std::max(effect.maxSize, pointSize(fromBody.styles[i]));
      any.push_back(widths_.widths(fontName(format_, fromBody.styles[i])));
    }
    if (effect.setsFont) effect.maxSize = std::max(effect.maxSize, pointSize(fromBody.end));
    any.push_back(widths_.widths(fontName(format_, fromBody.end)));
    if (effect.leavesTimes) times.push_back(widths_.widths(fontName(format_, fromBody.end)));
  }
  bodyBound_.build({body_}, kBodyNarrow);
  timesBound_.build(times, kTimesNarrow);
  anyBound_.build(any, kAnyNarrow);
  beyondAscii_ = ByteSet(std::array<bool, 128>{}, true);
}

// A line without tags in the body font: its bytes are its glyphs, in the
// body font's widths (in thousandths of its size, summed exactly).
bool PageOverflow::plainFits(std::string_view typed) const {
  constexpr double kRoom = (kPageWidth - kLeftMargin) * 1000 / kBodySize;
  if (bodyBound_.of(typed) <= kRoom) return true;
  std::uint64_t units = 0;
  for (const char byte : typed) {
    // The clean-ups turn a line end into a blank.
    const char c = byte == '\n' || byte == '\r' ? ' ' : byte;
    units += (*body_)[static_cast<unsigned char>(c)];
  }
  return static_cast<double>(units) <= kRoom;
}

bool PageOverflow::measurePlain(std::string_view typed) {
  if (!active_) return true;
  pendingBound_ = -1;
  // Typed text beyond ASCII takes glyphs the tables do not hold, a typed
  // tab moves to the next tab stop, and a clean-up may add a glyph: such
  // lines are laid out.
  if (mode_ == TextMode::Typed &&
      (beyondAscii_.anyIn(typed) || typed.find('\t') != std::string_view::npos)) {
    return false;
  }
  if (growsInCleanUp(typed)) return false;
  if (typed.find('%') == std::string_view::npos && bodyStyle_ && !shrinksInCleanUp(typed)) {
    if (!plainFits(typed)) ++lines_;
    return true;
  }
  boundTagged(typed);
  return false;
}

void PageOverflow::boundTagged(std::string_view typed) {
  double size = pointSize(style_);
  bool times = timesStyle_;
  pendingRows_.clear();
  std::size_t tags = 0;
  for (std::size_t at = TagIndex::findTag(typed, 0); at != std::string_view::npos;
       at = TagIndex::findTag(typed, at + 1)) {
    const std::size_t row = tagIndex().rowAt(typed, at, column_);
    if (row == kNoRow) continue;
    const RowEffect& effect = rows_[row];
    if (!effect.bounded || tagIndex().formsTags(column_, row)) return;
    size = std::max(size, effect.maxSize);
    times = times && effect.leavesTimes;
    if (effect.setsFont) pendingRows_.push_back(row);
    ++tags;
    at += 2;
  }
  const GlyphBound& bound = times ? timesBound_ : anyBound_;
  // A tag's three bytes show at most one glyph, of any font.
  const double tagGlyphs = static_cast<double>(tags) * anyBound_.widest;
  const double tagBytes = tags == 0 ? 0 : [&] {
    double sum = 0;
    for (std::size_t at = TagIndex::findTag(typed, 0); at != std::string_view::npos;
         at = TagIndex::findTag(typed, at + 1)) {
      if (tagIndex().rowAt(typed, at, column_) == kNoRow) continue;
      sum += bound.of(typed.substr(at, 3));
      at += 2;
    }
    return sum;
  }();
  pendingBound_ = (bound.of(typed) - tagBytes + tagGlyphs) * size / 1000;
}

void PageOverflow::measureRewritten(std::string_view rewritten, const LayoutState& state) {
  const double left = state.line_x;
  if (pendingBound_ >= 0 && left >= 0 && left + pendingBound_ <= kPageWidth) {
    for (const std::size_t row : pendingRows_) {
      style_.font = rows_[row].font;
      style_.size = rows_[row].size;
    }
  } else {
    const LineLayout layout =
        layoutLine(rewritten, format_, style_, std::numeric_limits<double>::infinity(), widths_);
    style_ = layout.end;
    if (left < 0 || left + layout.pieces.front().width > kPageWidth) ++lines_;
  }
  style_ = nextLineStyle(format_, style_);
  bodyStyle_ = sameFont(style_, initialTextStyle(format_));
  timesStyle_ = isTimes(style_);
}

}  // namespace kolvo::paged
