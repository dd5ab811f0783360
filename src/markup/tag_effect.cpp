#include "markup/tag_effect.hpp"

#include <algorithm>
#include <cstdint>


namespace kolvo {
namespace {

// Where the PDF writer's overprint starts and how long it is, from the first
// mark "_" and the first "%" (the still unreplaced end tag) of the result.
// A byte that is missing, or found at index 0, leaves its measure unchanged.
// A run drawn with a fallback font before the byte counts by its width.
std::int32_t bytesBefore(std::size_t at, const LineItems* runs) {
  if (runs == nullptr || !runs->anyRunIn(0, at)) return static_cast<std::int32_t>(at);
  // Kept where the measures' own arithmetic cannot overflow.
  constexpr std::size_t kMostBytes = INT32_MAX / kPointsPerByte / 2;
  return static_cast<std::int32_t>(std::min(runs->measuredBytes(0, at, kPointsPerByte), kMostBytes));
}

// The bytes before `at` as the line will be written, runs by their operators.
std::int32_t offsetOf(std::size_t at) {
  return static_cast<std::int32_t>(std::min<std::size_t>(at, INT32_MAX / 2));
}

// The measures of one overprint, in the layout marks.
struct Overprint {
  std::int32_t& startCount;
  std::int32_t& endCount;
  std::int32_t& length;
  std::int32_t& ptStart;
  std::int32_t& startOffset;
  std::int32_t& endOffset;
};

void measure(std::string_view result, const LineItems* runs, const Overprint& mark) {
  const std::size_t u = result.find('_');
  if (u != std::string_view::npos && u >= 1) {
    mark.startCount = bytesBefore(u, runs) - kMarkStartBytes;
    mark.startOffset = offsetOf(u) - kMarkStartBytes;
  }
  const std::size_t q = result.find('%');
  if (q != std::string_view::npos && q >= 1) {
    mark.endCount = bytesBefore(q, runs) - kMarkEndBytes;
    mark.endOffset = offsetOf(q) - kMarkEndBytes;
  }
  mark.length = mark.endCount - mark.startCount;
  mark.ptStart = kPointsPerByte * mark.startCount + kLeftMargin;
}

}  // namespace

// Keep changesLineMarks (tag_effect.hpp) in step with the cases that
// change something here.
void applyOccurrenceEffect(TagEffect effect, std::size_t bytesAfter, LineMarks& marks,
                           Format format) {
  switch (effect) {
    case TagEffect::PageBreak:
      if (isPaged(format)) marks.page.add(PageRequest::PageBreak);
      break;
    case TagEffect::CentreStart: {
      marks.center = 1;
      // Wraps like 32-bit arithmetic would rather than overflowing.
      const auto n = static_cast<std::uint32_t>(bytesAfter);
      marks.line_x = static_cast<std::int32_t>(kCentreX - kHalfWidthPerByte * n);
      break;
    }
    case TagEffect::CentreEnd:
      marks.center = 1;
      break;
    case TagEffect::UnderlineStart:
      marks.underline = 1;
      break;
    case TagEffect::HighlightStart:
      marks.highlight = 1;
      break;
    case TagEffect::LargeStart:
      if (isPaged(format)) marks.page.add(PageRequest::LargeSpacing);
      break;
    case TagEffect::LargeEnd:
      if (isPaged(format)) marks.page.add(PageRequest::EndLarge);
      break;
    case TagEffect::None:
    case TagEffect::UnderlineEnd:
    case TagEffect::HighlightEnd:
      break;
  }
}

void measurePdfMarks(std::string_view result, TagEffect effect, LineMarks& marks,
                     Format format, const LineItems* runs) {
  if (format != Format::Pdf) return;
  if (effect == TagEffect::UnderlineStart && marks.underline == 1) {
    measure(result, runs, {marks.underline_start_index, marks.underline_end_index,
                     marks.underline_length, marks.underline_x, marks.underline_start_offset,
                     marks.underline_end_offset});
  }
  if (effect == TagEffect::HighlightStart && marks.highlight == 1) {
    measure(result, runs, {marks.highlight_start_index, marks.highlight_end_index,
                     marks.highlight_length, marks.highlight_x, marks.highlight_start_offset,
                     marks.highlight_end_offset});
  }
}

// Centring shows in every format (the flowing writers pick a centred line
// form); the page, the spacing and the PDF overprints only where the writer
// lays out pages or draws them.
bool actsWithoutText(TagEffect effect, Format format) {
  switch (effect) {
    case TagEffect::CentreStart:
    case TagEffect::CentreEnd:
      return true;
    case TagEffect::PageBreak:
    case TagEffect::LargeStart:
    case TagEffect::LargeEnd:
      return isPaged(format);
    case TagEffect::UnderlineStart:
    case TagEffect::UnderlineEnd:
    case TagEffect::HighlightStart:
    case TagEffect::HighlightEnd:
      return format == Format::Pdf;
    case TagEffect::None:
      break;
  }
  return false;
}

}  // namespace kolvo
