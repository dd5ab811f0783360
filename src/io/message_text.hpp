#pragma once
// Bytes that come from the user (file names, words of the command line,
// environment variables, the input itself) as every message shows them:
// nothing in them can move the terminal's cursor, change its colours or
// break a message line.

#include <string>
#include <string_view>

namespace kolvo {

// `bytes` with each control byte, each byte that is not part of valid
// UTF-8, and each character that does not print but reorders or breaks
// lines (C1 controls, the line and paragraph separators, the bidirectional
// controls) written as an escape: "\t", "\n", "\r", or "\xHH" for every
// other byte (NUL is "\x00"). A backslash is doubled, so that an escape is
// never taken for typed text. Printable ASCII and other valid UTF-8 stay.
std::string printable(std::string_view bytes);

// The same in single quotes, as messages name a word, a path or a field of
// the user's: 'out.pdf'.
std::string quoted(std::string_view bytes);

// "U+0416", "U+1F600": a code point as messages name it (at least four hex
// digits, as many as it needs).
std::string codePointName(char32_t c);

}  // namespace kolvo
