#pragma once
// A subset of a face holding the glyphs of the codes given out, made with
// HarfBuzz's subsetter.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/font_face.hpp"

namespace kolvo::fonts {

struct Subset {
  // TrueType: the whole subset file. CFF: its CFF table (CID-keyed), whose
  // charset gives the glyph of code k the CID k.
  std::string program;
  std::vector<std::uint16_t> glyphs;  // the glyph of code k at [k - 1] in `program`
  // TrueType: the codes given a box have a copy of their glyph whose own
  // advance is the box.
  bool boxed = false;
};

// `glyphs` holds the face's glyph of each code, code 1 first, `advances`
// (if given) each code's advance in thousandths, `boxes` (if given) the
// width in thousandths that a reader of a distilled PostScript should take
// each code's glyph to have where that is not its advance, else 0 (kept in
// TrueType faces only: a distiller takes a glyph's width from its program,
// the advance PostScript draws it at aside). Throws FontError when
// HarfBuzz cannot subset the face. A name-keyed CFF face comes out
// CID-keyed, code k being glyph and CID k.
Subset subsetFace(const FontFace& face, std::span<const std::uint32_t> glyphs,
                  std::span<const std::uint16_t> advances = {}, std::span<const std::uint16_t> boxes = {});

// A copy of glyph `glyph` of a TrueType file, its advance `advance` in font
// units.
struct GlyphCopy {
  std::uint16_t glyph = 0;
  std::uint16_t advance = 0;
};

// `ttf` with a glyph added after its own for each of `copies`, in order;
// nothing when the file's tables do not hold together. The tables that
// hold something of every glyph besides its outline and metrics
// (hinting's device metrics, vertical metrics, variations) are left out.
std::optional<std::string> withGlyphCopies(std::string_view ttf, std::span<const GlyphCopy> copies);

}  // namespace kolvo::fonts
