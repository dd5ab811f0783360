#pragma once
// A stretch of typed text shaped for the page: bidi order (bidi_order.hpp),
// a face for each character, and each run of one face and direction shaped
// by HarfBuzz, its glyphs placed by codes whose advances carry HarfBuzz's
// positions.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/bidi_order.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

class FontFace;

// A glyph as HarfBuzz placed it: where it is drawn from the run's start,
// in thousandths of the size, and the characters it stands for (offsets
// in the text).
struct PlacedGlyph {
  std::uint32_t glyph;
  std::uint32_t cluster;
  long x;
  std::uint32_t clusterEnd = 0;
  // What the glyph stands for alone: [mapsFrom, mapsTo), empty when it
  // stands for nothing by itself.
  std::uint32_t mapsFrom = 0;
  std::uint32_t mapsTo = 0;
  // The character of its cluster that the face's character map gives it,
  // else the cluster's first: what a reader without the cluster's text
  // takes the glyph for.
  std::uint32_t nearest = 0;
  // A glyph of a cluster of several, given [mapsFrom, mapsTo) as its
  // piece of the cluster's text (clusterTextInCodes); `spanned`: the
  // cluster's glyphs did not tell it by themselves.
  bool piece = false;
  bool spanned = false;
};

// What shapeText() works in, kept from stretch to stretch so that a
// stretch allocates nothing.
struct ShapingBuffers {
  BidiOrder order;
  std::vector<std::size_t> faces;  // by character
  std::u32string key;
};

// Runs shaped so far in one conversion run, their glyphs as the fonts gave
// them codes, by face, direction and text (offsets from the run's start):
// prose says its words again and again. A word between blanks shapes the
// same wherever it stands; any other run is kept with the characters
// around it that HarfBuzz reads as its context, so that only the same
// run in the same surroundings finds it (the key says which of the two
// it is).
//
// A run's key and glyphs lie together in one block of memory, found
// through a table of hashes: a word is looked up for every word of the
// text, and what costs then is memory read from far apart, not the
// comparing.
class ShapedWords {
 public:
  // Appends the glyphs kept under `key` to `out`, their clusters moved
  // on by `shift`, and gives the number they are kept by (ShapedPiece::kept);
  // 0, with nothing appended, when none are kept.
  std::uint64_t appendKept(std::u32string_view key, std::uint32_t shift,
                           std::vector<ShapedGlyph>& out) const;
  // Keeps `glyphs` under `key` (which is not kept yet), their clusters
  // moved back by `shift`; the number they are kept by, 0 if they are not.
  std::uint64_t keep(std::u32string_view key, std::uint32_t shift, std::span<const ShapedGlyph> glyphs);
  ShapingBuffers& buffers() { return buffers_; }

 private:
  // A run kept: its key's hash, and where it starts in arena_ plus one (0:
  // a free slot).
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t at = 0;
  };
  void grow();
  void place(Slot slot);
  std::uint64_t numberOf(std::uint32_t at) const;

  // Bounds, not a policy: past either the store starts again empty.
  static constexpr std::size_t kMaxWords = 1U << 17;
  static constexpr std::size_t kMaxArena = 1U << 26;  // words of four bytes
  // Each run: its key's length, its glyph count, the key, the glyphs'
  // bytes.
  std::vector<std::uint32_t> arena_;
  std::vector<Slot> slots_;  // a power of two of them, at most half taken
  std::size_t words_ = 0;
  // How many times the store started again: a run's number holds it, so
  // that no number is given twice.
  std::uint32_t generation_ = 1;
  ShapingBuffers buffers_;
};

// What the shaper asks of the fonts.
class ShapingFaces {
 public:
  virtual ~ShapingFaces() = default;
  // The face for `c` in `style`, by the fonts' own order of choice.
  virtual std::optional<std::size_t> faceFor(char32_t c, FontStyle style) = 0;
  virtual const FontFace& face(std::size_t face) const = 0;
  // Where shaped runs are kept, or nothing to shape every run anew. A
  // run found there asks placedCode() nothing: fonts that keep runs give
  // the same code again for the same arguments, and asking again changes
  // nothing.
  virtual ShapedWords* shapedWords() { return nullptr; }
  // The code that draws `glyph` of `face` with `advance` (thousandths of
  // the size), given out on first use; nothing once the font has run out
  // of codes. `characters` are what the glyph stands for, in logical
  // order; `alone`: it stands for them by itself, and the code maps to
  // them (a code first given out otherwise takes them then).
  virtual std::optional<FallbackGlyph> placedCode(std::size_t face, std::uint32_t glyph,
                                                  std::uint16_t advance,
                                                  std::u32string_view characters, bool alone) = 0;
  // Whether the glyphs of a cluster of several tell its text, each a piece
  // of it in the order they are drawn, through codes of their own
  // (pieceCode), where they would not tell it one character each (a vowel
  // drawn before its consonant, or in two parts) and a mark set off its own
  // advance tells nothing: for PostScript, whose spans of text ps2pdf keeps
  // where pdftotext does not look for them, and whose marks set off their
  // advance ps2pdf draws with an offset pdftotext may read as a blank.
  virtual bool clusterTextInCodes() const { return false; }
  // The code that draws `glyph` as the piece `characters` of its cluster's
  // text (none: its other glyphs tell it all), its box for a reader `box`
  // wide where that is not the glyph's own advance, else 0 (glyphBoxes);
  // one code per glyph, advance, box and piece.
  virtual std::optional<FallbackGlyph> pieceCode(std::size_t face, std::uint32_t glyph,
                                                 std::uint16_t advance,
                                                 std::u32string_view characters, std::uint16_t box) {
    (void)box;
    return placedCode(face, glyph, advance, characters, true);
  }
};

// The box a reader should give each of `placed` (in drawn order, drawn at
// `advances`; `widths` their own advances, which a reader of a distilled
// PostScript takes a glyph's box to be), in thousandths, or 0 for its own:
// for a glyph that tells a piece of its cluster (givePieces), from its
// place to the next glyph that tells one, or its cluster's end, where its
// own advance falls short of that by as much as a blank: a mark set off
// its own advance of none, a letter before the second part of a vowel
// drawn round it, which tells nothing (a reader drops a glyph that tells
// nothing, and the place left would part the word).
std::vector<std::uint16_t> glyphBoxes(std::span<const PlacedGlyph> placed, std::span<const std::uint16_t> advances,
                                      std::span<const std::uint16_t> widths);

void shapeText(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
               ShapingFaces& faces, ShapedText& out);

}  // namespace kolvo::fonts
