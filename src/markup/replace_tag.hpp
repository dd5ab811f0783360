#pragma once
// replaceTag: the one text-rewriting routine. Every tag row and every
// clean-up is one call of it.

#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"
#include "markup/tag_effect.hpp"

namespace kolvo {

// Returns a copy of `line` in which every occurrence of `pattern` (found left
// to right, never overlapping, never searching inserted text) is replaced by
// `replacement`. The result holds exactly L + k*(R - P) bytes.
//
// Each occurrence applies the effect of `pattern` (effectOfPattern: that of
// the tag row whose tag shares the pattern's second and third bytes) to
// `marks`, and a PDF call with the underline or highlight start measures the
// marks once per call. `pattern` must not be empty.
//
// `items`, when given, are those of `line` (markup/line_items.hpp): the
// measures count its fallback runs by width, and they become those of the
// result, each replacement an item as `what` says. A replacement that is
// not a tag row's text leaves the items of the bytes it keeps at either end
// (" _" becoming " " keeps the blank's).
std::string replaceTag(std::string_view line, std::string_view pattern,
                       std::string_view replacement, LineMarks& marks, Format format,
                       LineItems* items = nullptr, InsertedText what = InsertedText::text());

// The same into a caller-owned buffer (cleared first), so that a line loop can
// reuse its storage. `out` must not alias `line`.
void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, LineMarks& marks, Format format,
                    LineItems* items = nullptr, InsertedText what = InsertedText::text());

// The same with the effect given, for a caller that has the tag row at hand:
// `effect` must be effectOfPattern(pattern).
void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, TagEffect effect, LineMarks& marks,
                    Format format, LineItems* items = nullptr,
                    InsertedText what = InsertedText::text());

// Whether replacing `pattern` can change the layout marks: true for the
// patterns with occurrence effects, the measuring ones included. A caller
// may replace any other pattern by other means.
bool patternHasEffects(std::string_view pattern);

// Whether a PDF call with `pattern` measures, whether it replaces anything
// or not (as long as the flag it measures for is set).
bool patternMeasures(std::string_view pattern);

// The PDF underline/highlight measurement that a call with `pattern` makes
// once its copy pass has produced `result`. A caller that knows a call would
// replace nothing (so that its result equals its line) can measure with this
// instead, without copying the line.
void measurePdfMarks(std::string_view result, std::string_view pattern, LineMarks& marks,
                     Format format, const LineItems* runs = nullptr);

}  // namespace kolvo
