#include "driver/format_word.hpp"

#include <algorithm>

namespace kolvo {
namespace {

char lowered(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view typed, std::string_view lowerCase) {
  return typed.size() == lowerCase.size() &&
         std::equal(typed.begin(), typed.end(), lowerCase.begin(),
                    [](char a, char b) { return lowered(a) == b; });
}

}  // namespace

std::optional<Format> formatNamed(std::string_view word) {
  if (word.empty()) return std::nullopt;
  for (const FormatInfo& f : kFormats) {
    if (sameIgnoringCase(word, f.extension)) return f.format;
    for (const std::string_view alias : f.aliases) {
      if (!alias.empty() && sameIgnoringCase(word, alias)) return f.format;
    }
  }
  return std::nullopt;
}

std::optional<Format> formatOfWord(std::string_view word) {
  if (const std::optional<Format> named = formatNamed(word)) return named;
  return word.size() >= 2 ? formatFromLetter(word[1]) : std::nullopt;
}

std::optional<Format> formatOfExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return formatNamed(file.substr(dot + 1));
}

}  // namespace kolvo
