#pragma once
// What each tag gives when the user's text is shown as typed (--escape).
// The tag table's texts hold, except for the cells listed here: the tags
// that the table leaves in the line, the symbols that rely on the Symbol
// font or give nothing, the percent sign (whose "%" could form a tag with
// what follows) and the DocBook elements that may not stand in a paragraph.

#include <array>
#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

struct TypedTagText {
  std::string_view tag;
  Format format;
  std::string_view text;
};

inline constexpr std::size_t kTypedTagTextCount = 197;

// Only the cells that differ from the tag table, each (tag, format) once.
extern const std::array<TypedTagText, kTypedTagTextCount> kTypedTagTexts;

// The text of `row` for `f` when text is shown as typed: the override if
// there is one, else the row's own text. Never std::nullopt for a table row.
Replacement typedReplacement(const TagRow& row, Format f);

}  // namespace kolvo
