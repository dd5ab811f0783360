#pragma once
// The plain reference path of the line rewrite: every tag row and clean-up
// applied through replaceTag, one call each, with no shortcuts. The fast path
// (rewriteLine) must give the same bytes and layout state; the tests, the
// conversion fuzzer and the micro-benchmarks compare the two.

#include <string>

#include "markup/format.hpp"
#include "markup/layout_state.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

// Same contract as rewriteLine.
void rewriteLineReference(std::string& line, Format format, LayoutState& state,
                          TextMode mode = TextMode::Markup);
void rewriteLineReference(std::string& line, Format format, LayoutState& state, TextMode mode,
                          EscapeStats& stats);

}  // namespace kolvo
