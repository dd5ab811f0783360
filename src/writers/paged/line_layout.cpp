#include "writers/paged/line_layout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "writers/paged/advance_sum.hpp"
#include "writers/paged/break_plan.hpp"
#include "writers/paged/line_painting.hpp"

namespace kolvo::paged {
namespace {

// Where the line could break last: a run of blanks in a breakable string.
struct BreakPoint {
  bool valid = false;
  std::size_t cut = 0;     // the first blank
  std::size_t resume = 0;  // after the last blank
  double inkBefore = 0;    // the piece's width without the blanks
  double xAfter = 0;       // the pen after the blanks
  std::size_t style = 0;
  std::string_view closer;
  bool hex = false;  // the blanks are codes of a hex string
};

// Rounding must not push a line that fits exactly onto two.
constexpr double kTolerance = 1e-6;
// The advance of a glyph in a font the width source does not know, in
// thousandths of the size.
constexpr double kUnknownAdvance = 500;

// Points per thousandth of an em at a style's size: pointSize / 1000, the
// two-digit sizes the tags write read from a table made at compile time
// (the same division, rounded the same): a division at every string was a
// share of the layout's time.
constexpr std::size_t kTwoDigitSizes = 100;
constexpr std::array<double, kTwoDigitSizes> kTwoDigitScales = [] {
  std::array<double, kTwoDigitSizes> scales{};
  for (std::size_t points = 0; points < kTwoDigitSizes; ++points) {
    scales[points] = static_cast<double>(points) / 1000;
  }
  return scales;
}();

inline double scaleOf(const TextStyle& style) {
  const std::string_view digits = style.size;
  if (digits.size() == 2 && digits[0] >= '0' && digits[0] <= '9' && digits[1] >= '0' &&
      digits[1] <= '9') {
    const auto tens = static_cast<std::size_t>(digits[0] - '0');
    const auto ones = static_cast<std::size_t>(digits[1] - '0');
    return kTwoDigitScales[tens * 10 + ones];
  }
  return pointSize(style) / 1000;
}

// A piece put in place field by field: a piece built whole on the stack
// and copied was written and read back in parts of different widths,
// which stalls the processor on every line.
void addPiece(LineLayout& layout, std::size_t begin, std::size_t end, double width,
              const TextStyle& start, std::string_view closer, bool startsInHex, bool endsInHex,
              double indent = 0) {
  LinePiece& piece = layout.pieces.emplace_back();
  piece.begin = begin;
  piece.end = end;
  piece.width = width;
  piece.start = start;
  piece.closer = closer;
  piece.startsInHex = startsInHex;
  piece.endsInHex = endsInHex;
  piece.indent = indent;
}

class Breaker {
 public:
  // Lays the line out into `layout`, whose storage it reuses.
  Breaker(std::string_view line, Format format, const ShownText& shown, double maxWidth,
          const WidthSource& widths, std::span<const std::size_t> marks, LineLayout& layout)
      : line_(line), format_(format), shown_(shown), maxWidth_(maxWidth), widths_(widths),
        marks_(marks), layout_(layout) {
    layout_.pieces.clear();
    layout_.marks.assign(marks.size(), PlacedMark{});
    resolved_.assign(marks.size(), false);
    plan_.plan(line, format, shown, widths);
  }

  // Every place the line may break, in order, measured from its start:
  // asked of a breaker whose width is unbounded, so it breaks nowhere.
  void recordBreaks(std::vector<BreakPoint>& points) { recorded_ = &points; }
  // Breaks the line at these cuts (offsets of recorded breaks, in order)
  // as well as wherever it would otherwise.
  void breakAt(std::span<const std::size_t> cuts) { cuts_ = cuts; }
  // Starts a piece at the first glyph at or after each of `offsets` (in
  // order), wherever it stands, and keeps each piece's advance, blanks
  // included, in `advances`.
  void cutBefore(std::span<const std::size_t> offsets, std::vector<double>& advances) {
    forced_ = offsets;
    advances_ = &advances;
    advances.clear();
  }
  // The ink of the whole line, once laid out unbounded.
  double ink() const { return ink_; }
  double indent() const { return indent_; }

  void layOut() & {
    for (runIndex_ = 0; runIndex_ < shown_.runs.size(); ++runIndex_) walk(shown_.runs[runIndex_]);
    resolveMarks(std::numeric_limits<std::size_t>::max());
    addPiece(layout_, pieceBegin_, line_.size(), ink_, shown_.styles[pieceStyle_], {},
             pieceInHex_, false, layout_.pieces.empty() ? 0 : indent_);
    if (advances_ != nullptr) advances_->push_back(x_);
    layout_.end = shown_.end;
  }

 private:
  const GlyphWidths* tableFor(const TextStyle& style) const {
    if (const GlyphWidths* table = widths_.widths(fontName(format_, style))) return table;
    // A font the source does not know is measured as the body font.
    return widths_.widths(fontName(format_, initialTextStyle(format_)));
  }

  void walk(const ShownRun& run) {
    x_ += run.shift;
    if (run.hex) return walkHex(run);
    const TextStyle& style = shown_.styles[run.style];
    const GlyphWidths* table = tableFor(style);
    const double scale = scaleOf(style);
    const std::string_view text = line_.substr(0, run.end);
    bool inBlanks = false;
    // The plan decides at most the first glyph of a string of these fonts.
    rule_ = plan_.before(runIndex_, 0);
    for (std::size_t pos = run.begin; pos < run.end;) {
      const EscapedGlyph glyph = nextGlyph(text, pos);
      pos = glyph.end;
      const double units = table != nullptr ? (*table)[glyph.code] : kUnknownAdvance;
      place(run, glyph, units * scale, glyph.code == ' ', inBlanks);
      rule_ = std::nullopt;
    }
  }

