#include "markup/rows_in_order.hpp"

#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/rewrite.hpp"
#include "markup/run_marks.hpp"
#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"

namespace kolvo {

void applyRowsInOrder(std::string& line, Format format, LayoutState& state, TextMode mode) {
  if (mode == TextMode::Markup && isPaged(format)) line = escapeStringDelimiters(line);
  for (const TagRow& row : kTagTable) {
    const Replacement text =
        mode == TextMode::Typed ? typedReplacement(row, format) : row.replacement(format);
    if (text) line = replaceTag(line, row.tag, *text, state, format);
  }
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) line = replaceTag(line, row.pattern, row.replacement, state, format);
  }
  if (mode == TextMode::Typed && isPaged(format) && holdsRuns(line)) {
    std::string scratch;
    removeRunMarks(line, scratch);
  }
}

}  // namespace kolvo
