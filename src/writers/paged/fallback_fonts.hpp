#pragma once
// The fonts that draw, under --escape, the characters the standard
// PostScript and PDF fonts lack. The core sees only this interface; the
// program gives it fonts found through fontconfig (src/fonts/), the tests a
// fake.
//
// Each font in use hands out its own codes, 1, 2, 3 ... in the order in
// which characters are first asked for: one code per character. The
// content streams show those codes; at the end the writers embed each font
// as a subset holding just the glyphs of its codes.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvo {

// The style of the standard font in force, which picks the face of the
// fallback font: Times-Roman, Times-Bold, Times-Italic, Courier.
enum class FontStyle : unsigned char { Regular, Bold, Italic, Monospace };

struct FallbackGlyph {
  std::uint16_t font;  // which font in use, 0, 1, ...
  std::uint16_t code;  // the font's code for the character, from 1
};

enum class OutlineFormat : unsigned char { TrueType, Cff };

// One code of an embedded font.
struct EmbeddedGlyph {
  char32_t unicode;
  std::uint16_t glyph;    // the glyph index in `EmbeddedFont::program`
  std::uint16_t advance;  // in thousandths of the size
};

// A font in use as the writers embed it. Metrics are in thousandths of the
// size, as PDF font descriptors give them.
struct EmbeddedFont {
  std::string postScriptName;  // letters, digits and "-" only
  OutlineFormat outlines = OutlineFormat::TrueType;
  // The subset: a whole TrueType file, or (Cff) the bare CFF table, whose
  // CIDs are the codes when it is CID-keyed and whose glyph indices are
  // the codes otherwise.
  std::string program;
  // The program in zlib format (PDF's FlateDecode), or empty to embed it
  // as it is.
  std::string deflatedProgram;
  bool cidKeyed = false;
  std::vector<EmbeddedGlyph> glyphs;  // glyphs[code - 1]
  int ascent = 0;
  int descent = 0;
  int capHeight = 0;
  int italicAngle = 0;
  std::array<int, 4> bbox{};
  bool fixedPitch = false;
  bool serif = false;
  bool italic = false;
};

class FallbackFonts {
 public:
  virtual ~FallbackFonts() = default;

  // The glyph that draws `c` in the face for `style`, or nothing when no
  // font has it (or its script needs shaping). Asking gives the character
  // a code, which later calls return again.
  virtual std::optional<FallbackGlyph> glyph(char32_t c, FontStyle style) = 0;
  // The same from one font in use, or nothing when it lacks `c`.
  virtual std::optional<FallbackGlyph> glyphIn(std::uint16_t font, char32_t c) = 0;
  // The advance of a glyph given out by glyph(), in thousandths of the size.
  virtual std::uint32_t advance(FallbackGlyph glyph) const = 0;
  // The character a glyph was given out for (the first, when several
  // characters share one glyph): how the line layout tells a blank.
  virtual char32_t character(FallbackGlyph glyph) const = 0;

  // How many fonts glyph() has given codes of, and each as a subset.
  virtual std::size_t fontCount() const = 0;
  virtual EmbeddedFont embed(std::size_t font) const = 0;

  // For the warning about characters shown as "?": a short hint at what
  // would draw `missing` (a font package to install, or why none will),
  // or nothing.
  virtual std::string missingHint(std::span<const char32_t> missing) const = 0;
};

// The width of `c` at `size` points in the fallback face for `style`, or
// nothing when no fallback font has it. Gives `c` a code like glyph().
std::optional<double> fallbackWidth(FallbackFonts& fonts, char32_t c, FontStyle style,
                                    double size);

}  // namespace kolvo