  // A fallback run's codes, measured by the fallback font's advances. CJK
  // text has no blank to break at: a piece ends where the plan's rules
  // allow, or, with no plan, between any two codes.
  void walkHex(const ShownRun& run) {
    const TextStyle& style = shown_.styles[run.style];
    const double scale = scaleOf(style);
    const std::size_t digits = format_ == Format::Pdf ? 4 : 2;
    const HexFont font = widths_.hexFont(style.font);
    bool inBlanks = false;
    for (std::size_t pos = run.begin, index = 0; pos < run.end; pos += digits, ++index) {
      const std::size_t end = std::min(pos + digits, run.end);
      const std::uint32_t code = hexCodeAt(line_, pos, run.end, digits);
      const std::optional<HexGlyph> glyph = widths_.hexGlyph(font, code);
      const double units = glyph ? glyph->advance : kUnknownAdvance;
      rule_ = plan_.before(runIndex_, index);
      place(run, {0, pos, end}, units * scale, glyph && glyph->blank, inBlanks);
    }
  }

  // One glyph: a blank the line may break at, or ink.
  void place(const ShownRun& run, const EscapedGlyph& glyph, double advance, bool isBlank,
             bool& inBlanks) {
    if (nextForced_ < forced_.size() && glyph.begin >= forced_[nextForced_]) [[unlikely]] {
      cutHere(run, glyph);
    }
    if (isBlank && run.breakable) {
      blank(run, glyph, advance, inBlanks);
      inBlanks = true;
      return;
    }
    if (afterBlanks_ && breakPoint_.valid && (recorded_ != nullptr || !cuts_.empty()))
        [[unlikely]] {
      takeBreak();
    }
    if (rule_) [[unlikely]] {
      noteAllowedBreak(run, glyph);
    }
    inBlanks = false;
    afterBlanks_ = false;
    // The blanks before the line's first glyph are its indentation, which
    // the pieces that continue it keep (at most half the area).
    if (!indented_) {
      indented_ = true;
      indent_ = std::min(x_, maxWidth_ / 2);
    }
    fit(run, glyph, advance);
    resolveMarks(glyph.begin);
    x_ += advance;
    ink_ = x_;
  }

  [[gnu::noinline]] void cutHere(const ShownRun& run, const EscapedGlyph& glyph) {
    while (nextForced_ < forced_.size() && glyph.begin >= forced_[nextForced_]) ++nextForced_;
    // Blanks that end the piece are a place to break as well.
    if (afterBlanks_ && breakPoint_.valid && recorded_ != nullptr) recorded_->push_back(breakPoint_);
    advances_->push_back(x_);
    endPiece(glyph.begin, ink_, run.closer, run.hex);
    startPiece(glyph.begin, run.style, x_, run.hex);
    afterBlanks_ = false;
  }

  // A break the rules allow right before ink is the piece's last so far,
  // as a run of blanks is; right after blanks (in this string or the one
  // before), those stay the break, as without the rules. Out of line: most
  // glyphs have no rule, and place() stays small enough to be inlined.
  [[gnu::noinline]] void noteAllowedBreak(const ShownRun& run, const EscapedGlyph& glyph) {
    if (rule_ == BreakBefore::Allowed && !afterBlanks_ && ink_ > 0 && run.breakable) {
      breakPoint_ = {true, glyph.begin, glyph.begin, ink_, x_, run.style, run.closer, run.hex};
      if (recorded_ != nullptr || !cuts_.empty()) takeBreak();
    }
  }

  // The break just settled, before the ink after it: recorded, or taken
  // when it is the next cut asked for.
  void takeBreak() {
    if (recorded_ != nullptr) recorded_->push_back(breakPoint_);
    if (nextCut_ < cuts_.size() && breakPoint_.cut == cuts_[nextCut_]) {
      ++nextCut_;
      breakAtBlanks();
    }
  }

  void blank(const ShownRun& run, const EscapedGlyph& glyph, double advance, bool more) {
    resolveMarks(glyph.begin);
    if (!more) {
      breakPoint_ = {true, glyph.begin, glyph.end, ink_, 0, run.style, run.closer, run.hex};
    }
    x_ += advance;
    afterBlanks_ = true;
    breakPoint_.resume = glyph.end;
    breakPoint_.xAfter = x_;
  }

  // The width a piece may take: the whole area for the first, less the
  // indentation for those that continue the line.
  double roomOfPiece() const { return layout_.pieces.empty() ? maxWidth_ : maxWidth_ - indent_; }

  // Breaks before `glyph` if it would run past the edge: at the last blanks
  // if the piece has any, else right before it where its string allows.
  void fit(const ShownRun& run, const EscapedGlyph& glyph, double advance) {
    if (x_ + advance <= roomOfPiece() + kTolerance) return;
    if (breakPoint_.valid) breakAtBlanks();
    if (x_ + advance <= roomOfPiece() + kTolerance || ink_ <= 0 || !run.breakable) return;
    // A word longer than the line is cut between its clusters, never
    // inside one.
    if (rule_ == BreakBefore::Never) return;
    endPiece(glyph.begin, ink_, run.closer, run.hex);
    startPiece(glyph.begin, run.style, x_, run.hex);
  }

