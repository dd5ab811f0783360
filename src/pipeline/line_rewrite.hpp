#pragma once
// Rewriting one line, the whole road: the text step (the user's text made
// XML, or escaped as typed), then the markup's tag rows and clean-ups. The
// result is what the writer prints.

#include <string>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/rewrite.hpp"
#include "pipeline/text_step.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

namespace paged {
class FallbackContext;
}

// Rewrites `line` in place for `format` in markup mode, updating `marks` as
// the tags say. `scratch` is working storage that callers may keep between
// lines.
void rewriteLine(std::string& line, std::string& scratch, Format format, LineMarks& marks);

// The same in either text mode: in typed mode the line is decoded and
// escaped for the format (pipeline/text_step.hpp) and the tags give their
// typed texts; characters that cannot be shown are counted in `stats`.
// `glyphs`, when set, draws what the standard fonts of PostScript and PDF
// lack. Inline: it runs once a line, and on prose the call itself was a
// share of the line's time worth keeping.
inline void rewriteLine(std::string& line, std::string& scratch, Format format, LineMarks& marks,
                        TextMode mode, EscapeStats& stats, paged::FallbackContext* glyphs = nullptr) {
  if (hasTextStep(format, mode)) {
    prepareText(line, scratch, format, mode, stats, glyphs);  // clears the items first
  } else {
    stats.lineItems.clear();
  }
  rewriteTags(line, scratch, format, marks, mode, &stats.lineItems);
}

// The same road stated plainly: every text step in turn, each with its own
// scan, then every tag row and clean-up in order (markup/rows_in_order.hpp).
// rewriteLine must give its bytes, layout marks and counts.
void rewriteLineReference(std::string& line, Format format, LineMarks& marks,
                          TextMode mode = TextMode::Markup);
void rewriteLineReference(std::string& line, Format format, LineMarks& marks, TextMode mode,
                          EscapeStats& stats, paged::FallbackContext* glyphs = nullptr);

}  // namespace kolvo
