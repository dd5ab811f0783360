#pragma once
// The first reading's look at a line of typed PostScript or PDF: whether
// escaping it could make the fallback fonts give out a code. Most lines of
// a long text ask for nothing the lines before did not, and this look costs
// a fraction of the escaper (src/writers/paged/paged_text.cpp), whose asks
// it follows step by step.

#include <string_view>

#include "writers/paged/fallback_context.hpp"

namespace kolvo::paged {

// `line`: one line as read (NUL bytes and all, not yet decoded), in the
// font context.inForce() holds where it starts (PDF: the body font). False
// as soon as escaping it might ask the fonts something not asked before: a
// character beyond ASCII not asked for in the style in force at its place,
// the blank of a font whose blank was not asked for between two characters
// of a run of that font, a character beyond the first plane (not
// remembered), or bytes that decoding would change. Otherwise true, with
// context.inForce() following the line's tags and Symbol glyphs as the
// escaper would leave it; after false it holds nothing of use.
bool asksNothingNew(std::string_view line, FallbackContext& context);

}  // namespace kolvo::paged
