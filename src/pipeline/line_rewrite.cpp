#include "pipeline/line_rewrite.hpp"

#include "markup/rewrite.hpp"
#include "markup/rows_in_order.hpp"
#include "pipeline/text_step.hpp"

namespace kolvo {

void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state) {
  EscapeStats unused;
  rewriteLine(line, scratch, format, state, TextMode::Markup, unused);
}

void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state,
                 TextMode mode, EscapeStats& stats, paged::FallbackContext* glyphs) {
  stats.lineItems.clear();
  if (hasTextStep(format, mode)) prepareText(line, scratch, format, mode, stats, glyphs);
  rewriteTags(line, scratch, format, state, mode, &stats.lineItems);
}

void rewriteLineReference(std::string& line, Format format, LayoutState& state, TextMode mode) {
  EscapeStats unused;
  rewriteLineReference(line, format, state, mode, unused);
}

void rewriteLineReference(std::string& line, Format format, LayoutState& state, TextMode mode,
                          EscapeStats& stats, paged::FallbackContext* glyphs) {
  std::string scratch;
  prepareTextStepByStep(line, scratch, format, mode, stats, glyphs);
  applyRowsInOrder(line, format, state, mode, &stats.lineItems);
}

}  // namespace kolvo
