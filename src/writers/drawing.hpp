#pragma once
// Drawing lines: an input line starting with "$s" draws one line or box on
// the current PostScript or PDF page and is never written as text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {

constexpr bool isDrawingLine(std::string_view line) {
  return line.size() >= 2 && line[0] == '$' && line[1] == 's';
}

// What the tags of a drawing line's text mark (a centring tag's start)
// stays for the next line in PostScript, whose writer ends no line there;
// the PDF writer ends one. Stored files rely on both.
constexpr bool drawingLineMarksNextLine(Format format) { return format == Format::PostScript; }

// The command forms of one paged format, one per shape. Each "%s" takes the
// next value: the colour, then the corners. Lines use (x1 y1) (x2 y2);
// boxes and rectangles go round (x1 y1) (x1 y2) (x2 y2) (x2 y1) and back to
// (x1 y1).
struct DrawingForms {
  std::string_view line;       // "$sl"
  std::string_view thickLine;  // "$st"
  std::string_view box;        // "$sb", filled
  std::string_view rectangle;  // "$sr", outlined
  // Moves what follows up by the value (points; negative: down). A drawing
  // on paper of another height than A4 is moved by it and moved back after.
  std::string_view shift;
};

extern const DrawingForms kPostScriptDrawingForms;
extern const DrawingForms kPdfDrawingForms;

// Lives for a whole run: the colour of the last drawing line whose colour
// code was known.
struct DrawingState {
  std::string colour = "0 0 0";
};

// Why a drawing line would draw nothing, or in which colour it draws, as
// the command builder below reads it; the markup checker reports it.
struct DrawingReading {
  bool knownShape = false;     // l, t, b or r
  bool knownColour = false;    // a colour code of the table
  int badField = -1;           // the first coordinate (0 x1 .. 3 y2) that is no number
  std::size_t badFieldStart = 0;  // its first byte in the line
};

// Reads a drawing line (one that isDrawingLine) without drawing it.
DrawingReading readDrawingLine(std::string_view line);

// The name of coordinate `field` of a drawing line: "x1", "y1", "x2", "y2".
std::string_view drawingFieldName(int field);

// For a drawing line, returns the PostScript or PDF command to write (a whole
// output line with its line feed), or an empty string when nothing is drawn
// (another format, an unknown shape, or a coordinate that is not a number).
// Updates the drawing colour from a known colour code, in every format.
std::string drawingCommand(std::string_view line, Format format, DrawingState& state);

// The same, appended to `out` (nothing is appended where nothing is drawn),
// so that a line loop can keep one buffer for all drawing lines.
void appendDrawingCommand(std::string& out, std::string_view line, Format format,
                          DrawingState& state);

// The same, with the drawing moved up by `rise` points (none when 0): the
// coordinates of a drawing line are A4's, and on other paper the drawing
// keeps its distance from the top edge, as the text does.
void appendDrawingCommand(std::string& out, std::string_view line, Format format,
                          DrawingState& state, std::int32_t rise);

// What a paged writer keeps across the drawing lines of a run: the colour,
// how far the paper moves the drawings, and one buffer for all commands so
// that a drawing line allocates nothing.
class DrawingPen {
 public:
  explicit DrawingPen(Format format, std::int32_t rise = 0) : format_(format), rise_(rise) {}

  // Writes the command of `line` to `out`, if it draws anything.
  void draw(std::string_view line, OutputSink& out) {
    command_.clear();
    appendDrawingCommand(command_, line, format_, state_, rise_);
    out.write(command_);
  }

 private:
  Format format_;
  std::int32_t rise_;
  DrawingState state_;
  std::string command_;
};

}  // namespace kolvo
