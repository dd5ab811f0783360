#pragma once
// One face of a TrueType or OpenType file, read through HarfBuzz: which
// glyph draws a character, how wide it is, and what a PDF font descriptor
// says about the face.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "writers/paged/fallback_fonts.hpp"

struct hb_face_t;
struct hb_font_t;

namespace kolvo::fonts {

// A file that cannot be used as a fallback font; what() says why.
class FontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class FontFace {
 public:
  // Opens face `index` of `path`. Throws FontError when the file cannot be
  // read or holds no outlines Kolvo can embed (TrueType, or CFF: CID-keyed
  // or name-keyed, which the subset makes CID-keyed).
  FontFace(const std::string& path, unsigned index);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const std::string& path() const { return path_; }
  unsigned index() const { return index_; }
  OutlineFormat outlines() const { return outlines_; }
  // CFF outlines keyed by CID (Noto CJK) rather than by glyph name.
  bool cidKeyed() const { return cidKeyed_; }

  // The glyph the face's character map gives `c`, if any (never .notdef).
  std::optional<std::uint32_t> glyph(char32_t c) const;
  // The advance of `glyph` in thousandths of the size.
  std::uint16_t advance(std::uint32_t glyph) const;

  // The face's name and metrics, for an EmbeddedFont (no program, no glyphs).
  EmbeddedFont description() const;

  hb_face_t* face() const { return face_; }
  // The face at its own units (the scale HarfBuzz shapes in), and those
  // units per em.
  hb_font_t* font() const { return font_; }
  unsigned unitsPerEm() const { return unitsPerEm_; }

 private:
  std::string path_;
  unsigned index_;
  hb_face_t* face_ = nullptr;
  hb_font_t* font_ = nullptr;
  unsigned unitsPerEm_ = 1000;
  OutlineFormat outlines_ = OutlineFormat::TrueType;
  bool cidKeyed_ = false;
};

}  // namespace kolvo::fonts
