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

// The measures of one overprint, in the layout state.
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

// Keep changesLayoutState (tag_effect.hpp) in step with the cases that
// change something here.
void applyOccurrenceEffect(TagEffect effect, std::size_t bytesAfter, LayoutState& state,
                           Format format) {
  switch (effect) {
    case TagEffect::PageBreak:
      if (isPaged(format)) state.baseline = kBottomLimit;
      break;
    case TagEffect::CentreStart: {
      state.center = 1;
      // Wraps like 32-bit arithmetic would rather than overflowing.
      const auto n = static_cast<std::uint32_t>(bytesAfter);
      state.line_x = static_cast<std::int32_t>(kCentreX - kHalfWidthPerByte * n);
      break;
    }
    case TagEffect::CentreEnd:
      state.center = 1;
      break;
    case TagEffect::UnderlineStart:
      state.underline = 1;
      break;
    case TagEffect::HighlightStart:
      state.highlight = 1;
      break;
    case TagEffect::LargeStart:
      state.line_spacing = kLargeLineSpacing;
      state.large_text_baseline = state.baseline;
      break;
    case TagEffect::LargeEnd:
      if (state.large_text_baseline != state.baseline) state.line_spacing = kNormalLineSpacing;
      break;
    case TagEffect::None:
    case TagEffect::UnderlineEnd:
    case TagEffect::HighlightEnd:
      break;
  }
}

void measurePdfMarks(std::string_view result, TagEffect effect, LayoutState& state,
                     Format format, const LineItems* runs) {
  if (format != Format::Pdf) return;
  if (effect == TagEffect::UnderlineStart && state.underline == 1) {
    measure(result, runs, {state.underline_start_index, state.underline_end_index,
                     state.underline_length, state.underline_x, state.underline_start_offset,
                     state.underline_end_offset});
  }
  if (effect == TagEffect::HighlightStart && state.highlight == 1) {
    measure(result, runs, {state.highlight_start_index, state.highlight_end_index,
                     state.highlight_length, state.highlight_x, state.highlight_start_offset,
                     state.highlight_end_offset});
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
