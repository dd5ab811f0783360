#pragma once
// What a printed page carries besides its text: the margins around the
// text area, a running header and footer, and the body set in Courier.
// The writers take the text area from pageFrame, which gives the layout
// --paper has always had when none of it is asked for.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "writers/paged/paper_size.hpp"

namespace kolvo::paged {

// Distances from the paper's edges to the text area, in whole points.
struct PageMargins {
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t top = 0;
  std::int32_t bottom = 0;
  bool operator==(const PageMargins&) const = default;
};

// What a piece of a header or footer stands for: its own text, or a value
// the run knows (%f, %t, %d) or only the page knows (%p, %P).
enum class RunningField : unsigned char { Text, FileName, Title, Date, Page, PageCount };

struct RunningPiece {
  RunningField field = RunningField::Text;
  std::string text;  // UTF-8 or any bytes, for Text only
  bool operator==(const RunningPiece&) const = default;
};

// A header or footer: its left, centre and right parts.
struct RunningLine {
  std::array<std::vector<RunningPiece>, 3> parts;

  bool empty() const { return parts[0].empty() && parts[1].empty() && parts[2].empty(); }
  bool usesPageCount() const;
};

struct PageDesign {
  std::optional<PageMargins> margins;  // none: the --paper layout, less the running lines' room
  RunningLine header;
  RunningLine footer;
  bool mono = false;      // the body in Courier
  std::string fileName;   // %f
  std::string title;      // %t
  std::string date;       // %d
};

// Whether `design` asks for anything that changes the page (mono alone
// changes only the fonts).
inline bool changesFrame(const PageDesign* design) {
  return design != nullptr &&
         (design->margins.has_value() || !design->header.empty() || !design->footer.empty());
}

// The running lines' font and size.
inline constexpr std::int32_t kRunningSize = 9;
// Room a header or footer takes from the text area when no margins are given.
inline constexpr std::int32_t kHeaderRoom = 24;
inline constexpr std::int32_t kFooterRoom = 30;
// The least top or bottom margin that holds a header or footer.
inline constexpr std::int32_t kLeastRunningMargin = 24;
// The least text area, either way.
inline constexpr std::int32_t kLeastTextArea = 72;

// Where text goes on a page.
struct PageFrame {
  std::int32_t left;           // x of the text area's left edge
  std::int32_t width;          // the text area's width
  std::int32_t startBaseline;  // the cursor at a page's start: the first line goes one step lower
  std::int32_t bottomLimit;    // a baseline at or below it ends the page
  std::int32_t headerBaseline;
  std::int32_t footerBaseline;
};

PageFrame pageFrame(const PaperSize& paper, const PageDesign* design);

// What is wrong with `design` on `paper` (a margin too small for its
// header or footer, a text area too small), or empty.
std::string pageDesignProblem(const PaperSize& paper, const PageDesign& design);

}  // namespace kolvo::paged
