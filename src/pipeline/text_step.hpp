#pragma once
// The user's text made ready for the tag rows, per format and text mode:
// the one place that says which text step each format takes.
//
//   markup mode  the XML formats (FileSyntax Xml, XmlRuns): decoded, and
//                the user's own markup kept only where it is well-formed
//                within the line; PostScript, PDF: string delimiters
//                escaped (done by the line rewrite itself, with its byte
//                scan); others: as read.
//   typed mode   every format: decoded, then escaped so that every
//                character shows as typed and only the tags of the markup
//                are left for the tag rows.
//
// A line holding no byte that its steps act on (most prose) skips them
// after one check (text_step_check.hpp).

#include <string>

#include "markup/format.hpp"
#include "pipeline/text_step_check.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/paged_text.hpp"

namespace kolvo {

namespace paged {
class FallbackContext;
}

// Whether prepareText has anything to do for `format` in `mode`.
constexpr bool hasTextStep(Format format, TextMode mode) {
  return mode == TextMode::Typed || isXml(fileSyntax(format));
}

// Which bytes the text step of `format` in `mode` acts on; only asked when
// hasTextStep().
constexpr TextStep textStepOf(Format format, TextMode mode) {
  if (mode == TextMode::Markup) return TextStep::XmlMarkup;
  switch (fileSyntax(format)) {
    case FileSyntax::Xml:
    case FileSyntax::XmlRuns:
    case FileSyntax::Html: return TextStep::XmlText;
    case FileSyntax::Rtf: return TextStep::Rtf;
    case FileSyntax::Latex: return TextStep::Latex;
    case FileSyntax::PageStrings: break;
  }
  return annotatesLinks(format) ? TextStep::PagedLinks : TextStep::Paged;
}

// Rewrites `line` in place; `scratch` is working storage. Characters that
// cannot be shown become "?" and are counted in `stats`; `glyphs`, when set,
// draws what the standard fonts of PostScript and PDF lack. A line the check
// finds nothing in is left as it is at once.
void prepareText(std::string& line, std::string& scratch, Format format, TextMode mode,
                 EscapeStats& stats, paged::FallbackContext* glyphs = nullptr);

// The same without the check: every step in turn, each with its own scan.
void prepareTextStepByStep(std::string& line, std::string& scratch, Format format, TextMode mode,
                           EscapeStats& stats, paged::FallbackContext* glyphs = nullptr);

}  // namespace kolvo
