#include "writers/paged/shown_text.hpp"

namespace kolvo::paged {

EscapedGlyph glyphAt(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte != '\\' || pos + 1 >= text.size()) return {byte, pos, pos + 1};
  const char next = text[pos + 1];
  if (next >= '0' && next <= '7') {
    unsigned code = 0;
    std::size_t end = pos + 1;
    while (end < text.size() && end < pos + 4 && text[end] >= '0' && text[end] <= '7') {
      code = code * 8 + static_cast<unsigned>(text[end] - '0');
      ++end;
    }
    return {static_cast<unsigned char>(code & 0xFFU), pos, end};
  }
  constexpr std::string_view kLetters = "nrtbf";
  constexpr std::string_view kCodes = "\n\r\t\b\f";
  const std::size_t letter = kLetters.find(next);
  const char code = letter == std::string_view::npos ? next : kCodes[letter];
  return {static_cast<unsigned char>(code), pos, pos + 2};
}

}  // namespace kolvo::paged
