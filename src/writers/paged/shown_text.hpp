#pragma once
// What a rewritten PostScript or PDF line shows: the strings that are
// painted, in order, each with the style in force (line_painting.hpp says
// it from the line's items). The line is the text a paged writer puts
// between "(" and ") show" (PostScript) or ") Tj" (PDF): the user's text in
// string operands, the tags' operators between them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo::paged {

// One painted string operand.
struct ShownRun {
  std::size_t begin = 0;  // the string's contents (still escaped) in the line
  std::size_t end = 0;
  std::size_t style = 0;  // index into ShownText::styles
  double shift = 0;       // points the pen moves before the string (a PDF "TJ" adjustment)
  // The string is painted by `closer` right after it, so the line can be
  // cut inside it: the first part closed with `closer`, the rest opened
  // again with "(".
  bool breakable = false;
  std::string_view closer;  // "show", "ushow", "Tj", ...
  // A hex string ("<0041>"): a fallback run's codes, two hex digits each in
  // PostScript, four in PDF. A cut inside it closes with ">" and reopens
  // with "<".
  bool hex = false;
};

struct ShownText {
  std::vector<TextStyle> styles;  // the styles the runs use; styles[0] is the start
  std::vector<ShownRun> runs;
  TextStyle end;                  // in force after the line
};

// One glyph of a string operand: its code and the bytes that wrote it.
struct EscapedGlyph {
  unsigned char code;
  std::size_t begin;
  std::size_t end;
};

// The glyph of the string contents `text` at `pos` (pos < text.size()),
// with PostScript's and PDF's string escapes read.
EscapedGlyph glyphAt(std::string_view text, std::size_t pos);
// The same, a byte that is a glyph by itself (most are: only a backslash
// starts an escape) read in place, without a call.
inline EscapedGlyph nextGlyph(std::string_view text, std::size_t pos) {
  return text[pos] != '\\' ? EscapedGlyph{static_cast<unsigned char>(text[pos]), pos, pos + 1}
                           : glyphAt(text, pos);
}

// The value of the hex digits `digits` (a digit that is none counts 0).
// The value of each hex digit by byte, 0 for any other byte.
inline constexpr std::array<std::uint8_t, 256> kHexDigitValues = [] {
  std::array<std::uint8_t, 256> values{};
  for (int c = '0'; c <= '9'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 'A' + 10);
  return values;
}();

inline std::uint32_t hexValue(std::string_view digits) {
  std::uint32_t value = 0;
  for (const char c : digits) value = value * 16 + kHexDigitValues[static_cast<unsigned char>(c)];
  return value;
}

// The code of a hex string whose digits start at `pos` of `line`:
// `digits` of them (2 or 4), or fewer where the string ends first, at
// `end`. A whole code is read without a loop: every glyph of a fallback
// run is read this way wherever its line is measured.
[[gnu::always_inline]] inline std::uint32_t hexCodeAt(std::string_view line, std::size_t pos,
                                                      std::size_t end, std::size_t digits) {
  const auto digit = [&](std::size_t i) {
    return std::uint32_t{kHexDigitValues[static_cast<unsigned char>(line[pos + i])]};
  };
  if (digits == 4 && pos + 4 <= end) [[likely]] {
    return digit(0) << 12U | digit(1) << 8U | digit(2) << 4U | digit(3);
  }
  if (digits == 2 && pos + 2 <= end) [[likely]] return digit(0) << 4U | digit(1);
  return hexValue(line.substr(pos, std::min(pos + digits, end) - pos));
}

}  // namespace kolvo::paged
