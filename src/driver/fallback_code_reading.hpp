#pragma once
// The first of the two readings of typed PostScript and PDF with fallback
// fonts (writerReadsInputTwice): it has the fonts give out the code of
// every character the conversion will draw with them, in the order in
// which the conversion will ask, so that the prologue can name every font.
//
// Only characters beyond ASCII are ever asked for, in the face of the
// style in force where they stand, and a character asked for once asks
// nothing again. So the reading escapes a line as the conversion does only
// where it may ask something new (paged::asksNothingNew says where not);
// elsewhere it follows only what changes the style. Text of ASCII alone,
// most of most inputs, needs no line of its own: in PDF every line starts
// in the body font, so it changes nothing; in PostScript, which carries
// the font from line to line, its last tag that selects a font (outside
// the drawing lines, which leave the font as it was) is all that counts.
// The fonts see only the style of the font in force (the reading builds no
// run), so of the rest (its name, size, PostScript's show procedure) the
// reading keeps what it happens to follow.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/tag_index.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/font_in_force.hpp"
#include "writers/paged/quiet_pairs.hpp"

namespace kolvo {

class FallbackCodeReading {
 public:
  FallbackCodeReading(Format format, FallbackFonts& fonts);

  // The input's next bytes, as LineReader::nextBlock gives them out: decoded
  // from UTF-16 if need be, cut anywhere.
  void read(std::string_view bytes);
  // After the last bytes: a last line without a line feed.
  void finish();

 private:
  // The line the look at thirty-two bytes at a time is in.
  struct QuietLine {
    std::size_t start;
    paged::FontInForce inForce;  // where it starts
    bool drawing;
  };

  // Whole lines (every one but perhaps the input's last ends in a line feed).
  void lines(std::string_view text);
  // Lines of ASCII alone.
  void passOver(std::string_view text);
  // The line that starts at `start` of `text`; returns where the next starts.
  std::size_t oneLine(std::string_view text, std::size_t start);
  // The line as the conversion escapes it.
  void escape(std::string_view line);
  // Passes over the lines from `at` (a line start) on with QuietPairs,
  // following their tags, up to the line that must be read one by one
  // (its start, the font in force as it starts) or the end of `text`.
  std::size_t quietLines(std::string_view text, std::size_t at);
  std::size_t followTag(std::string_view text, std::size_t at);
  const paged::QuietPairs& pairsInForce();
  void chooseLeads();
  void countLeads(std::string_view line);

  Format format_;
  paged::FallbackContext context_;
  const paged::FontInForce body_;  // every PDF line starts in it
  const TagIndex& tags_;
  const TagColumn typedColumn_;
  const paged::FontSwitches& switches_;
  std::string carried_;  // the start of a line the next bytes go on with
  std::string line_;
  std::string scratch_;
  EscapeStats stats_;
  // The look at thirty-two bytes at a time, one per style, for the two
  // lead bytes most often read one by one so far; made again when those
  // change or a line was escaped (which may have asked for something).
  std::array<paged::QuietPairs, 4> pairs_;  // by style
  std::array<bool, 4> pairsStale_{true, true, true, true};
  std::array<unsigned char, 2> pairsLeads_{};  // none yet: 0
  std::array<std::uint64_t, 32> leadCounts_{};  // by lead byte, from 0xC0
};

}  // namespace kolvo
