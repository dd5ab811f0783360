#pragma once
// The markup's part of rewriting one line: the PostScript/PDF string escape
// of markup mode, the tag table in its order, then the clean-ups.

#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"

namespace kolvo {

// Precedes every "\", "(" and ")" with a backslash, so that input text can
// never end or break a PostScript or PDF string operand.
std::string escapeStringDelimiters(std::string_view text);

// The tag rows in table order, then the clean-ups, over `line` in place,
// updating `marks` as the tags say; in markup mode PostScript and PDF get
// their string delimiters escaped first. The text step (pipeline/) has run
// before. `scratch` is working storage that callers may keep between lines.
// In typed mode the tags give their typed texts. `runs`, when given, are
// the runs drawn with fallback fonts in `line`: the measures count them by
// width, and they move with the bytes to where they lie in the result.
// The result equals that of applyRowsInOrder (rows_in_order.hpp), the plain
// statement of the rule.
void rewriteTags(std::string& line, std::string& scratch, Format format, LineMarks& marks,
                 TextMode mode, LineItems* runs = nullptr);

}  // namespace kolvo
