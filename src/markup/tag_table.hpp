#pragma once
// The tag table: 85 rows in their fixed order of application. Each row gives
// a tag and, per format, either a replacement text or no replacement at all.
// "No replacement" (std::nullopt) leaves the tag in the line as typed;
// an empty replacement ("") deletes it. The two are never confused.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo {

using Replacement = std::optional<std::string_view>;

enum class TagKind : unsigned char { Symbol, Style };

struct TagRow {
  std::string_view tag;      // "%" and two letters or digits
  TagKind kind;
  std::string_view meaning;  // short description for the markup reference
  // Replacement per format, in column order a d h r l p P.
  std::array<Replacement, kFormatCount> text;

  constexpr Replacement replacement(Format f) const { return text[column(f)]; }
};

inline constexpr std::size_t kTagRowCount = 85;

extern const std::array<TagRow, kTagRowCount> kTagTable;

}  // namespace kolvo
