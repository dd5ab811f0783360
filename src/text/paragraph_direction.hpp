#pragma once
// Which way a paragraph of typed text runs: the way of its first strong
// character, as the Unicode Bidirectional Algorithm takes a paragraph's
// level (rules P2 and P3). Right to left where that character is Hebrew,
// Arabic, Syriac, Thaana, N'Ko or another right-to-left script (or a
// right-to-left mark); left to right where it is a letter of any other
// script (or a left-to-right mark), and where there is none (digits,
// punctuation, symbols and blanks are not strong). The flowing formats
// write this direction on the paragraph, so that readers order and align
// the text as its writer meant.
//
// The classes come from a small table of the blocks, not the Unicode
// character database: within a right-to-left block the marks and digits
// count as strong too, which matters only to a paragraph that starts with
// one (rare in real text, and such a paragraph is right to left anyway).

#include <cstdint>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kolvo {

// The first byte that may begin a right-to-left character: every sequence
// of Hebrew to Arabic, their extensions, the marks and the presentation
// forms starts from it on. Where a line has none (Latin, Greek, Cyrillic,
// ASCII), every character is left to right or neutral.
inline constexpr unsigned char kRightToLeftLeadFloor = 0xD6;

#if defined(__SSE2__)
// The bytes from kRightToLeftLeadFloor on among the sixteen of `block`, a
// bit each: x is one where max(x, floor) is x.
inline unsigned rightToLeftLeadBits(__m128i block) {
  const __m128i floor = _mm_set1_epi8(static_cast<char>(kRightToLeftLeadFloor));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(block, floor), block)));
}
#endif

// Whether `utf8` (well-formed UTF-8) may hold a character of a
// right-to-left block, judged by the first two bytes of each sequence from
// the first byte from D6 on: false only where it holds none. (A line with
// no byte from D6 at all, Latin, Greek or Cyrillic, holds none: the text
// step's lookAtLine tells that along with its links.) CJK, Indic
// and Thai lines, whose every character has a byte from D6, are told apart
// without reading a character.
bool mayHoldRightToLeftCharacter(std::string_view utf8);

// Whether `utf8` (well-formed UTF-8, as decoded text is) starts, by its
// first strong character, a right-to-left paragraph. The tags of the
// markup in it are passed over.
bool startsRightToLeft(std::string_view utf8);

// The embedding level of each stretch of `utf8` between its tags, in
// order (one more than the tags): a stretch that holds letters of one way
// only, or none between two stretches of the same way, takes that way;
// any other the paragraph's (`rightToLeft`). Left-to-right text in a
// right-to-left paragraph is at level 2, right-to-left text in a
// left-to-right one at level 1, as the bidirectional algorithm would put
// whole stretches. Empty when the line has no tag or every stretch is at
// level 0: then nothing needs putting in another order.
void levelsBetweenTags(std::string_view utf8, bool rightToLeft, std::vector<std::uint8_t>& levels);

// Whether `c` is a strong character of each way, by the same blocks.
bool isStrongLeftToRight(char32_t c);
bool isStrongRightToLeft(char32_t c);

}  // namespace kolvo
