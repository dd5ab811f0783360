#pragma once
// The PDF objects of the fallback fonts, written after the last page: per
// font a Type 0 font, its CIDFont (CIDFontType2 for TrueType outlines,
// CIDFontType0 for CFF) with the widths of its codes, the font descriptor,
// the subset program, the ToUnicode map and (TrueType) the CIDToGIDMap.
// Their numbers follow from the font's place, so the resource dictionary,
// written before the pages, names them ahead.

#include <string>

#include "writers/output_sink.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/pdf_object_table.hpp"

namespace kolvo {

// The entries of the resource dictionary's font dictionary for the first
// `count` fallback fonts: " /K0 40 0 R" and so on.
std::string pdfFallbackFontEntries(std::size_t count);

// How many objects the first `count` fallback fonts take: the objects
// written after them are numbered pdfFallbackObject(this and on).
std::uint64_t pdfFallbackObjectCount(std::size_t count);

// Writes the objects of the first `count` fallback fonts (nothing for 0).
void writePdfFallbackFonts(OutputSink& out, PdfObjectTable& table, const FallbackFonts& fonts,
                           std::size_t count);

}  // namespace kolvo
