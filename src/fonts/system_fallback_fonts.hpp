#pragma once
// The program's fallback fonts: the files given with --font, in order, then
// the faces fontconfig picks for each character.

#include <memory>
#include <span>
#include <string>

#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

struct FallbackFontOptions {
  bool useFontconfig = true;
  // --mono: fontconfig is asked for monospace faces in every style.
  bool preferMonospace = false;
  // PostScript: shaped clusters tell their text through their codes too
  // (ShapingFaces::clusterTextInCodes).
  bool clusterTextInCodes = false;
};

// Opens every file of `files` at once; throws FontError (font_face.hpp) for
// one that cannot be used. fontconfig is asked only when the text holds a
// character none of them has.
std::unique_ptr<FallbackFonts> makeSystemFallbackFonts(std::span<const std::string> files,
                                                       FallbackFontOptions options = {});

}  // namespace kolvo::fonts
