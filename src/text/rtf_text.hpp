#pragma once
// RTF text as typed: the decoded UTF-8 text of one line becomes RTF that
// shows every character of it, tags of the markup left in place for the
// tag rows.

#include <string>
#include <string_view>

#include "text/typed_text.hpp"

namespace kolvo {

// Writes the RTF for `utf8` (well-formed UTF-8, possibly ending in "\n" or
// "\r\n", which are kept) into `out` and returns true; returns false, with
// `out` left alone, when the text is its own RTF. Characters that cannot be
// shown become "?" and are counted in `stats`.
bool escapeRtfText(std::string_view utf8, std::string& out, EscapeStats& stats);

// The bytes that cannot stand for themselves in RTF text: its delimiters,
// control characters but the line ends (left for the clean-ups), and all
// beyond ASCII. "%" and "_" could, but the tag rows and the clean-ups would
// take them for markup. A text without any is its own RTF.
constexpr bool rtfTextLooksAt(unsigned char byte) {
  if (byte == '\n' || byte == '\r') return false;
  return byte < 0x20 || byte >= 0x7F || byte == '\\' || byte == '{' || byte == '}' ||
         byte == '%' || byte == '_';
}

}  // namespace kolvo
