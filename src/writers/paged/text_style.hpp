#pragma once
// The state of the text in a PostScript or PDF line that the tags change
// and that outlasts a line break: font, size, colour and (PDF) rise.

#include <string>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo::paged {

struct TextStyle {
  std::string font;    // the PostScript font name, or the PDF font resource without "/"
  std::string size;    // in points, as the tag text wrote it
  std::string colour;  // operands of the last colour operator; empty while none was given
  std::string rise;    // operand of the last PDF "Ts"; empty while none was given

  bool operator==(const TextStyle&) const = default;
};

// What the writers select before a document's first line: Times-Roman 12.
TextStyle initialTextStyle(Format format);

// The style a line starts in after a line that ended in `end`: PostScript
// keeps all of it; a PDF line starts in its body font, keeping colour and
// rise.
TextStyle nextLineStyle(Format format, TextStyle end);

// The size in points (0 for a size that is not a number).
double pointSize(const TextStyle& style);

// The PostScript name of the font the style selects ("F2" in PDF is
// "Times-Bold"); empty for a PDF resource the writer does not define.
std::string_view fontName(Format format, const TextStyle& style);

}  // namespace kolvo::paged
