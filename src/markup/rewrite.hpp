#pragma once
// Rewriting one line: the text step (the PostScript/PDF string escape, or
// the user's text made XML or escaped as typed), the tag table in its order,
// then the clean-ups. The result is what the writer prints.

#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/layout_state.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

// Precedes every "\", "(" and ")" with a backslash, so that input text can
// never end or break a PostScript or PDF string operand.
std::string escapeStringDelimiters(std::string_view text);

// Rewrites `line` in place for `format`, updating `state` as the tags say.
// For PostScript and PDF the string delimiters are escaped first.
// `scratch` is working storage that callers may keep between lines.
// The result equals that of the reference path (every row and clean-up
// through replaceTag), which lives with the tests in
// tests/support/reference_rewrite.hpp.
void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state);

// The same in either text mode: in typed mode the line is decoded and
// escaped for the format (text/text_step.hpp) and the tags give their typed
// texts; characters that cannot be shown are counted in `stats`.
void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state,
                 TextMode mode, EscapeStats& stats);

}  // namespace kolvo
