#pragma once
// A fallback font with CFF outlines in a PostScript prologue: the CID-keyed
// CFF table (code k is CID k) given to the FontSet procedures, which make
// it a CIDFont, and one Type 0 font per code page composed of it with a
// CMap that takes a page's 256 byte codes to its CIDs. The content streams
// select and show these pages as they do a Type 42 font's.

#include <cstddef>
#include <string_view>

#include "writers/output_sink.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

// The code page CMaps defined so far in a prologue (KolvoPage0, ...): each
// is defined once, before the first font that needs it.
struct CodePageMaps {
  std::size_t defined = 0;
};

void writePostScriptCffFont(OutputSink& out, const EmbeddedFont& font, std::size_t index,
                            CodePageMaps& maps);

// The name in a CFF table's Name INDEX (its first font's), the name its
// FontSet defines the CIDFont under; empty when the table has none.
std::string_view cffFontName(std::string_view cff);

}  // namespace kolvo
