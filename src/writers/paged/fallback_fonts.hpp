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
#include <string_view>
#include <vector>

#include "writers/paged/break_before.hpp"

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
  // A shaped glyph that stands for several characters (a ligature): them,
  // in logical order, instead of `unicode`. `unicode` 0 and no characters:
  // a glyph that tells no text, its cluster's other glyphs telling it.
  std::u32string characters = {};
  // False for a shaped glyph placed at another advance than the program's
  // own, which PostScript then states (its Metrics).
  bool ownAdvance = true;
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

// The direction of a line's paragraph, as the text shaper is told it:
// settled already by a strong character before the text, or taken from
// the text's first strong character.
enum class ParagraphDirection : unsigned char { FromText, LeftToRight, RightToLeft };

// A glyph placed by shaping: its code (a code of its own where shaping
// moved it from its plain advance) and the advance the code has.
struct ShapedGlyph {
  FallbackGlyph glyph{0, 0};
  std::uint32_t advance = 0;
  // The characters [clusterBegin, clusterEnd) of the text that its cluster
  // stands for; the glyphs of one cluster stand together. The code maps to
  // the characters the glyph stands for alone (a ligature to all of its
  // cluster's, a glyph of a cluster of as many glyphs as characters to the
  // one its character map gives); `spanned`: the cluster's glyphs do not
  // tell its characters so, and its text is told beside them.
  std::uint32_t clusterBegin = 0;
  std::uint32_t clusterEnd = 0;
  bool spanned = false;
};

// One piece of shaped text, in the order the pieces stand on the page from
// left to right: glyphs of one font, a blank between words, or a character
// no font has.
struct ShapedPiece {
  enum class Kind : unsigned char { Glyphs, Blank, Missing };
  Kind kind = Kind::Glyphs;
  bool rightToLeft = false;  // Glyphs: shaped right to left
  std::size_t begin = 0;     // the characters it stands for: [begin, end) of the text
  std::size_t end = 0;
  std::size_t firstGlyph = 0;  // Glyphs: its glyphs in ShapedText::glyphs, left to right
  std::size_t glyphCount = 0;
  // Glyphs: the run as the fonts keep it for the conversion run, the same
  // number for the same glyphs, clusters and text each time they are
  // given (0: not kept); so the text drawn from them is the same too.
  std::uint64_t kept = 0;
};

struct ShapedText {
  std::vector<ShapedGlyph> glyphs;
  std::vector<ShapedPiece> pieces;
  // The paragraph's direction as the text settled it (FromText: the text
  // has no strong character).
  ParagraphDirection paragraph = ParagraphDirection::FromText;

  void clear() {
    glyphs.clear();
    pieces.clear();
    paragraph = ParagraphDirection::FromText;
  }
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
  // characters share one glyph): how the line layout tells a blank. A
  // code's advance never changes, nor whether its character is the blank:
  // the layout keeps both once asked.
  virtual char32_t character(FallbackGlyph glyph) const = 0;

  // How many fonts glyph() has given codes of, and each as a subset.
  virtual std::size_t fontCount() const = 0;
  virtual EmbeddedFont embed(std::size_t font) const = 0;

  // Shapes `text` (one stretch of a line, which holds a character of a
  // script that needs shaping or runs right to left) in the faces for
  // `style`: put in visual order by the Unicode Bidirectional Algorithm in
  // a paragraph of direction `paragraph`, each run of one font and
  // direction shaped, its glyphs given codes. False when these fonts do
  // not shape, and the characters are missing.
  virtual bool shape(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
                     ShapedText& out) {
    (void)text, (void)style, (void)paragraph, (void)out;
    return false;
  }

  // The place before each character of `text` (a line, or a stretch of
  // it with a character of context on either side) into `out`, one per
  // character: where a line may break by the Unicode line breaking rules
  // (closing punctuation never starts a line, opening punctuation never
  // ends one, Thai breaks between words) and where a grapheme cluster
  // lies. False when these fonts know no such rules: the layout then
  // breaks as it does for text without them.
  virtual bool lineBreaks(std::u32string_view text, std::vector<BreakBefore>& out) const {
    (void)text, (void)out;
    return false;
  }

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