  void breakAtBlanks() {
    const BreakPoint at = breakPoint_;
    // Blanks that open the piece are dropped rather than printed alone.
    if (at.inkBefore > 0) endPiece(at.cut, at.inkBefore, at.closer, at.hex);
    startPiece(at.resume, at.style, at.xAfter, at.hex);
    // Marks already placed beyond the cut move to the new piece.
    for (std::size_t i = 0; i < marks_.size(); ++i) {
      if (!resolved_[i] || marks_[i] < at.cut) continue;
      layout_.marks[i].piece = layout_.pieces.size();
      layout_.marks[i].x = std::max(0.0, layout_.marks[i].x - at.xAfter);
    }
  }

  void endPiece(std::size_t end, double width, std::string_view closer, bool inHex) {
    addPiece(layout_, pieceBegin_, end, width, shown_.styles[pieceStyle_], closer, pieceInHex_,
             inHex, layout_.pieces.empty() ? 0 : indent_);
  }

  // The new piece starts at `begin`, the pen moved back by `consumed`.
  void startPiece(std::size_t begin, std::size_t style, double consumed, bool inHex) {
    pieceBegin_ = begin;
    pieceStyle_ = style;
    pieceInHex_ = inHex;
    x_ -= consumed;
    ink_ = std::max(0.0, ink_ - consumed);
    breakPoint_ = {};
  }

  void resolveMarks(std::size_t offset) {
    if (offset < nextMark_) return;
    nextMark_ = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < marks_.size(); ++i) {
      if (!resolved_[i] && marks_[i] > offset) nextMark_ = std::min(nextMark_, marks_[i]);
      if (resolved_[i] || marks_[i] > offset) continue;
      resolved_[i] = true;
      layout_.marks[i] = {layout_.pieces.size(), x_};
    }
  }

  std::string_view line_;
  Format format_;
  const ShownText& shown_;
  double maxWidth_;
  const WidthSource& widths_;
  std::span<const std::size_t> marks_;
  std::vector<bool> resolved_;
  // The least offset of a mark not placed yet.
  std::size_t nextMark_ = 0;
  LineLayout& layout_;
  std::size_t pieceBegin_ = 0;
  std::size_t pieceStyle_ = 0;
  bool pieceInHex_ = false;
  double x_ = 0;    // the pen, from the piece's start
  double ink_ = 0;  // the end of the piece's last glyph that is not a blank
  double indent_ = 0;  // the line's leading blanks, once its first glyph is placed
  bool indented_ = false;
  BreakPoint breakPoint_;
  BreakPlan plan_;
  std::size_t runIndex_ = 0;  // the run being walked
  // The plan's rule before the glyph being placed; nothing where the
  // layout's own rules hold.
  std::optional<BreakBefore> rule_;
  bool afterBlanks_ = false;  // no ink since the last blank
  std::vector<BreakPoint>* recorded_ = nullptr;
  std::span<const std::size_t> cuts_;
  std::size_t nextCut_ = 0;
  std::span<const std::size_t> forced_;
  std::size_t nextForced_ = 0;
  std::vector<double>* advances_ = nullptr;
};

// Where a line filled from the right breaks: the last piece as full as
// the area allows, then the one before it, and so on, the first piece
// taking what is left. The cuts in order, or nothing when a piece has no
// break that fits (a word wider than the area).
std::optional<std::vector<std::size_t>> cutsFromRight(std::span<const BreakPoint> points,
                                                      double ink, double indent,
                                                      double maxWidth) {
  std::vector<std::size_t> cuts;
  double end = ink;  // the ink of the part not yet given to a piece
  std::size_t before = points.size();  // the breaks inside that part
  while (end > maxWidth + kTolerance) {
    // The earliest break whose rest fits a piece that continues the line.
    std::size_t first = before;
    while (first > 0 && end - points[first - 1].xAfter <= maxWidth - indent + kTolerance) --first;
    while (first < before && points[first].inkBefore <= 0) ++first;
    if (first == before) return std::nullopt;
    cuts.push_back(points[first].cut);
    end = points[first].inkBefore;
    before = first;
  }
  std::reverse(cuts.begin(), cuts.end());
  return cuts;
}

// Most lines fit the text area whole, and need none of Breaker's
// bookkeeping: they are one piece. Deciding that glyph by glyph in doubles
// is a chain of dependent additions, the most of a laid-out line's cost, so
// a first pass sums each string's advances as whole units instead.

// The widths a string is measured with: its font's, or the body font's for
// a font the source does not know (as Breaker measures).
const GlyphWidths* tableOf(Format format, const TextStyle& style, const WidthSource& widths) {
  if (const GlyphWidths* table = widths.widths(fontName(format, style))) return table;
  return widths.widths(fontName(format, initialTextStyle(format)));
}

// The widths of the fonts a line's strings use, each looked up by name
// once a line rather than at every string: a line of tags goes back and
// forth between two or three fonts.
class FontTables {
 public:
  FontTables(Format format, const WidthSource& widths) : format_(format), widths_(widths) {}

  const GlyphWidths* of(const TextStyle& style) {
    for (std::size_t i = 0; i < count_; ++i) {
      // cppcheck-suppress CastIntegerToAddressAtReturn ; tables_ holds pointers
      if (fonts_[i] == style.font) return tables_[i];
    }
    const GlyphWidths* table = tableOf(format_, style, widths_);
    if (count_ < kKept) {
      fonts_[count_] = style.font;
      tables_[count_++] = table;
    }
    return table;
  }

