#pragma once
// What a tag does besides putting its text in place. Each tag row names its
// effect (TagRow::effect); this file is the one place that says what each
// effect marks on the line (line_marks.hpp) and where that shows.

#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"

namespace kolvo {

enum class TagEffect : unsigned char {
  None,
  PageBreak,       // a paged format ends the page after the line
  CentreStart,     // the line is centred, from an estimate of the bytes after the tag
  CentreEnd,       // the line is centred
  UnderlineStart,  // PDF underline on; a PDF call measures the marks
  UnderlineEnd,    // no mark: its "%" is where the PDF underline measure ends
  HighlightStart,  // PDF yellow highlight on; a PDF call measures the marks
  HighlightEnd,    // no mark: its "%" is where the PDF highlight measure ends
  LargeStart,      // wide line spacing, remembering the baseline it started on
  LargeEnd,        // normal spacing again, unless large text started on this baseline
};

// The effect of one replaced occurrence; `bytesAfter` is how many bytes of
// the line follow it.
void applyOccurrenceEffect(TagEffect effect, std::size_t bytesAfter, LineMarks& marks,
                           Format format);

// Whether applyOccurrenceEffect can change the line's marks at all.
constexpr bool changesLineMarks(TagEffect effect) {
  return effect != TagEffect::None && effect != TagEffect::UnderlineEnd &&
         effect != TagEffect::HighlightEnd;
}

// Whether a PDF call of replaceTag measures the underline or highlight
// marks, once per call and whether or not it replaced anything.
constexpr bool measuresPdfMarks(TagEffect effect) {
  return effect == TagEffect::UnderlineStart || effect == TagEffect::HighlightStart;
}

// That measurement, on `result`, the line as the call left it, whose runs
// drawn with fallback fonts are `runs` (or none). Does nothing outside PDF,
// for the other effects, or while the effect's flag is clear.
void measurePdfMarks(std::string_view result, TagEffect effect, LineMarks& marks,
                     Format format, const LineItems* runs = nullptr);

// Whether the effect shows in `format` even where the tag's text there is
// empty: through the line's marks, or (the end marks) through the "%" that
// the PDF measures look for.
bool actsWithoutText(TagEffect effect, Format format);

}  // namespace kolvo
