#include "check/tag_lookup.hpp"

#include <algorithm>
#include <stdexcept>

#include "markup/typed_tag_texts.hpp"

namespace kolvo::check {
namespace {

constexpr bool isTagLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// How alike two tag names are: 0 the same but for case, 1 two letters
// swapped, 2 one letter mistyped; -1 further apart.
int slipKind(std::string_view typed, std::string_view tag) {
  const char a = typed[1], b = typed[2], x = tag[1], y = tag[2];
  if (lower(a) == lower(x) && lower(b) == lower(y)) return 0;
  if (a == y && b == x) return 1;
  if (a == x || b == y) return 2;
  return -1;
}

}  // namespace

bool hasTagShape(std::string_view text, std::size_t at) {
  return at + 2 < text.size() && text[at] == '%' && isTagLetter(text[at + 1]) &&
         isTagLetter(text[at + 2]);
}

std::optional<std::size_t> tagRowAt(std::string_view text, std::size_t at) {
  if (!hasTagShape(text, at)) return std::nullopt;
  for (std::size_t row = 0; row < kTagTable.size(); ++row) {
    const std::string_view tag = kTagTable[row].tag;
    if (tag[1] == text[at + 1] && tag[2] == text[at + 2]) return row;
  }
  return std::nullopt;
}

std::size_t tagRowOf(std::string_view tag) {
  if (const std::optional<std::size_t> row = tagRowAt(tag, 0)) return *row;
  throw std::logic_error("not a tag of the table");
}

Replacement tagText(std::size_t row, Format format, TextMode mode) {
  const TagRow& r = kTagTable[row];
  return mode == TextMode::Typed ? typedReplacement(r, format) : r.replacement(format);
}

std::vector<std::string_view> nearestTags(std::string_view typed) {
  std::vector<std::string_view> found;
  for (int kind = 0; kind <= 2; ++kind) {
    for (const TagRow& row : kTagTable) {
      if (found.size() < 3 && slipKind(typed, row.tag) == kind) found.push_back(row.tag);
    }
  }
  return found;
}

}  // namespace kolvo::check
