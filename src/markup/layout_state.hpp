#pragma once
// The layout state: the integers through which tag substitution tells the
// writers that a line is centred, underlined, highlighted, set large or ends
// a page, and through which the paged writers track the baseline.
// One instance belongs to one conversion run.

#include <cstdint>

namespace kolvo {

struct LayoutState {
  std::int32_t center = 0;
  std::int32_t underline = 0;
  std::int32_t underline1_count = 0;
  std::int32_t underline2_count = 0;
  std::int32_t underline3_count = 0;
  std::int32_t underline_pt_start = 0;
  std::int32_t highlight1 = 0;
  std::int32_t highlight11_count = 0;
  std::int32_t highlight12_count = 0;
  std::int32_t highlight13_count = 0;
  std::int32_t highlight1_pt_start = 0;
  std::int32_t LineSpacing = 15;
  std::int32_t PDF_PS_EvalLine = 0;
  std::int32_t PDF_PS_Line = 820;
  std::int32_t PDF_PS_marg = 30;
  std::int32_t PDF_Page = 1;

  bool operator==(const LayoutState&) const = default;
};

// Page geometry shared by the PostScript and PDF writers, in points.
inline constexpr std::int32_t kStartBaseline = 820;
inline constexpr std::int32_t kBottomLimit = 30;
inline constexpr std::int32_t kLeftMargin = 30;

}  // namespace kolvo
