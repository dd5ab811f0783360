#pragma once
// Typed text (--escape) shows web and e-mail addresses as links in the
// formats that have them: the address's text as the escaper writes it,
// inside the format's link markup, with its target escaped for the place
// the markup puts it in. PostScript and PDF show the text alone.

#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "text/link_finder.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

// Whether `format` writes links around addresses in typed text.
bool writesTypedLinks(Format format);

// The escaper of typed text for `format`: writes `text`'s escape into
// `out` (replacing it) and returns true, or returns false where `text` is
// its own escape.
using TypedEscaper = bool (*)(std::string_view text, std::string& out, EscapeStats& stats);

// The escaper of typed text for a flowing format (`format` not paged).
TypedEscaper typedEscaperOf(Format format);

// `line` escaped by `escape`, its `links` (found in it) wrapped in
// `format`'s link markup, into `out`; the markup becomes items of
// `stats.lineItems`, so that the writers tell it from the user's text.
void escapeWithLinks(std::string_view line, const std::vector<FoundLink>& links, Format format,
                     TypedEscaper escape, std::string& out, EscapeStats& stats);

}  // namespace kolvo