 private:
  static constexpr std::size_t kKept = 4;
  Format format_;
  const WidthSource& widths_;
  std::array<StyleWord, kKept> fonts_{};
  std::array<const GlyphWidths*, kKept> tables_{};
  std::size_t count_ = 0;
};

// One string's advances in whole thousandths of its size.
struct UnitSum {
  std::uint64_t all = 0;     // every glyph
  std::uint64_t toInk = 0;   // up to the end of its last glyph that is not a breakable blank
  std::uint64_t glyphs = 0;
  bool hasInk = false;
};

// A string with escapes, read glyph by glyph.
UnitSum sumEscaped(std::string_view line, const ShownRun& run, const GlyphWidths& table) {
  UnitSum sum;
  const std::string_view text = line.substr(0, run.end);
  for (std::size_t pos = run.begin; pos < run.end;) {
    const EscapedGlyph glyph = nextGlyph(text, pos);
    pos = glyph.end;
    sum.all += table[glyph.code];
    ++sum.glyphs;
    if (glyph.code != ' ' || !run.breakable) {
      sum.toInk = sum.all;
      sum.hasInk = true;
    }
  }
  return sum;
}

// Where the line's backslashes are, looked for across the line with one
// search (and again only past a string that holds one) rather than in
// each of its strings: a line of tags has a dozen strings of a few bytes.
class BackslashFinder {
 public:
  explicit BackslashFinder(std::string_view line) : line_(line) {}

  // Whether the bytes [begin, end) hold a backslash.
  bool within(std::size_t begin, std::size_t end) {
    // No backslash lies in [searchedFrom_, next_).
    if (begin < searchedFrom_ || next_ < begin) {
      searchedFrom_ = begin;
      next_ = line_.find('\\', begin);
    }
    return next_ < end;
  }

 private:
  std::string_view line_;
  std::size_t searchedFrom_ = std::string_view::npos;
  std::size_t next_ = 0;
};

// Strings shorter than this (those between the tags of a line of tags) are
// summed inline; longer ones (prose) a gather at a time.
constexpr std::size_t kShortString = 32;

UnitSum sumUnits(std::string_view line, const ShownRun& run, const GlyphWidths& table,
                 BackslashFinder& backslashes) {
  if (backslashes.within(run.begin, run.end)) return sumEscaped(line, run, table);
  const std::string_view text = line.substr(run.begin, run.end - run.begin);
  const std::uint64_t all = text.size() < kShortString ? sumShortAdvances(text, table)
                                                       : sumAdvances(text, table);
  // Every byte is a glyph; only blanks at the end are not ink, and those
  // are taken off the whole rather than summed apart.
  std::size_t trailing = 0;
  if (run.breakable) {
    while (trailing < text.size() && text[text.size() - 1 - trailing] == ' ') ++trailing;
  }
  UnitSum sum;
  sum.all = all;
  sum.toInk = all - trailing * table[static_cast<unsigned char>(' ')];
  sum.glyphs = text.size();
  sum.hasInk = trailing < text.size();
  return sum;
}

// The doubles of Breaker and the exact sums differ by rounding alone: at
// most one part in 2^52 of the pen per glyph. Below this many glyphs, a line whose exact width
// stays this far inside the edge fits in doubles too.
constexpr std::uint64_t kMostScreenedGlyphs = 100000;
constexpr double kScreenMargin = 1e-9;

// The line's width as Breaker would find it, when it is one piece: in
// doubles, glyph by glyph in Breaker's order, so the same value.
// The pen of the exact measure: Breaker's additions, in its order.
struct ExactPen {
  double limit;
  double x = 0;
  double ink = 0;

  // False once ink runs past the limit: the line does not fit whole.
  bool add(double advance, bool isInk) {
    const double after = x + advance;
    if (isInk && after > limit) return false;
    x = after;
    ink = isInk ? after : ink;
    return true;
  }
};

// A fallback run's codes as Breaker measures them: each by its font's
// advance (an unknown code by kUnknownAdvance); a blank code in a
// breakable string is no ink. `add(units, isInk)` takes each.
template <typename Add>
bool eachHexCode(std::string_view line, const ShownRun& run, Format format,
                 const TextStyle& style, const WidthSource& widths, Add&& add) {
  const std::size_t digits = format == Format::Pdf ? 4 : 2;
  const HexFont font = widths.hexFont(style.font);
  // The codes the source knows already, read in place; the rest asked.
  std::span<const KnownHexGlyph> known;
  if (font.known) known = widths.knownHexGlyphs(font.font);
  for (std::size_t pos = run.begin; pos < run.end; pos += digits) {
    const std::uint32_t code = hexCodeAt(line, pos, run.end, digits);
    const std::size_t full = std::size_t{font.firstCode} + code;
    std::optional<HexGlyph> glyph;
    if (full < known.size() && known[full].known) {
      glyph = HexGlyph{known[full].advance, known[full].blank};
    } else {
      glyph = widths.hexGlyph(font, code);
      if (font.known) known = widths.knownHexGlyphs(font.font);
    }
    const double units = glyph ? glyph->advance : kUnknownAdvance;
    if (!add(units, !(glyph && glyph->blank && run.breakable), pos)) return false;
  }
  return true;
}

// A fallback run's codes in whole thousandths of its size.
UnitSum sumHexUnits(std::string_view line, const ShownRun& run, Format format,
                    const TextStyle& style, const WidthSource& widths) {
  UnitSum sum;
  eachHexCode(line, run, format, style, widths, [&](double units, bool isInk, std::size_t) {
    sum.all += static_cast<std::uint64_t>(units);
    ++sum.glyphs;
    if (isInk) {
      sum.toInk = sum.all;
      sum.hasInk = true;
    }
    return true;
  });
  return sum;
}

// The marks of a line that is one piece, placed as Breaker places them:
// each at the pen before the first glyph (in painting order) that starts at
// or after it, else at the line's end. At most kMostWholeLineMarks.
constexpr std::size_t kMostWholeLineMarks = 64;

class WholeLineMarks {
 public:
  WholeLineMarks(std::span<const std::size_t> marks, std::vector<PlacedMark>& placed)
      : marks_(marks), placed_(placed) {
    placed_.assign(marks.size(), PlacedMark{});
    findNext();
  }

