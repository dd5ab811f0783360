#include "markup/format.hpp"

namespace kolvo {

std::optional<Format> formatFromLetter(char letter) {
  for (const FormatInfo& f : kFormats) {
    if (f.letter == letter) return f.format;
  }
  return std::nullopt;
}

char normaliseOption(char letter) {
  switch (letter) {
    case 'V':
    case 't':
    case 'T':
    case 'v':
      return letter;
    default:
      return 's';
  }
}

}  // namespace kolvo
