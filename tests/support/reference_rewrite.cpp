#include "support/reference_rewrite.hpp"

#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/rewrite.hpp"
#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"
#include "text/text_step.hpp"

namespace kolvo {

void rewriteLineReference(std::string& line, Format format, LayoutState& state, TextMode mode) {
  EscapeStats unused;
  rewriteLineReference(line, format, state, mode, unused);
}

void rewriteLineReference(std::string& line, Format format, LayoutState& state, TextMode mode,
                          EscapeStats& stats) {
  std::string scratch;
  prepareTextStepByStep(line, scratch, format, mode, stats);
  if (mode == TextMode::Markup && isPaged(format)) line = escapeStringDelimiters(line);
  for (const TagRow& row : kTagTable) {
    const Replacement text =
        mode == TextMode::Typed ? typedReplacement(row, format) : row.replacement(format);
    if (text) {
      line = replaceTag(line, row.tag, *text, state, format, &stats.lineRuns);
    }
  }
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) {
      line = replaceTag(line, row.pattern, row.replacement, state, format, &stats.lineRuns);
    }
  }
}

}  // namespace kolvo
