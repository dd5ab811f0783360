#pragma once
// The Document Structuring Conventions 3.0 comments of a PostScript file
// laid out for a paper size (--paper): what lets printers, viewers and page
// tools find the page size and the pages.

#include <cstdint>
#include <string>
#include <string_view>

#include "writers/document_info.hpp"
#include "writers/paged/text_style.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {

// From "%!PS-Adobe-3.0" to "%%BeginProlog": the page's bounding box and
// medium, the pages counted in the trailer; with `info`, the document's
// comments (postScriptInfoComments) in place of the bare creator's.
std::string postScriptHeader(const PaperSize& paper, const DocumentInfo* info = nullptr);

// "%%Title:", "%%For:" (the author), "%%Creator:" (Kolvo and its version)
// and "%%CreationDate:" lines, each of a value there is; the values are
// PostScript strings (dscText), so no line runs over the conventions' 255
// bytes or holds a line break or an unbalanced parenthesis.
std::string postScriptInfoComments(const DocumentInfo& info);

// The same for a PDF made from the file (ps2pdf): a "/DOCINFO pdfmark" of
// the values given, run only where pdfmark is defined, so that printers
// pass over it. Empty when no value is given.
std::string postScriptDocInfo(const DocumentInfo& info);

// "%%EndProlog", then the setup: the device is asked for the page size
// (a device that cannot change it keeps going), then `fonts`, the font
// definitions the document needs (the re-encoding of typed text).
std::string postScriptSetup(const PaperSize& paper, std::string_view fonts);

// "%%Page: N N" and a page setup that selects the font and colour in force,
// so that each page stands on its own when page tools take it out.
std::string postScriptPageStart(std::uint64_t page, const paged::TextStyle& style);

// After the last "showpage": the trailer with the page count, "%%EOF".
std::string postScriptTrailer(std::uint64_t pages);

}  // namespace kolvo
