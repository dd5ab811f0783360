#pragma once
// One face of a TrueType or OpenType file, read through HarfBuzz: which
// glyph draws a character, how wide it is, and what a PDF font descriptor
// says about the face.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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
  // Inline for the characters asked before: a shaped text asks for each.
  std::optional<std::uint32_t> glyph(char32_t c) const {
    if (c < glyphOfCharacter_.size() && glyphOfCharacter_[c] != kNotAsked) {
      const std::uint32_t g = glyphOfCharacter_[c];
      return g == 0 ? std::nullopt : std::optional<std::uint32_t>(g);
    }
    return askGlyph(c);
  }
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
  std::optional<std::uint32_t> askGlyph(char32_t c) const;

  // glyph() of the first plane and advance() of each glyph, found once:
  // a shaped text asks for the same few again and again. kNotAsked
  // until asked (the first plane's array is made on the first ask).
  static constexpr std::uint32_t kNotAsked = UINT32_MAX;
  mutable std::vector<std::uint32_t> glyphOfCharacter_;
  mutable std::vector<std::uint32_t> advanceOfGlyph_;
  OutlineFormat outlines_ = OutlineFormat::TrueType;
  bool cidKeyed_ = false;
};

}  // namespace kolvo::fonts
