#include "io/message_text.hpp"

#include <cstdint>

namespace kolvo {
namespace {

// The length of the valid UTF-8 sequence that starts bytes[at], with its
// code point, or 0 when the byte starts none (overlong forms, surrogates
// and code points past U+10FFFF are not valid).
std::size_t validSequence(std::string_view bytes, std::size_t at, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, code = lead & 0x1FU;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, code = lead & 0x0FU;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, code = lead & 0x07U;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(bytes[at + i]);
    if ((b & 0xC0U) != 0x80U) return 0;
    code = (code << 6U) | (b & 0x3FU);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

// Characters beyond ASCII that a terminal acts on instead of showing.
bool actsOnTheTerminal(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void appendHex(std::string& text, unsigned char b) {
  constexpr std::string_view kHex = "0123456789abcdef";
  text += "\\x";
  text += kHex[b >> 4U];
  text += kHex[b & 0xFU];
}

}  // namespace

std::string printable(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[at]);
    if (b >= 0x20 && b < 0x7F) {
      if (b == '\\') text += '\\';
      text += static_cast<char>(b);
      ++at;
      continue;
    }
    char32_t code = 0;
    const std::size_t length = b >= 0x80 ? validSequence(bytes, at, code) : 0;
    if (length > 0 && !actsOnTheTerminal(code)) {
      text.append(bytes.substr(at, length));
    } else if (b == '\t' || b == '\n' || b == '\r') {
      text += b == '\t' ? "\\t" : b == '\n' ? "\\n" : "\\r";
    } else {
      for (std::size_t i = 0; i < (length > 0 ? length : 1); ++i) {
        appendHex(text, static_cast<unsigned char>(bytes[at + i]));
      }
    }
    at += length > 0 ? length : 1;
  }
  return text;
}

std::string quoted(std::string_view bytes) {
  std::string text(1, '\'');
  text.append(printable(bytes)).push_back('\'');
  return text;
}

std::string codePointName(char32_t c) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string hex;
  for (char32_t v = c; v != 0 || hex.size() < 4; v >>= 4) hex.insert(hex.begin(), kHex[v & 0xF]);
  return "U+" + hex;
}

}  // namespace kolvo
