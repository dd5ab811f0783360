#pragma once
// Typed text for PostScript and PDF (--escape): one line of decoded UTF-8
// turned into the text of the writer's string operand, before the tag rows
// run over it.

#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/glyph_place.hpp"

namespace kolvo {

namespace paged {
class FallbackContext;
}

// Whether typed text in `format` covers its web and e-mail addresses with
// link annotations: PDF's links are not text, but boxes on the page.
constexpr bool annotatesLinks(Format format) { return format == Format::Pdf; }

// Writes `utf8` (well-formed UTF-8, one line, perhaps ending in "\n" or
// "\r\n", which stay as they are) into `out`, replacing what it held, for
// `format` (PostScript or Pdf):
// - tags stay as typed; any other "%" and every "_" become octal escapes,
//   so that no tag and no mark of the PDF measurement can come of them;
//   "\", "(" and ")" get a backslash;
// - other characters of the re-encoded text fonts become their codes there,
//   as octal escapes beyond ASCII; Greek letters and mathematical signs go
//   through the Symbol font as the Greek tags do, one font switch per run;
// - a tab becomes blanks up to the next multiple of eight columns, counting
//   the characters typed since the start of the line, tags not included;
// - characters neither font has are drawn with `glyphs`, the run's fallback
//   fonts, when it is set and has them; otherwise they become "?", counted
//   in `stats`;
// - where annotatesLinks(format), each web or e-mail address becomes a
//   LinkText item of `stats`, with its target.
// Returns false, with `out` left alone, when the text is its own string
// operand: it holds no byte pagedTextLooksAt() and no address.
bool escapePagedText(std::string_view utf8, Format format, std::string& out, EscapeStats& stats,
                     paged::FallbackContext* glyphs = nullptr);

// The bytes that are not copied as they are: the five above that need
// escaping, the ASCII characters the text fonts show at a code of their own
// (glyphPlace), and every byte but printable ASCII and the line ends (which
// a later clean-up blanks).
constexpr bool pagedTextLooksAt(unsigned char byte) {
  if (byte == '\r' || byte == '\n') return false;
  return byte < 0x20 || byte >= 0x7F || byte == '%' || byte == '\\' || byte == '(' ||
         byte == ')' || byte == '_' || paged::glyphPlace(byte).font != paged::GlyphFont::None;
}

}  // namespace kolvo
