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
#include "markup/tag_effect.hpp"

namespace kolvo {

using Replacement = std::optional<std::string_view>;

enum class TagKind : unsigned char { Symbol, Style };

struct TagRow {
  std::string_view tag;      // "%" and two letters or digits
  TagKind kind;
  std::string_view meaning;  // short description for the markup reference
  // Replacement per format, in column order a d h r l p P.
  std::array<Replacement, kFormatCount> text;
  // What the tag does besides putting its text in place; most do nothing.
  TagEffect effect = TagEffect::None;

  constexpr Replacement replacement(Format f) const { return text[column(f)]; }
};

inline constexpr std::size_t kTagRowCount = 85;

// Every tag is "%" and two letters or digits, and no two tags share those
// two: tag_table.cpp checks both at compile time.
extern const std::array<TagRow, kTagRowCount> kTagTable;

// The effect of the row whose tag has the same second and third bytes as
// `pattern`, or None when no row's has (or `pattern` is shorter than three
// bytes). This is the effect replaceTag gives a call with `pattern`.
TagEffect effectOfPattern(std::string_view pattern);

}  // namespace kolvo
