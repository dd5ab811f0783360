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

#include <string_view>

namespace kolvo {

// Whether `utf8` (well-formed UTF-8, as decoded text is) starts, by its
// first strong character, a right-to-left paragraph. The tags of the
// markup in it are passed over.
bool startsRightToLeft(std::string_view utf8);

// Whether `c` is a strong character of each way, by the same blocks.
bool isStrongLeftToRight(char32_t c);
bool isStrongRightToLeft(char32_t c);

}  // namespace kolvo
