#pragma once
// Headers and footers (--header, --footer): the template read into its
// parts, and each page's text drawn in a small Times-Roman, re-encoded as
// typed text is, so that any bytes of a file name or a template show
// safely: characters the encoding lacks become "?".

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "writers/paged/page_design.hpp"

namespace kolvo::paged {

// Reads "LEFT|CENTRE|RIGHT" (fewer parts fill from the left) with its
// codes: %f file, %t title, %d date, %p page, %P page count, %% and %|
// for the characters themselves. Returns what is wrong, or empty.
std::string parseRunningLine(std::string_view text, RunningLine& line);

// The part's text for page `page` of `pages`, as UTF-8 (or the bytes given).
std::string expandRunningPart(const std::vector<RunningPiece>& part, const PageDesign& design,
                              std::uint64_t page, std::uint64_t pages);

// `text` as codes of the re-encoded text fonts: UTF-8 decoded (other
// bytes read as Windows-1252), controls as blanks, what the encoding lacks
// as "?".
std::string runningCodes(std::string_view text);

// The operators that draw the header and footer of page `page` of
// `pages` in `format`, each part at its place in the text area's width;
// the graphics state is left as found.
std::string runningOperators(Format format, const PageDesign& design, const PageFrame& frame,
                             std::uint64_t page, std::uint64_t pages);

// The PostScript name and PDF resource of the running lines' font.
inline constexpr std::string_view kRunningPostScriptFont = "KolvoRunning";
inline constexpr std::string_view kRunningPdfResource = "FR";

}  // namespace kolvo::paged
