#pragma once
// The user's text made ready for the tag rows, per format and text mode:
// the one place that says which text step each format takes.
//
//   markup mode  AbiWord, DocBook: decoded, and the user's own markup kept
//                only where it is well-formed within the line;
//                PostScript, PDF: string delimiters escaped (done by the
//                line rewrite itself, with its byte scan); others: as read.
//   typed mode   every format: decoded, then escaped so that every
//                character shows as typed and only the tags of the markup
//                are left for the tag rows.

#include <string>

#include "markup/format.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

// Whether prepareText has anything to do for `format` in `mode`.
constexpr bool hasTextStep(Format format, TextMode mode) {
  return mode == TextMode::Typed || format == Format::AbiWord || format == Format::DocBook;
}

// Rewrites `line` in place; `scratch` is working storage. Characters that
// cannot be shown become "?" and are counted in `stats`.
void prepareText(std::string& line, std::string& scratch, Format format, TextMode mode,
                 EscapeStats& stats);

}  // namespace kolvo
