#pragma once
// The text of a line as every format can hold it: bytes that form
// well-formed UTF-8 stay, any other byte is read as Windows-1252 (so Latin-1
// files come out right), and the characters XML 1.0 does not allow give way
// to a blank or to U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace kolvo {

// Puts the decoded `in` into `out` (replacing what it held) and returns
// true; returns false, leaving `out` alone, when `in` is decoded text
// already, which is the common case and costs one scan and no copy.
//   - A byte that does not begin a well-formed UTF-8 sequence (overlong
//     forms, surrogates and code points above U+10FFFF are not) is the
//     Windows-1252 character of that byte; the five bytes Windows-1252
//     leaves undefined become U+FFFD.
//   - A C0 control other than tab, line feed and carriage return becomes a
//     blank; U+FFFE and U+FFFF become U+FFFD.
// `out` must not be the storage `in` views.
bool decodeText(std::string_view in, std::string& out);

// The bytes decodeText looks at: every byte beyond ASCII, and the C0
// controls but tab, line feed and carriage return. A text without any is
// decoded text already.
constexpr bool decodingLooksAt(unsigned char byte) {
  return byte >= 0x80 || (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r');
}

// Whether decodeText would leave `in` as it is: well-formed UTF-8 without
// the controls it blanks. One scan, fast over ASCII and two-byte letters.
bool isDecodedText(std::string_view in);

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`
// of `text`, or 0 (ASCII, or a byte decodeText reads as Windows-1252).
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

// Appends the UTF-8 of the code point `cp` to `out`.
void appendUtf8(std::string& out, char32_t cp);

}  // namespace kolvo
