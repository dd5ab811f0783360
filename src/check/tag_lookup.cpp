#include "check/tag_lookup.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
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

constexpr std::size_t kNoTag = kTagRowCount;

// The row of each two-letter name, built once: every "%" of a document
// asks.
struct RowsByName {
  std::array<std::uint8_t, std::size_t{128} * 128> rows{};
  RowsByName() {
    rows.fill(static_cast<std::uint8_t>(kNoTag));
    for (std::size_t row = 0; row < kTagTable.size(); ++row) {
      const std::string_view tag = kTagTable[row].tag;
      rows[index(tag[1], tag[2])] = static_cast<std::uint8_t>(row);
    }
  }
  static std::size_t index(char a, char b) {
    return static_cast<std::size_t>(static_cast<unsigned char>(a) & 0x7F) * 128 +
           (static_cast<unsigned char>(b) & 0x7F);
  }
};

// Each row's text per format and mode, the typed overrides looked up once.
struct TextsByRow {
  std::array<std::array<Replacement, 2 * kFormatCount>, kTagRowCount> texts{};
  TextsByRow() {
    for (std::size_t row = 0; row < kTagTable.size(); ++row) {
      for (const FormatInfo& f : kFormats) {
        texts[row][column(f.format)] = kTagTable[row].replacement(f.format);
        texts[row][kFormatCount + column(f.format)] = typedReplacement(kTagTable[row], f.format);
      }
    }
  }
};

}  // namespace

bool hasTagShape(std::string_view text, std::size_t at) {
  return at + 2 < text.size() && text[at] == '%' && isTagLetter(text[at + 1]) &&
         isTagLetter(text[at + 2]);
}

std::optional<std::size_t> tagRowAt(std::string_view text, std::size_t at) {
  if (!hasTagShape(text, at)) return std::nullopt;
  static const RowsByName kRows;
  const std::size_t row = kRows.rows[RowsByName::index(text[at + 1], text[at + 2])];
  if (row == kNoTag) return std::nullopt;
  return row;
}

std::size_t tagRowOf(std::string_view tag) {
  if (const std::optional<std::size_t> row = tagRowAt(tag, 0)) return *row;
  throw std::logic_error("not a tag of the table");
}

Replacement tagText(std::size_t row, Format format, TextMode mode) {
  static const TextsByRow kTexts;
  return kTexts.texts[row][column(format) + (mode == TextMode::Typed ? kFormatCount : 0)];
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