  // A glyph starts at byte `offset`, the pen at `x`.
  void glyph(std::size_t offset, double x) {
    if (offset >= next_) place(offset, x);
  }
  // The line ends with the pen at `x`.
  void finish(double x) { place(std::numeric_limits<std::size_t>::max(), x); }

 private:
  bool resolved(std::size_t i) const { return ((resolved_ >> i) & 1U) != 0; }

  void place(std::size_t offset, double x) {
    for (std::size_t i = 0; i < marks_.size(); ++i) {
      if (resolved(i) || marks_[i] > offset) continue;
      resolved_ |= std::uint64_t{1} << i;
      placed_[i] = {0, x};
    }
    findNext();
  }

  // next_: the least offset of a mark not placed yet.
  void findNext() {
    next_ = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < marks_.size(); ++i) {
      if (!resolved(i)) next_ = std::min(next_, marks_[i]);
    }
  }

  std::span<const std::size_t> marks_;
  std::vector<PlacedMark>& placed_;
  std::uint64_t resolved_ = 0;
  std::size_t next_ = 0;
};

// One string's glyphs added to the exact pen as Breaker adds them, each
// glyph's mark placed; false when ink runs past the pen's limit or the
// string's font has no widths (nor the body font's): the line is then
// Breaker's to measure.
bool addExactly(std::string_view line, Format format, const ShownRun& run,
                const TextStyle& style, const WidthSource& widths, FontTables& tables,
                ExactPen& pen, WholeLineMarks& marks) {
  pen.x += run.shift;
  const double scale = scaleOf(style);
  if (run.hex) {
    const auto add = [&](double units, bool isInk, std::size_t at) {
      marks.glyph(at, pen.x);
      return pen.add(units * scale, isInk);
    };
    return eachHexCode(line, run, format, style, widths, add);
  }
  const GlyphWidths* const table = tables.of(style);
  if (table == nullptr) return false;
  const std::string_view text = line.substr(0, run.end);
  for (std::size_t pos = run.begin; pos < run.end;) {
    const EscapedGlyph glyph = nextGlyph(text, pos);
    pos = glyph.end;
    marks.glyph(glyph.begin, pen.x);
    if (!pen.add((*table)[glyph.code] * scale, glyph.code != ' ' || !run.breakable)) return false;
  }
  return true;
}

std::optional<double> exactWidthIfWhole(std::string_view line, Format format,
                                        const ShownText& shown, const WidthSource& widths,
                                        double limit, WholeLineMarks& marks) {
  ExactPen pen{limit};
  FontTables tables(format, widths);
  for (const ShownRun& run : shown.runs) {
    if (!addExactly(line, format, run, shown.styles[run.style], widths, tables, pen, marks)) {
      return std::nullopt;
    }
  }
  marks.finish(pen.x);
  return pen.ink;
}

// The strings of a typed line measured as they are painted, with no
// ShownText made: exactWidthIfWhole's sum with no limit and no marks.
class ExactStrings final : public PaintedStrings {
 public:
  ExactStrings(std::string_view line, Format format, const WidthSource& widths)
      : line_(line), format_(format), widths_(widths), tables_(format, widths),
        marks_({}, placed_) {}

  void string(const ShownRun& run, const TextStyle& style, bool) override {
    if (measured_) measured_ = addExactly(line_, format_, run, style, widths_, tables_, pen_, marks_);
  }
  std::optional<double> width() const { return measured_ ? std::optional(pen_.ink) : std::nullopt; }

 private:
  std::string_view line_;
  Format format_;
  const WidthSource& widths_;
  FontTables tables_;
  std::vector<PlacedMark> placed_;
  WholeLineMarks marks_;
  ExactPen pen_{std::numeric_limits<double>::infinity()};
  bool measured_ = true;
};

