#pragma once
// The program's fallback fonts, from the font module (kolvo-fonts.so)
// opened on first use: a run whose text every standard font draws never
// loads HarfBuzz, fontconfig or FreeType, and starts as quickly as a
// program can. The module is looked for beside the program (a build tree),
// then in lib/kolvo/ beside the program's bin/ (where it is installed,
// under any prefix).

#include <memory>
#include <span>
#include <string>

#include "markup/format.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

// The fallback fonts of a typed PostScript or PDF run. With --font files
// the module is opened at once, so that a file that cannot be used is
// reported before anything is written (throws std::runtime_error); without
// them, when the first character asks for a glyph. A module that cannot be
// opened leaves no fallback font: such characters are shown as "?", and
// the warning's hint says why. `monospace` (--mono) prefers monospace faces.
std::unique_ptr<FallbackFonts> moduleFallbackFonts(std::span<const std::string> files, Format format,
                                                   bool monospace);

// The same for libkolvo: the module is looked for beside the library
// (found with dladdr) and in kolvo/ within the library's folder first,
// then where the program looks.
std::unique_ptr<FallbackFonts> libraryFallbackFonts(std::span<const std::string> files,
                                                    Format format, bool monospace);

}  // namespace kolvo
