#pragma once
// The PDF objects of the fallback fonts, written after the last page: per
// font a Type 0 font, its CIDFont (CIDFontType2 for TrueType outlines,
// CIDFontType0 for CFF) with the widths of its codes, the font descriptor,
// the subset program, the ToUnicode map and (TrueType) the CIDToGIDMap.
// The resource dictionary, object 4, is written again with the fonts added;
// the cross-reference table points to the new one.

#include <string_view>

#include "writers/output_sink.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/pdf_object_table.hpp"

namespace kolvo {

// Writes nothing when no fallback font is in use. `resources` is the text
// of object 4 as the prologue wrote it.
void writePdfFallbackFonts(OutputSink& out, PdfObjectTable& table, const FallbackFonts& fonts,
                           std::string_view resources);

}  // namespace kolvo