// Whether the line is one piece, and its width: exact (as Breaker finds it)
// when `exact`, else from the whole-unit sums, good to a part in 10^9.
// Nothing when the line needs Breaker: it may break, it holds a fallback
// run, or a font has no widths. The marks are placed when the width is
// exact.
std::optional<double> widthIfWhole(std::string_view line, Format format, const ShownText& shown,
                                   double maxWidth, const WidthSource& widths, bool exact,
                                   WholeLineMarks& marks) {
  const double limit = maxWidth + kTolerance;
  // The exact measure settles it alone: the sums would only say whether to
  // take it.
  if (exact) return exactWidthIfWhole(line, format, shown, widths, limit, marks);
  double reach = 0;  // the furthest the pen can get, shifts back left out
  double x = 0;
  double ink = 0;
  std::uint64_t glyphs = 0;
  // Runs in a row mostly share their style: its font looked up once.
  std::size_t styleOfTable = SIZE_MAX;
  const GlyphWidths* table = nullptr;
  double scale = 0;
  FontTables tables(format, widths);
  BackslashFinder backslashes(line);
  for (const ShownRun& run : shown.runs) {
    if (run.style != styleOfTable) {
      const TextStyle& style = shown.styles[run.style];
      table = tables.of(style);
      scale = scaleOf(style);
      styleOfTable = run.style;
    }
    UnitSum sum;
    if (run.hex) {
      sum = sumHexUnits(line, run, format, shown.styles[run.style], widths);
    } else if (table != nullptr) {
      sum = sumUnits(line, run, *table, backslashes);
    } else {
      return std::nullopt;
    }
    glyphs += sum.glyphs;
    reach += std::max(run.shift, 0.0) + static_cast<double>(sum.all) * scale;
    x += run.shift;
    if (sum.hasInk) ink = x + static_cast<double>(sum.toInk) * scale;
    x += static_cast<double>(sum.all) * scale;
  }
  if (glyphs > kMostScreenedGlyphs || reach > limit * (1 - kScreenMargin)) {
    return exactWidthIfWhole(line, format, shown, widths, limit, marks);
  }
  return std::max(ink, 0.0);
}

}  // namespace

void layoutShown(std::string_view line, Format format, const ShownText& shown, double maxWidth,
                 const WidthSource& widths, std::span<const std::size_t> marks, bool exactWidths,
                 LineLayout& layout) {
  // A line with marks (a PDF overprint) that is one piece has them placed
  // on the exact measure's way, without Breaker.
  if (marks.size() <= kMostWholeLineMarks) {
    WholeLineMarks placed(marks, layout.marks);
    if (const std::optional<double> width = widthIfWhole(
            line, format, shown, maxWidth, widths, exactWidths || !marks.empty(), placed)) {
      layout.pieces.clear();
      addPiece(layout, 0, line.size(), *width, shown.styles.front(), {}, false, false);
      layout.end = shown.end;
      return;
    }
  }
  Breaker breaker(line, format, shown, maxWidth, widths, marks, layout);
  breaker.layOut();
}

void layoutShownGlyphByGlyph(std::string_view line, Format format, const ShownText& shown,
                             double maxWidth, const WidthSource& widths,
                             std::span<const std::size_t> marks, LineLayout& layout) {
  Breaker breaker(line, format, shown, maxWidth, widths, marks, layout);
  breaker.layOut();
}

const LineLayout& layoutLine(const TypedLine& line, Format format, TextMode mode,
                             const TextStyle& start, double maxWidth, const WidthSource& widths,
                             std::span<const std::size_t> marks, bool exactWidths,
                             LayoutBuffers& buffers) {
  if (!paintText(line, format, mode, start, buffers.shown)) {
    throw std::logic_error("a typed line whose items do not say what it paints");
  }
  layoutShown(line.bytes, format, buffers.shown, maxWidth, widths, marks, exactWidths,
              buffers.layout);
  return buffers.layout;
}

std::optional<double> typedLineWidth(const TypedLine& line, Format format, TextMode mode,
                                     const TextStyle& start, const WidthSource& widths) {
  ExactStrings strings(line.bytes, format, widths);
  if (!paintStrings(line, format, mode, start, strings)) return std::nullopt;
  return strings.width();
}

void layoutShownFromRight(std::string_view line, Format format, const ShownText& shown,
                          double maxWidth, const WidthSource& widths,
                          std::span<const std::size_t> marks, LineLayout& layout) {
  layoutShown(line, format, shown, maxWidth, widths, marks, true, layout);
  const std::size_t count = layout.pieces.size();
  if (count < 2) return;
  LineLayout unbounded;
  std::vector<BreakPoint> points;
  Breaker measure(line, format, shown, std::numeric_limits<double>::infinity(), widths, {},
                  unbounded);
  measure.recordBreaks(points);
  measure.layOut();
  const std::optional<std::vector<std::size_t>> cuts =
      cutsFromRight(points, measure.ink(), measure.indent(), maxWidth);
  // As many pieces as filled from the left, or the page would count
  // otherwise than the measure that foresaw it.
  if (!cuts || cuts->size() + 1 != count) return;
  LineLayout fromRight;
  Breaker breaker(line, format, shown, maxWidth, widths, marks, fromRight);
  breaker.breakAt(*cuts);
  breaker.layOut();
  if (fromRight.pieces.size() == count) layout = std::move(fromRight);
}

const LineLayout& layoutLineFromRight(const TypedLine& line, Format format, TextMode mode,
                                      const TextStyle& start, double maxWidth,
                                      const WidthSource& widths,
                                      std::span<const std::size_t> marks,
                                      LayoutBuffers& buffers) {
  if (!paintText(line, format, mode, start, buffers.shown)) {
    throw std::logic_error("a typed line whose items do not say what it paints");
  }
  layoutShownFromRight(line.bytes, format, buffers.shown, maxWidth, widths, marks,
                       buffers.layout);
  return buffers.layout;
}

