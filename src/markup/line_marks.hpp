#pragma once
// What the tags of a line mark for the writers besides their text: that the
// line is centred and where the estimate puts it, the PDF overprints and
// their byte measures, and what the line asks of the page. The tag effects
// (tag_effect.cpp), applied by replaceTag, write them; the writers read
// them and clear what they have used. One instance belongs to one
// conversion run, since some marks outlive their line: a drawing line's
// overprint flags wait for the next text line, and a measure the next line
// does not take again stays as it was.
//
// The page itself (the baseline, the spacing in force) belongs to the
// paged writer (writers/paged/page_cursor.hpp), which takes the line's page
// requests when the line comes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace kolvo {

// Where every uncentred line of a page starts, in points from the left edge.
inline constexpr std::int32_t kLeftMargin = 30;

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

// What a line's tags ask of the page; the paged writer acts on them in the
// order the tag rows asked.
enum class PageRequest : unsigned char {
  PageBreak,     // end the page after this line
  LargeSpacing,  // wide spacing from this line on, remembering its baseline
  EndLarge,      // normal spacing again, unless large text started on this baseline
};

class PageRequests {
 public:
  // Each tag row asks once per line at most: the occurrences of one tag ask
  // the same thing again, which changes nothing.
  void add(PageRequest request) {
    if (count_ > 0 && requests_[count_ - 1] == request) return;
    if (count_ == requests_.size()) throw std::logic_error("more page requests than tag rows");
    requests_[count_++] = request;
  }
  std::span<const PageRequest> all() const { return {requests_.data(), count_}; }
  void clear() { count_ = 0; }
  bool operator==(const PageRequests& other) const {
    return std::ranges::equal(all(), other.all());
  }

 private:
  std::array<PageRequest, 4> requests_{};
  std::size_t count_ = 0;
};

struct LineMarks {
  // Set by "%cs"/"%ce"; cleared before each line (startLine).
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

  // PDF yellow highlight: the same measures, set by "%hs".
  std::int32_t highlight = 0;
  std::int32_t highlight_start_index = 0;
  std::int32_t highlight_end_index = 0;
  std::int32_t highlight_length = 0;
  std::int32_t highlight_x = 0;
  std::int32_t highlight_start_offset = 0;
  std::int32_t highlight_end_offset = 0;

  // Where the current line starts, in points from the left edge; "%cs"
  // moves it right so that the line comes out roughly centred.
  std::int32_t line_x = kLeftMargin;

  // Page breaks and large spacing asked for by this line; the run clears
  // them before each line.
  PageRequests page;

  // What no line carries over to the next: centring and its page requests.
  void startLine() {
    center = 0;
    page.clear();
  }

  bool operator==(const LineMarks&) const = default;
};

}  // namespace kolvo
