#pragma once
// Drawing lines: an input line starting with "$s" draws one line or box on
// the current PostScript or PDF page and is never written as text.

#include <string>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo {

constexpr bool isDrawingLine(std::string_view line) {
  return line.size() >= 2 && line[0] == '$' && line[1] == 's';
}

// Lives for a whole run: the colour of the last drawing line whose colour
// code was known.
struct DrawingState {
  std::string colour = "0 0 0";
};

// For a drawing line, returns the PostScript or PDF command to write (a whole
// output line with its line feed), or an empty string when nothing is drawn
// (another format, an unknown shape, or a coordinate that is not a number).
// Updates the drawing colour from a known colour code.
std::string drawingCommand(std::string_view line, Format format, DrawingState& state);

// The same, appended to `out` (nothing is appended where nothing is drawn),
// so that a line loop can keep one buffer for all drawing lines.
void appendDrawingCommand(std::string& out, std::string_view line, Format format,
                          DrawingState& state);

}  // namespace kolvo
