#include "support/reference_rewrite.hpp"

#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/rewrite.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

void rewriteLineReference(std::string& line, Format format, LayoutState& state) {
  if (isPaged(format)) line = escapeStringDelimiters(line);
  for (const TagRow& row : kTagTable) {
    if (const Replacement text = row.replacement(format)) {
      line = replaceTag(line, row.tag, *text, state, format);
    }
  }
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) line = replaceTag(line, row.pattern, row.replacement, state, format);
  }
}

}  // namespace kolvo
