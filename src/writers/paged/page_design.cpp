#include "writers/paged/page_design.hpp"

#include <algorithm>

#include "writers/paged/page_cursor.hpp"

namespace kolvo::paged {
namespace {

// How far below the bottom limit a line may still go: one large line
// spacing, and the descenders under its baseline.
constexpr std::int32_t kBelowBottomLimit = kLargeLineSpacing + 4;
// A header's baseline stands this far above the text area, a footer's this
// far below it: clear of the text's ascenders and descenders.
constexpr std::int32_t kHeaderRise = 14;
constexpr std::int32_t kFooterDrop = 16;

bool hasPieces(const std::vector<RunningPiece>& part, RunningField field) {
  return std::ranges::any_of(part, [&](const RunningPiece& p) { return p.field == field; });
}

}  // namespace

bool RunningLine::usesPageCount() const {
  return std::ranges::any_of(parts, [](const auto& part) {
    return hasPieces(part, RunningField::PageCount);
  });
}

PageFrame pageFrame(const PaperSize& paper, const PageDesign* design) {
  PageFrame frame{kLeftMargin, textAreaWidth(paper), baselineOn(paper, kStartBaseline),
                  kBottomLimit, 0, 0};
  if (!changesFrame(design)) return frame;
  if (design->margins) {
    const PageMargins& m = *design->margins;
    frame.left = m.left;
    frame.width = paper.width - m.left - m.right;
    frame.startBaseline = paper.height - m.top;
    frame.bottomLimit = m.bottom + kBelowBottomLimit;
  } else {
    if (!design->header.empty()) frame.startBaseline -= kHeaderRoom;
    if (!design->footer.empty()) frame.bottomLimit += kFooterRoom;
  }
  frame.headerBaseline = frame.startBaseline + kHeaderRise;
  frame.footerBaseline = frame.bottomLimit - kBelowBottomLimit - kFooterDrop;
  return frame;
}

std::string pageDesignProblem(const PaperSize& paper, const PageDesign& design) {
  if (!design.margins) return {};
  const PageMargins& m = *design.margins;
  const std::string on = " on " + std::string(paper.name) + " paper";
  if (!design.header.empty() && m.top < kLeastRunningMargin) {
    return "a top margin of " + std::to_string(m.top) + "pt has no room for the header; it needs " +
           std::to_string(kLeastRunningMargin) + "pt";
  }
  if (!design.footer.empty() && m.bottom < kLeastRunningMargin) {
    return "a bottom margin of " + std::to_string(m.bottom) +
           "pt has no room for the footer; it needs " + std::to_string(kLeastRunningMargin) + "pt";
  }
  const PageFrame frame = pageFrame(paper, &design);
  if (frame.width < kLeastTextArea) {
    return "the margins leave a text area " + std::to_string(frame.width) + "pt wide" + on +
           "; it needs " + std::to_string(kLeastTextArea) + "pt";
  }
  const std::int32_t height = frame.startBaseline - (frame.bottomLimit - kBelowBottomLimit);
  if (height < kLeastTextArea) {
    return "the margins leave a text area " + std::to_string(height) + "pt high" + on +
           "; it needs " + std::to_string(kLeastTextArea) + "pt";
  }
  return {};
}

}  // namespace kolvo::paged
