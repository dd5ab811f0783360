#include "text/language_tag.hpp"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kolvo {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlphanumeric(char c) { return isAsciiLetter(c) || isAsciiDigit(c); }

bool allOf(std::string_view s, bool (*is)(char)) { return std::all_of(s.begin(), s.end(), is); }

bool sized(std::string_view s, std::size_t low, std::size_t high) {
  return s.size() >= low && s.size() <= high;
}

std::vector<std::string_view> subtagsOf(std::string_view tag) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t dash = tag.find('-'); ; dash = tag.find('-', start)) {
    parts.push_back(tag.substr(start, dash - start));
    if (dash == std::string_view::npos) break;
    start = dash + 1;
  }
  return parts;
}

// A private use part: "x" and subtags of one to eight letters or digits.
bool isPrivateUse(const std::vector<std::string_view>& parts, std::size_t at) {
  if (at + 1 >= parts.size()) return false;
  return std::all_of(parts.begin() + static_cast<std::ptrdiff_t>(at) + 1, parts.end(),
                     [](std::string_view p) { return sized(p, 1, 8) && allOf(p, isAlphanumeric); });
}

bool isSingleton(std::string_view p) { return p.size() == 1 && isAlphanumeric(p[0]); }

bool isVariant(std::string_view p) {
  return allOf(p, isAlphanumeric) &&
         (sized(p, 5, 8) || (p.size() == 4 && isAsciiDigit(p[0])));
}

// After the language: script, region, variants, extensions, private use,
// each where the order allows.
bool restIsWellFormed(const std::vector<std::string_view>& parts, std::size_t at) {
  if (at < parts.size() && parts[at].size() == 3 && allOf(parts[at], isAsciiLetter)) ++at;  // extlang
  if (at < parts.size() && parts[at].size() == 4 && allOf(parts[at], isAsciiLetter)) ++at;
  if (at < parts.size() && ((parts[at].size() == 2 && allOf(parts[at], isAsciiLetter)) ||
                            (parts[at].size() == 3 && allOf(parts[at], isAsciiDigit)))) {
    ++at;
  }
  while (at < parts.size() && isVariant(parts[at])) ++at;
  while (at < parts.size() && isSingleton(parts[at])) {
    if (parts[at] == "x" || parts[at] == "X") return isPrivateUse(parts, at);
    const std::size_t first = ++at;
    while (at < parts.size() && sized(parts[at], 2, 8) && allOf(parts[at], isAlphanumeric)) ++at;
    if (at == first) return false;
  }
  return at == parts.size();
}

}  // namespace

bool isLanguageTag(std::string_view tag) {
  if (tag.empty() || tag.size() > 255) return false;
  const std::vector<std::string_view> parts = subtagsOf(tag);
  if (parts[0] == "x" || parts[0] == "X") return isPrivateUse(parts, 0);
  if (!sized(parts[0], 2, 8) || !allOf(parts[0], isAsciiLetter)) return false;
  return restIsWellFormed(parts, 1);
}

}  // namespace kolvo
