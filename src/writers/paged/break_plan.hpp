#pragma once
// Where a line that holds fallback runs may break, by the Unicode line
// breaking rules that the fallback fonts' module knows: CJK text has no
// blanks, and breaking it between any two glyphs would start lines with
// closing punctuation, end them with opening punctuation and cut shaped
// clusters. A line without fallback runs gets no plan and breaks as it
// always has, at blanks.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/break_before.hpp"
#include "writers/paged/shown_text.hpp"
#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

class BreakPlan {
 public:
  // Asks `widths` for the rules of the characters `shown` paints, when one
  // of its strings is a hex string and the source knows such rules;
  // otherwise plans nothing.
  void plan(std::string_view line, Format format, const ShownText& shown,
            const WidthSource& widths);

  // The rule before glyph `glyph` (from 0) of run `run`, or nothing where
  // the layout keeps its own: no plan, or a string of the standard fonts
  // past its first glyph after a fallback run.
  std::optional<BreakBefore> before(std::size_t run, std::size_t glyph) const {
    if (run >= runs_.size() || glyph >= runs_[run].governed) return std::nullopt;
    return rules_[runs_[run].first + glyph];
  }

 private:
  // Where a run's glyphs are in `rules_`, and how many of them the plan
  // decides: all of a hex string's, the first of a string that follows
  // one (a line must not end with opening punctuation before it).
  struct RunRules {
    std::size_t first = 0;
    std::size_t governed = 0;
  };

  void addRun(std::string_view line, Format format, const ShownText& shown, std::size_t run,
              const WidthSource& widths);

  std::u32string text_;
  std::vector<BreakBefore> rules_;
  std::vector<RunRules> runs_;
  bool lastGlyphHex_ = false;  // while planning: the last glyph is a fallback run's
};

}  // namespace kolvo::paged
