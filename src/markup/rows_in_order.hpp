#pragma once
// How the tag rows apply to a line, stated plainly: every row of the table
// in its order through replaceTag, one call each, then every clean-up. A
// row sees the line as the rows before it left it, so the texts it puts in
// can form the tag of a later row. This is the rule; rewriteTags
// (rewrite.hpp) is the fast way to the same bytes and layout state, and the
// checker's replay of formed tags must agree with it. The tests and the
// fuzzers hold both to it.

#include <string>

#include "markup/format.hpp"
#include "markup/layout_state.hpp"

namespace kolvo {

// Same contract as rewriteTags.
void applyRowsInOrder(std::string& line, Format format, LayoutState& state, TextMode mode);

}  // namespace kolvo