namespace {

// Where the strings of the stretches between the line's tags start: the
// offset of the first string with glyphs after each tag that a string does
// not run through, and the level of each piece that these cuts make. A tag
// inside a string, or one with no glyph before the next, joins the
// stretches on its sides; joined stretches of different levels take the
// paragraph's. False when the tags' items are not one fewer than the levels.
bool stretchCuts(const TypedLine& line, const ShownText& shown, std::vector<std::size_t>& cuts,
                 std::vector<std::uint8_t>& levels) {
  const std::span<const std::uint8_t> gaps = line.tagGapLevels;
  const std::uint8_t paragraph = line.rightToLeft ? 1 : 0;
  const std::span<const ShownRun> runs = shown.runs;
  const auto shows = [&](std::size_t r) { return runs[r].end > runs[r].begin; };
  cuts.clear();
  levels.assign(1, gaps.front());
  std::size_t tag = 0;
  std::size_t r = 0;  // the first run not yet given to a piece
  bool pieceShows = false;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText) continue;
    if (++tag >= gaps.size()) return false;
    const std::uint8_t level = gaps[tag];
    for (; r < runs.size() && runs[r].end <= item.begin; ++r) pieceShows = pieceShows || shows(r);
    std::size_t next = r;
    while (next < runs.size() && !shows(next)) ++next;
    if (next == runs.size()) continue;  // nothing is shown after it
    if (runs[next].begin < item.end) {  // a string runs through the tag
      if (levels.back() != level) levels.back() = paragraph;
    } else if (!pieceShows) {  // the stretch before shows nothing
      levels.back() = level;
    } else {
      cuts.push_back(runs[next].begin);
      levels.push_back(level);
      pieceShows = false;
    }
  }
  return tag + 1 == gaps.size();
}

// `pieces`, at the levels `levelOf` gives (by index), placed side by side
// in the order shown: from the highest level down to 1, each run of pieces
// at that level or above turned round. Each piece's indent becomes its
// distance from the left end; returns their width (`widthOf` each).
template <typename LevelOf, typename WidthOf>
double placeInOrderShown(std::span<LinePiece> pieces, LevelOf levelOf, WidthOf widthOf,
                         std::vector<std::size_t>& order) {
  order.resize(pieces.size());
  std::uint8_t highest = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
    highest = std::max(highest, levelOf(i));
  }
  for (std::uint8_t level = highest; level >= 1; --level) {
    for (std::size_t i = 0; i < order.size();) {
      if (levelOf(order[i]) < level) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < order.size() && levelOf(order[end]) >= level) ++end;
      std::reverse(order.begin() + static_cast<std::ptrdiff_t>(i),
                   order.begin() + static_cast<std::ptrdiff_t>(end));
      i = end;
    }
  }
  double width = 0;
  for (const std::size_t i : order) {
    pieces[i].indent = width;
    width += widthOf(i);
  }
  return width;
}

// The line in one piece per stretch (stretchCuts), unbounded; the places
// it may break in `points` when asked. False where the stretches cannot be
// told apart.
bool layOutStretches(const TypedLine& line, Format format, TextMode mode, const TextStyle& start,
                     const WidthSource& widths, std::span<const std::size_t> marks,
                     LayoutBuffers& buffers, std::vector<BreakPoint>* points) {
  if (line.tagGapLevels.empty()) return false;
  if (!paintText(line, format, mode, start, buffers.shown)) {
    throw std::logic_error("a typed line whose items do not say what it paints");
  }
  std::vector<std::size_t>& cuts = buffers.stretchCuts;
  std::vector<std::uint8_t>& levels = buffers.stretchLevels;
  if (!stretchCuts(line, buffers.shown, cuts, levels) || cuts.empty()) return false;
  std::vector<double>& advances = buffers.stretchAdvances;
  Breaker breaker(line.bytes, format, buffers.shown, std::numeric_limits<double>::infinity(),
                  widths, marks, buffers.layout);
  breaker.cutBefore(cuts, advances);
  if (points != nullptr) breaker.recordBreaks(*points);
  breaker.layOut();
  const std::size_t count = buffers.layout.pieces.size();
  return count == levels.size() && advances.size() == levels.size();
}

// A part of a stretch between two of its breaks (or its ends), by the
// pen's distance from the stretch's left end.
struct Atom {
  std::size_t piece = 0;
  double left = 0;
  double right = 0;
  std::size_t leftBreak = SIZE_MAX;   // the break it starts after; none at the stretch's start
  std::size_t rightBreak = SIZE_MAX;  // the one it ends before
};

}  // namespace

bool layoutStretchesInVisualOrder(const TypedLine& line, Format format, TextMode mode,
                                  const TextStyle& start, const WidthSource& widths,
                                  std::span<const std::size_t> marks, LayoutBuffers& buffers,
                                  double& width) {
  if (!layOutStretches(line, format, mode, start, widths, marks, buffers, nullptr)) return false;
  const std::vector<std::uint8_t>& levels = buffers.stretchLevels;
  const std::vector<double>& advances = buffers.stretchAdvances;
  width = placeInOrderShown(
      buffers.layout.pieces, [&](std::size_t i) { return levels[i]; },
      [&](std::size_t i) { return advances[i]; }, buffers.stretchOrder);
  return true;
}

