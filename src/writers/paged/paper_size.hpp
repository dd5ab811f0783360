#pragma once
// The paper sizes of --paper and where text goes on each: the one table
// that the option, its messages, the PostScript media comments and the PDF
// media box are made from.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/line_marks.hpp"

namespace kolvo {

struct PaperSize {
  std::string_view name;       // as --paper takes it: "a4"
  std::string_view mediaName;  // as PostScript's %%DocumentMedia names it: "A4"
  std::int32_t width;          // points
  std::int32_t height;         // points
};

inline constexpr std::array<PaperSize, 4> kPaperSizes = {{
    {"a4", "A4", 595, 842},
    {"letter", "Letter", 612, 792},
    {"legal", "Legal", 612, 1008},
    {"a5", "A5", 420, 595},
}};

// The page the writers assumed before they knew of paper sizes: its
// baselines are the ones the other sizes keep their distance from the top to.
inline constexpr const PaperSize& kA4Paper = kPaperSizes[0];

// The size called `name`, in any mix of cases; nullptr for none.
const PaperSize* findPaperSize(std::string_view name);

// "a4, letter, legal, a5", for messages.
std::string paperSizeNames();

// An A4 baseline (the start of a page, or the top spacing of option t or
// T) moved so that it lies as far below the top edge of `paper`.
constexpr std::int32_t baselineOn(const PaperSize& paper, std::int32_t a4Baseline) {
  return paper.height - (kA4Paper.height - a4Baseline);
}

// The width of the text area: the left margin is kept on the right too.
constexpr std::int32_t textAreaWidth(const PaperSize& paper) {
  return paper.width - 2 * kLeftMargin;
}

}  // namespace kolvo
