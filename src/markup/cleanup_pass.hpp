#pragma once
// The clean-ups (cleanups.hpp) as one pass over a line, for the fast rewrite
// path: the same bytes as their rows run one after another through
// replaceTag. cleanup_pass.cpp checks at compile time that the list is still
// the one this pass is written for.

#include <string>
#include <string_view>

#include "markup/line_items.hpp"

namespace kolvo {

// The clean-ups " _", "#" (LaTeX only) and "<c></c>" of `text` into `out`.
// Returns false, and leaves `out` alone, when nothing matches: then the
// line stays as it is. `runs` (or none), the runs of `text` drawn with
// fallback fonts, are moved to where they lie in `out`.
bool cleanupsInto(std::string& out, std::string_view text, bool latex, LineItems* runs = nullptr);

// The carriage return and line feed clean-ups. A line from the reader ends
// in its one line feed; unless `innerLineEnd` says that another carriage
// return or line feed comes before it, only the last byte is looked at.
void blanksForLineEnds(std::string& line, bool innerLineEnd);

}  // namespace kolvo
