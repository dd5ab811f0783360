#pragma once
// The layout state: the integers through which tag substitution tells the
// writers that a line is centred, underlined, highlighted, set large or ends
// a page, and through which the paged writers track the baseline.
// One instance belongs to one conversion run.
//
// Who writes what: the tag effects (tag_effect.cpp), applied by replaceTag,
// set the flags and measures; the paged writers move the baseline, reset
// the flags and line_x after each line, and start a new page.

#include <cstdint>

namespace kolvo {

// Page geometry shared by the PostScript and PDF writers, in points.
inline constexpr std::int32_t kStartBaseline = 820;  // a page's first baseline is lowered from here
inline constexpr std::int32_t kBottomLimit = 30;     // a baseline at or below it ends the page
inline constexpr std::int32_t kLeftMargin = 30;      // where every uncentred line starts

// Line spacing in points: normal text, and large text ("%ls").
inline constexpr std::int32_t kNormalLineSpacing = 15;
inline constexpr std::int32_t kLargeLineSpacing = 20;

// Centring estimates every byte after "%cs" as 3 points of half-width
// around the page's middle, 325 points from the left edge.
inline constexpr std::uint32_t kCentreX = 325;
inline constexpr std::uint32_t kHalfWidthPerByte = 3;

// The PDF overprints are placed from byte counts: 5 points a byte, starting
// 2 bytes before the first "_" mark and ending 7 bytes before the first "%"
// (the operator text the end tag became), then 6 points to the right.
inline constexpr std::int32_t kPointsPerByte = 5;
inline constexpr std::int32_t kMarkStartBytes = 2;
inline constexpr std::int32_t kMarkEndBytes = 7;
inline constexpr std::int32_t kMarkShift = 6;

struct LayoutState {
  // Set by "%cs"/"%ce"; the run clears it before each line.
  std::int32_t center = 0;

  // PDF underline: set by "%us", cleared once the writer has drawn it.
  std::int32_t underline = 0;
  // Byte index of the first "_" mark less 2, and of the first "%" less 7,
  // in the rewritten line; length = end - start, in bytes.
  std::int32_t underline_start_index = 0;
  std::int32_t underline_end_index = 0;
  std::int32_t underline_length = 0;
  // Where the overprint starts, in points from the page's left edge.
  std::int32_t underline_x = 0;
  // The same places as the two indexes, but counting a fallback run by the
  // bytes of its operators rather than by its width: where the writer finds
  // them in the line it lays out for a paper size.
  std::int32_t underline_start_offset = 0;
  std::int32_t underline_end_offset = 0;

  // PDF yellow highlight: the same four measures, set by "%hs".
  std::int32_t highlight = 0;
  std::int32_t highlight_start_index = 0;
  std::int32_t highlight_end_index = 0;
  std::int32_t highlight_length = 0;
  std::int32_t highlight_x = 0;
  std::int32_t highlight_start_offset = 0;
  std::int32_t highlight_end_offset = 0;

  // Points from one baseline to the next: 15, or 20 after "%ls".
  std::int32_t line_spacing = kNormalLineSpacing;
  // The baseline "%ls" last set large text on, so that "%le" on that same
  // line keeps the wide spacing.
  std::int32_t large_text_baseline = 0;
  // Where the next text line of a paged format goes, in points from the
  // bottom of the page (lowered before each line).
  std::int32_t baseline = kStartBaseline;
  // Where the current line starts, in points from the left edge; "%cs"
  // moves it right so that the line comes out roughly centred.
  std::int32_t line_x = kLeftMargin;

  bool operator==(const LayoutState&) const = default;
};

}  // namespace kolvo
