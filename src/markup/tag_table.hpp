#pragma once
// The tag table: 85 rows in their fixed order of application. Each row gives
// a tag and, per format, either a replacement text or no replacement at all.
// "No replacement" (std::nullopt) leaves the tag in the line as typed;
// an empty replacement ("") deletes it. The two are never confused.
//
// The first seven formats have their texts in the rows; every later format
// keeps its column in a table of its own (a ColumnCell per row, tag and
// text, in table order), so that adding a format touches no row.
// tag_table.cpp registers those tables and checks at compile time that each
// has every row's tag in the table's order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "markup/format.hpp"
#include "markup/tag_effect.hpp"

namespace kolvo {

using Replacement = std::optional<std::string_view>;

enum class TagKind : unsigned char { Symbol, Style };

// The formats whose texts stand in the rows, in column order a d h r l p P.
inline constexpr std::size_t kRowColumnCount = 7;
static_assert(kRowColumnCount <= kFormatCount);

// The texts of one row, exactly one per row column: a row with a cell too
// few or too many does not compile (a std::array would take too few and
// fill the gap with "no replacement").
class RowCells {
 public:
  template <typename... Cells>
    requires(sizeof...(Cells) == kRowColumnCount)
  // Not explicit: each row lists its cells in braces.
  constexpr RowCells(Cells... cells) : cells_{Replacement(cells)...} {}

  constexpr Replacement operator[](std::size_t column) const { return cells_[column]; }

 private:
  std::array<Replacement, kRowColumnCount> cells_;
};

// One cell of a column kept out of the rows.
struct ColumnCell {
  std::string_view tag;  // the row's tag, which ties the cell to its row
  Replacement text;
};

// The text of the row of `tag` for a format past the row columns.
Replacement columnText(Format f, std::string_view tag);
// That column's own text for the row of `tag` when the user's text is shown
// as typed, where it differs from columnText (std::nullopt: it does not, or
// `f` has its texts in the rows, whose typed texts are kTypedTagTexts).
std::optional<Replacement> columnTypedOverride(Format f, std::string_view tag);

struct TagRow {
  std::string_view tag;      // "%" and two letters or digits
  TagKind kind;
  std::string_view meaning;  // short description for the markup reference
  // Replacement per row column, in column order a d h r l p P.
  RowCells text;
  // What the tag does besides putting its text in place; most do nothing.
  TagEffect effect = TagEffect::None;

  constexpr Replacement replacement(Format f) const {
    return column(f) < kRowColumnCount ? text[column(f)] : columnText(f, tag);
  }
};

inline constexpr std::size_t kTagRowCount = 85;

// Every tag is "%" and two letters or digits, and no two tags share those
// two: tag_table.cpp checks both at compile time.
extern const std::array<TagRow, kTagRowCount> kTagTable;

// One bit for each pair of bytes that may follow a "%": set where the
// three are a row's tag (set at compile time, so any code may read it).
extern const std::array<std::uint64_t, 256 * 256 / 64> kTagPairBits;

// The effect of the row whose tag has the same second and third bytes as
// `pattern`, or None when no row's has (or `pattern` is shorter than three
// bytes). This is the effect replaceTag gives a call with `pattern`.
TagEffect effectOfPattern(std::string_view pattern);

}  // namespace kolvo
