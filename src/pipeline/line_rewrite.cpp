#include "pipeline/line_rewrite.hpp"

#include "markup/rewrite.hpp"
#include "markup/rows_in_order.hpp"
#include "pipeline/text_step.hpp"

namespace kolvo {

void rewriteLine(std::string& line, std::string& scratch, Format format, LineMarks& marks) {
  EscapeStats unused;
  rewriteLine(line, scratch, format, marks, TextMode::Markup, unused);
}

void rewriteLineReference(std::string& line, Format format, LineMarks& marks, TextMode mode) {
  EscapeStats unused;
  rewriteLineReference(line, format, marks, mode, unused);
}

void rewriteLineReference(std::string& line, Format format, LineMarks& marks, TextMode mode,
                          EscapeStats& stats, paged::FallbackContext* glyphs) {
  std::string scratch;
  prepareTextStepByStep(line, scratch, format, mode, stats, glyphs);
  applyRowsInOrder(line, format, marks, mode, &stats.lineItems);
}

}  // namespace kolvo
