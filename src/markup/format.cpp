#include "markup/format.hpp"

namespace kolvo {

std::optional<Format> formatFromLetter(char letter) {
  for (Format f : kAllFormats) {
    if (letterOf(f) == letter) return f;
  }
  return std::nullopt;
}

std::string_view formatName(Format f) {
  static constexpr std::array<std::string_view, kFormatCount> names = {
      "AbiWord", "DocBook 5", "HTML", "RTF", "LaTeX", "PostScript", "PDF"};
  return names[column(f)];
}

std::string_view formatExtension(Format f) {
  static constexpr std::array<std::string_view, kFormatCount> ext = {
      "abw", "xml", "html", "rtf", "tex", "ps", "pdf"};
  return ext[column(f)];
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
