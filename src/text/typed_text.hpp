#pragma once
// Helpers for showing the user's text as typed (--escape): the format
// escapers turn decoded UTF-8 text into each format's literal text, and
// leave the tags of the markup in place for the tag rows that follow.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/message_text.hpp"
#include "markup/tag_key.hpp"
#include "markup/tag_table.hpp"
#include "markup/line_items.hpp"
#include "text/latex_scripts.hpp"

namespace kolvo {

// What the escapers of one run could not show: each such character is shown
// as "?" and counted, for one warning at the end of the run, which names the
// first few such characters.
// Keeps `c` among the first kSampleCount distinct characters of
// `samples`, of which `count` are taken, in order of appearance.
inline constexpr std::size_t kMissingSampleCount = 4;
void keepSample(std::array<char32_t, kMissingSampleCount>& samples, std::size_t& count, char32_t c);

struct EscapeStats {
  static constexpr std::size_t kSampleCount = kMissingSampleCount;

  std::uint64_t missingGlyphs = 0;
  std::array<char32_t, kSampleCount> samples{};  // distinct, in order of appearance
  std::size_t sampleCount = 0;
  // Typed LaTeX: the family a line of Han characters alone is set in, the
  // document's leaning as its first reading found it (LatexScripts).
  CjkFamily cjkLeaning = CjkFamily::Chinese;
  // The runs the paged escaper drew with fallback fonts in the line it
  // escaped last, which the line's rewrite moves along with its bytes;
  // empty for a line the text step left as it was.
  LineItems lineItems;
  // Typed text: the line's paragraph runs right to left (startsRightToLeft).
  bool rightToLeft = false;
  // Typed text: the text step found no byte in the line that may begin a
  // right-to-left character, or no "@" or "//" that may begin a link
  // (lookAtLine), so its escaper need not look again. False where nobody
  // looked.
  bool leftToRightOnly = false;
  bool withoutLinks = false;
  // Typed PostScript and PDF: the level of each stretch between the line's
  // tags (levelsBetweenTags), for the writers to put them in visual order.
  std::vector<std::uint8_t> tagGapLevels;

  // Counts `c` as shown as "?" and keeps it among the samples.
  void missing(char32_t c);
};

// Whether a tag of the table ("%" and two bytes that are some row's tag,
// whether or not the row has a text for the format at hand) begins at `at`.
// Inline: the rewrite and the warnings ask it of every "%".
inline bool beginsTag(std::string_view text, std::size_t at) {
  if (at + 3 > text.size() || text[at] != '%') return false;
  const std::size_t pair = tagPairIndex(text[at + 1], text[at + 2]);
  return (kTagPairBits[pair / 64] >> (pair % 64) & 1U) != 0;
}

// The code point that starts at `at` of `text`, which must be well-formed
// UTF-8 (as decoded text is); moves `at` past it. Inline: the paged
// escaper reads every character of text beyond ASCII with it.
inline char32_t nextCodePoint(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  if (lead < 0xE0 && at + 1 < text.size()) {  // most letters beyond ASCII
    const char32_t cp = (lead & 0x1FU) << 6 | (byte(at + 1) & 0x3FU);
    at += 2;
    return cp;
  }
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  char32_t cp = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length && at + i < text.size(); ++i) cp = cp << 6 | (byte(at + i) & 0x3F);
  at += length;
  return cp;
}

}  // namespace kolvo