bool layoutStretchesOnLines(const TypedLine& line, Format format, TextMode mode,
                            const TextStyle& start, double maxWidth, const WidthSource& widths,
                            LayoutBuffers& buffers, std::vector<PrintedLine>& lines) {
  std::vector<BreakPoint> points;
  if (!layOutStretches(line, format, mode, start, widths, {}, buffers, &points)) return false;
  const std::vector<LinePiece> stretches = buffers.layout.pieces;
  const std::vector<std::uint8_t> levels = buffers.stretchLevels;
  const std::vector<double>& advances = buffers.stretchAdvances;
  // Each stretch cut at its breaks, the parts in the order they are read:
  // from the right in a stretch at an odd level. A break joins the parts on
  // its sides with its blanks; stretches meet without one.
  std::vector<Atom> atoms;
  std::vector<double> blankBefore;  // per atom: the blanks before it, or -1 where none can break
  std::size_t point = 0;
  for (std::size_t p = 0; p < stretches.size(); ++p) {
    const std::size_t first = atoms.size();
    double left = 0;
    std::size_t leftBreak = SIZE_MAX;
    for (; point < points.size() && points[point].cut < stretches[p].end; ++point) {
      atoms.push_back({p, left, points[point].inkBefore, leftBreak, point});
      left = points[point].xAfter;
      leftBreak = point;
    }
    atoms.push_back({p, left, advances[p], leftBreak, SIZE_MAX});
    const bool fromRight = (levels[p] & 1U) != 0;
    if (fromRight) {
      std::reverse(atoms.begin() + static_cast<std::ptrdiff_t>(first), atoms.end());
    }
    for (std::size_t a = first; a < atoms.size(); ++a) {
      const std::size_t between = fromRight ? atoms[a].rightBreak : atoms[a].leftBreak;
      blankBefore.push_back(a == first || between == SIZE_MAX
                                ? -1
                                : points[between].xAfter - points[between].inkBefore);
    }
  }
  // Printed lines filled in reading order, a word (atoms with no break
  // between them) at a time; a word wider than the area stands alone.
  std::vector<std::size_t> lineStarts{0};
  double filled = 0;
  for (std::size_t a = 0; a < atoms.size();) {
    std::size_t end = a + 1;
    double word = atoms[a].right - atoms[a].left;
    for (; end < atoms.size() && blankBefore[end] < 0; ++end) word += atoms[end].right - atoms[end].left;
    const bool lineStart = lineStarts.back() == a;
    if (!lineStart && filled + blankBefore[a] + word > maxWidth + kTolerance) {
      lineStarts.push_back(a);
      filled = word;
    } else {
      filled += (lineStart ? 0 : blankBefore[a]) + word;
    }
    a = end;
  }
  // Each printed line: a piece per stretch it holds part of, from the
  // first of those parts' left end to the last's right end.
  std::vector<LinePiece>& pieces = buffers.layout.pieces;
  pieces.clear();
  lines.clear();
  std::vector<std::uint8_t>& pieceLevels = buffers.stretchLevels;
  pieceLevels.clear();
  lineStarts.push_back(atoms.size());
  for (std::size_t n = 0; n + 1 < lineStarts.size(); ++n) {
    const std::size_t firstPiece = pieces.size();
    for (std::size_t a = lineStarts[n]; a < lineStarts[n + 1];) {
      const std::size_t p = atoms[a].piece;
      Atom part = atoms[a];
      for (++a; a < lineStarts[n + 1] && atoms[a].piece == p; ++a) {
        if (atoms[a].left < part.left) {
          part.left = atoms[a].left;
          part.leftBreak = atoms[a].leftBreak;
        }
        if (atoms[a].right > part.right) {
          part.right = atoms[a].right;
          part.rightBreak = atoms[a].rightBreak;
        }
      }
      const LinePiece& whole = stretches[p];
      LinePiece& piece = pieces.emplace_back(whole);
      if (part.leftBreak != SIZE_MAX) {
        const BreakPoint& at = points[part.leftBreak];
        piece.begin = at.resume;
        piece.start = buffers.shown.styles[at.style];
        piece.startsInHex = at.hex;
      }
      if (part.rightBreak != SIZE_MAX) {
        const BreakPoint& at = points[part.rightBreak];
        piece.end = at.cut;
        piece.closer = at.closer;
        piece.endsInHex = at.hex;
      }
      piece.width = part.right - part.left;
      pieceLevels.push_back(levels[p]);
    }
    const std::span<LinePiece> own(pieces.data() + firstPiece, pieces.size() - firstPiece);
    const double width = placeInOrderShown(
        own, [&](std::size_t i) { return pieceLevels[firstPiece + i]; },
        [&](std::size_t i) { return own[i].width; }, buffers.stretchOrder);
    lines.push_back({firstPiece, own.size(), width});
  }
  return true;
}

std::int32_t pieceX(const PaperSize& paper, const LinePiece& piece, bool centred) {
  // Most pieces start at the margin itself: no rounding asked for.
  if (!centred && piece.indent == 0) return kLeftMargin;
  if (!centred) return kLeftMargin + static_cast<std::int32_t>(std::lround(piece.indent));
  return static_cast<std::int32_t>(std::lround((paper.width - piece.width) / 2));
}

std::int32_t pieceX(std::int32_t left, std::int32_t width, const LinePiece& piece, bool centred) {
  if (!centred && piece.indent == 0) return left;
  if (!centred) return left + static_cast<std::int32_t>(std::lround(piece.indent));
  // Twice the left edge plus the width is the paper's width when both
  // margins are the paper's own: the same sum, to the bit.
  const double across = 2.0 * left + width;
  return static_cast<std::int32_t>(std::lround((across - piece.width) / 2));
}

std::int32_t rightAlignedX(std::int32_t left, std::int32_t width, const LinePiece& piece) {
  return static_cast<std::int32_t>(std::lround(left + width - piece.width));
}

}  // namespace kolvo::paged
