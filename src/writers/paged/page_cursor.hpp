#pragma once
// Where the next line of a page goes: the baseline and the spacing in
// force. It belongs to the paged writer, which lowers it line by line,
// starts a page when it reaches the bottom margin, and takes the page
// requests of each line's tags (line_marks.hpp) as the line comes.

#include <cstdint>

#include "markup/line_marks.hpp"

namespace kolvo {

// Page geometry shared by the PostScript and PDF writers, in points.
inline constexpr std::int32_t kStartBaseline = 820;  // a page's first baseline is lowered from here
inline constexpr std::int32_t kBottomLimit = 30;     // a baseline at or below it ends the page

// Line spacing in points: normal text, and large text ("%ls").
inline constexpr std::int32_t kNormalLineSpacing = 15;
inline constexpr std::int32_t kLargeLineSpacing = 20;

struct PageCursor {
  // Where the next text line goes, in points from the bottom of the page
  // (lowered before each line).
  std::int32_t baseline = kStartBaseline;
  // Points from one baseline to the next: 15, or 20 after "%ls".
  std::int32_t line_spacing = kNormalLineSpacing;
  // The baseline "%ls" last set large text on, so that "%le" on that same
  // line keeps the wide spacing.
  std::int32_t large_text_baseline = 0;

  // A line's page requests, in the order its tags asked. A page break puts
  // the baseline at the bottom margin (`bottomLimit`): the line still goes
  // on this page, and the page ends after it.
  void take(const PageRequests& requests, std::int32_t bottomLimit = kBottomLimit) {
    for (const PageRequest request : requests.all()) {
      switch (request) {
        case PageRequest::PageBreak:
          baseline = bottomLimit;
          break;
        case PageRequest::LargeSpacing:
          line_spacing = kLargeLineSpacing;
          large_text_baseline = baseline;
          break;
        case PageRequest::EndLarge:
          if (large_text_baseline != baseline) line_spacing = kNormalLineSpacing;
          break;
      }
    }
  }

  bool operator==(const PageCursor&) const = default;
};

}  // namespace kolvo
