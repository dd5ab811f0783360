#pragma once
// A subset of a face holding the glyphs of the codes given out, made with
// HarfBuzz's subsetter.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fonts/font_face.hpp"

namespace kolvo::fonts {

struct Subset {
  // TrueType: the whole subset file. CFF: its CFF table (CID-keyed), whose
  // charset gives the glyph of code k the CID k.
  std::string program;
  std::vector<std::uint16_t> glyphs;  // the glyph of code k at [k - 1] in `program`
};

// `glyphs` holds the face's glyph of each code, code 1 first, `advances`
// (if given) each code's advance in thousandths. Throws FontError when
// HarfBuzz cannot subset the face. A name-keyed CFF face comes out
// CID-keyed, code k being glyph and CID k.
Subset subsetFace(const FontFace& face, std::span<const std::uint32_t> glyphs,
                  std::span<const std::uint16_t> advances = {});

}  // namespace kolvo::fonts
