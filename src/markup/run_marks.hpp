#pragma once
// Marks around the text of a run drawn with a fallback font in a typed
// PostScript or PDF line. The measures that estimate widths from byte
// counts (centring, the PDF underline and highlight) count such a run by
// its true width instead of its bytes; the marks carry that width through
// the tag rows, and the end of the line rewrite takes them out again.
//
//   NUL, the width in whole points (decimal), NUL, the run's operators, NUL
//
// No line reaches the rewrite with a NUL byte of its own (each has become a
// blank), and no tag text holds one, so a NUL always belongs to a run.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvo {

inline constexpr char kRunMark = '\0';

// How many bytes of `text` a byte-count measure should see: the bytes
// outside runs, plus the runs' widths divided by `pointsPerByte` (rounded
// to the nearest byte over all runs together). A run cut off by the end of
// `text` counts nothing.
std::size_t measuredBytes(std::string_view text, std::uint32_t pointsPerByte);

// How many bytes of `text` the line keeps once the marks and widths are
// taken out: a run counts by its operators. A run cut off by the end of
// `text` counts what it would keep of the part there.
std::size_t unmarkedBytes(std::string_view text);

// Whether `text` holds a run.
inline bool holdsRuns(std::string_view text) {
  return text.find(kRunMark) != std::string_view::npos;
}

// Takes the marks and widths out of `line`, leaving each run's operators;
// `scratch` is working storage.
void removeRunMarks(std::string& line, std::string& scratch);

}  // namespace kolvo
