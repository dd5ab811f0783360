#pragma once
// The fallback fonts in a PostScript prologue: each font in use with
// TrueType outlines as a Type 42 font whose glyph names are "uniXXXX", so
// that text extraction (ps2pdf, then any PDF reader) gives the characters
// back, with one code page of 256 codes per font defined for each 256 codes
// in use; one with CFF outlines as the same code pages composed of a
// CIDFont (postscript_cff_fonts.hpp). Names: paged::postScriptFallbackName.

#include "writers/output_sink.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

// Writes nothing when no fallback font is in use.
void writePostScriptFallbackFonts(OutputSink& out, const FallbackFonts& fonts);

// The glyph name of `c`: "uni0416", or "u1F600" beyond the first plane.
std::string postScriptGlyphName(char32_t c);

}  // namespace kolvo
