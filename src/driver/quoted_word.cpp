#include "driver/quoted_word.hpp"

namespace kolvo {

std::string quotedWord(std::string_view word) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "'";
  for (const char c : word) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    }
  }
  return out + "'";
}

}  // namespace kolvo
