#pragma once
// The tags of a line as the checker sees them: which row of the tag table a
// "%" begins, the text a row gives in a format, and the nearest tags to a
// mistyped one.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/tag_table.hpp"

namespace kolvo::check {

// Whether text[at] is "%" followed by two letters or digits: the shape of a
// tag, known or not.
bool hasTagShape(std::string_view text, std::size_t at);

// The row whose tag is text[at, at + 3), if any.
std::optional<std::size_t> tagRowAt(std::string_view text, std::size_t at);

// The row of `tag` ("%bs"), which must be a tag of the table.
std::size_t tagRowOf(std::string_view tag);

// The text the conversion puts in place of `row` in `format`.
Replacement tagText(std::size_t row, Format format, TextMode mode);

// Up to three tags of the table one slip away from `typed` (a letter of
// another case, a letter too many or mistyped, two letters swapped), the
// likeliest first.
std::vector<std::string_view> nearestTags(std::string_view typed);

}  // namespace kolvo::check
