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

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/fallback_context.hpp"
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
  // Whole lines (every one but perhaps the input's last ends in a line feed).
  void lines(std::string_view text);
  // Lines of ASCII alone.
  void passOver(std::string_view text);
  // The line that starts at `start` of `text`; returns where the next starts.
  std::size_t line(std::string_view text, std::size_t start);
  // The line as the conversion escapes it.
  void escape(std::string_view line);
  // Where the lines from `at` on stop being those QuietPairs passes over:
  // `at` when the first is not.
  std::size_t quietLines(std::string_view text, std::size_t at);
  void countLeads(std::string_view line);

  Format format_;
  paged::FallbackContext context_;
  std::string carried_;  // the start of a line the next bytes go on with
  std::string line_;
  std::string scratch_;
  EscapeStats stats_;
  // The look at thirty-two bytes at a time, for the style it was made for
  // and the two lead bytes most often read one by one so far, made again
  // when any of that changes or a line was escaped (which may have asked
  // for something).
  paged::QuietPairs pairs_;
  bool pairsStale_ = true;
  FontStyle pairsStyle_ = FontStyle::Regular;
  std::array<unsigned char, 2> pairsLeads_{};
  std::array<std::uint64_t, 32> leadCounts_{};  // by lead byte, from 0xC0
};

}  // namespace kolvo
