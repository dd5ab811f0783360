#pragma once
// How the tag rows apply to a line, stated plainly: every row of the table
// in its order through replaceTag, one call each, then every clean-up. A
// row sees the line as the rows before it left it, so the texts it puts in
// can form the tag of a later row. This is the rule; rewriteTags
// (rewrite.hpp) is the fast way to the same bytes and layout marks, and the
// checker follows the rule through a RowWatcher to find the tags the
// conversion forms itself. The tests and the fuzzers hold both to it.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

// The text a row puts in place of its tag in `format` and `mode`.
Replacement rowText(const TagRow& row, Format format, TextMode mode);

// Told of each row that replaces something, before the line changes: the
// places of its tag in the line as the rows before left it (left to right,
// never overlapping) and the text that takes their place.
class RowWatcher {
 public:
  virtual void replacing(std::size_t row, std::span<const std::size_t> hits,
                         std::string_view text) = 0;

 protected:
  ~RowWatcher() = default;
};

// The tag rows alone, in table order, over `line` as the text step left it;
// `runs` (or none) are the line's runs drawn with fallback fonts, moved
// along.
void applyTagRows(std::string& line, Format format, LineMarks& marks, TextMode mode,
                  RowWatcher* watcher = nullptr, LineItems* runs = nullptr);

// The whole rule: the string escape of markup-mode PostScript and PDF, the
// tag rows, the clean-ups. Same contract as rewriteTags.
void applyRowsInOrder(std::string& line, Format format, LineMarks& marks, TextMode mode,
                      LineItems* runs = nullptr);

}  // namespace kolvo
