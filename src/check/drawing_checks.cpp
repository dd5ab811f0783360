// Drawing lines that draw nothing, and unknown colour codes, read by the
// same code that turns a drawing line into a path.

#include <string>

#include "check/line_context.hpp"
#include "io/message_text.hpp"
#include "writers/drawing.hpp"

namespace kolvo::check {
namespace {

constexpr std::size_t kShapeByte = 2;
constexpr std::size_t kColourByte = 4;

constexpr FormatSet kDrawingFormats = [] {
  FormatSet set;
  for (const FormatInfo& f : kFormats) {
    if (f.paged) set.add(f.format);
  }
  return set;
}();

std::string shown(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return quoted(text);
}

}  // namespace

void checkDrawingLine(LineContext& line) {
  const std::string_view text = line.text();
  const FormatSet paged = formatsAmong(line.options(), kDrawingFormats);
  if (paged.empty()) {
    line.report(0, Severity::Note, "a drawing line draws only in PostScript and PDF");
    return;
  }
  const DrawingReading reading = readDrawingLine(text);
  if (!reading.knownShape) {
    const std::string shape = text.size() > kShapeByte ? shown(text.substr(kShapeByte, 1)) : "none";
    line.reportFor(std::min(kShapeByte, text.size()), Severity::Warning, paged,
                   "this drawing line draws nothing in ",
                   ": its shape is " + shape +
                       ", not l (line), t (thick line), b (box) or r (rectangle)");
  } else if (reading.badField >= 0) {
    const std::string_view field =
        reading.badFieldStart < text.size() ? text.substr(reading.badFieldStart, 3) : "";
    line.reportFor(std::min(reading.badFieldStart, text.size()), Severity::Warning, paged,
                   "this drawing line draws nothing in ",
                   ": " + std::string(drawingFieldName(reading.badField)) + " (columns " +
                    std::to_string(reading.badFieldStart + 1) + "-" +
                    std::to_string(reading.badFieldStart + 3) + ") is " +
                    (field.empty() ? std::string("missing") : shown(field)) +
                    ", not a number");
  }
  if (!reading.knownColour) {
    const std::string code = text.size() > kColourByte ? shown(text.substr(kColourByte, 1)) : "missing";
    line.reportFor(std::min(kColourByte, text.size()), Severity::Warning, paged,
                   "unknown colour code " + code + " (0-9, g or G): in ",
                   " the drawing keeps the colour of the last one");
  }
}

}  // namespace kolvo::check
