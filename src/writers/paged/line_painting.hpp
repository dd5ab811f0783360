#pragma once
// What a typed PostScript or PDF line paints, from its items: the user's
// text is in the open string; each tag's text paints as its cell's
// operations say (tag_painting.hpp), and so does each run of Symbol glyphs;
// a fallback run paints its strings of codes as it recorded them. Nothing
// here reads the line's bytes as a page description.

#include <optional>

#include "markup/format.hpp"
#include "markup/line_items.hpp"
#include "writers/paged/shown_text.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo::paged {

// Whoever takes the strings of a line, one by one as they are painted.
class PaintedStrings {
 public:
  virtual ~PaintedStrings() = default;
  // A string of the line, [run.begin, run.end), in `style`
  // (`run.style` means nothing here); `styleMayDiffer`: the style
  // may have changed since the string before (else it is the same).
  virtual void string(const ShownRun& run, const TextStyle& style, bool styleMayDiffer) = 0;
};

// The strings `line` paints, in order, each with its style, starting in
// `start`: what a PostScript or PDF interpreter paints from its bytes (the
// tests read them back to show it). Nothing for a line the items do not
// describe: a part of a tag's text that paints (no tag's text can lose such
// bytes to a later replacement, but the items would allow it), or a
// fallback run without its painting.
std::optional<ShownText> paintedText(const TypedLine& line, Format format, TextMode mode,
                                     const TextStyle& start);
// The same into `shown`, reusing its storage; false (and `shown` unusable)
// where paintedText gives nothing.
bool paintText(const TypedLine& line, Format format, TextMode mode, const TextStyle& start,
               ShownText& shown);
// The same strings handed to `strings` as they are found, with no
// ShownText kept: the style in force after the line, or nothing where
// paintedText gives nothing.
std::optional<TextStyle> paintStrings(const TypedLine& line, Format format, TextMode mode,
                                      const TextStyle& start, PaintedStrings& strings);

}  // namespace kolvo::paged
