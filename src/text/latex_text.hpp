#pragma once
// LaTeX text as typed: the decoded UTF-8 text of one line becomes LaTeX
// that pdflatex, under kLatexTypedFormat's prologue, sets as written: no
// character is taken as markup, no ligature joins two typed characters, and
// tags of the markup are left in place for the tag rows.

#include <string>
#include <string_view>

#include "text/typed_text.hpp"

namespace kolvo {

// Writes the LaTeX for `utf8` (well-formed UTF-8, possibly ending in "\n"
// or "\r\n", which are kept) into `out` and returns true; returns false,
// with `out` left alone, when the text is its own LaTeX. Characters that
// cannot be set become "?" and are counted in `stats`.
//
// "#" is left to the clean-up that follows the tag rows. No "%" comes out
// but those of tags, and no "_" follows a blank, so the tag rows and the
// clean-ups cannot take typed text for markup.
bool escapeLatexText(std::string_view utf8, std::string& out, EscapeStats& stats);

}  // namespace kolvo
