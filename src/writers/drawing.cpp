// Drawing lines. Fixed columns of the line as read:
//
//   $s<shape>?<colour>?<x1>?<y1>?<x2>?<y2>
//   1-2  3    4  5     6 7-9 10 11-13 ...
//
// Each coordinate field is its three columns, copied as typed (leading
// blanks and a line feed that falls into the field included), so the output
// shows exactly what the user wrote. A field must still read as a number,
// or the line draws nothing: anything else copied into the command could end
// the PostScript or PDF program early.

#include "writers/drawing.hpp"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kolvo {
namespace {

constexpr std::size_t kShapeColumn = 2;
constexpr std::size_t kColourColumn = 4;
constexpr std::size_t kFieldWidth = 3;
// Where x1, y1, x2 and y2 begin.
constexpr std::array<std::size_t, 4> kFieldStart = {6, 10, 14, 18};

struct Colour {
  char code;
  std::string_view rgb;
};

constexpr std::array<Colour, 12> kColours = {{
    {'0', "0 0 0"},
    {'1', "1 0 0"},
    {'2', ".6 0 0"},
    {'3', "0 1 0"},
    {'4', "0 .6 0"},
    {'5', "0 0 1"},
    {'6', "0 0 .6"},
    {'7', "1 0 1"},
    {'8', ".6 0 .6"},
    {'9', ".6 .6 0"},
    {'g', ".6 .6 .6"},
    {'G', ".8 .8 .8"},
}};

// The characters of columns [start, start + 3) that the line has.
std::string_view field(std::string_view line, std::size_t start) {
  if (start >= line.size()) return {};
  return line.substr(start, kFieldWidth);
}

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isPadding(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// Blanks and line ends around it set aside: an optional sign, then digits
// with at most one decimal point, at least one digit.
bool isNumber(std::string_view text) {
  while (!text.empty() && isPadding(text.front())) text.remove_prefix(1);
  while (!text.empty() && isPadding(text.back())) text.remove_suffix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  bool digit = false;
  bool point = false;
  for (char c : text) {
    if (isDigit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// Appends `form` to `out` with `values` in place of its "%s" marks, in order.
void fill(std::string& out, std::string_view form, std::initializer_list<std::string_view> values) {
  auto next = values.begin();
  std::size_t run = 0;
  for (std::size_t mark = form.find("%s"); mark != std::string_view::npos && next != values.end();
       mark = form.find("%s", run)) {
    out.append(form, run, mark - run);
    out.append(*next++);
    run = mark + 2;
  }
  out.append(form, run);
}

const Colour* colourOf(std::string_view line) {
  if (line.size() <= kColourColumn) return nullptr;
  const char code = line[kColourColumn];
  for (const Colour& c : kColours) {
    if (c.code == code) return &c;
  }
  return nullptr;
}

// Takes the colour of a known colour code; an unknown one keeps the last.
void takeColour(std::string_view line, DrawingState& state) {
  if (const Colour* colour = colourOf(line)) state.colour = colour->rgb;
}

constexpr bool isShape(char c) { return c == 'l' || c == 't' || c == 'b' || c == 'r'; }

const DrawingForms* formsOf(Format format) {
  if (format == Format::PostScript) return &kPostScriptDrawingForms;
  if (format == Format::Pdf) return &kPdfDrawingForms;
  return nullptr;
}

}  // namespace

constexpr DrawingForms kPostScriptDrawingForms = {
    " %s setrgbcolor newpath %s %s moveto %s %s lineto closepath stroke\n",
    " %s setrgbcolor 4 setlinewidth newpath %s %s moveto %s %s lineto closepath stroke\n",
    " %s setrgbcolor newpath %s %s moveto %s %s lineto %s %s lineto %s %s lineto  %s %s lineto "
    "closepath fill stroke \n",
    " %s setrgbcolor newpath %s %s moveto %s %s lineto %s %s lineto %s %s lineto  %s %s lineto "
    "closepath stroke\n",
    " 0 %s translate",
};

constexpr DrawingForms kPdfDrawingForms = {
    " %s RG 1 w %s %s m %s %s l S\n",
    " %s RG 4 w %s %s m %s %s l S\n",
    " %s rg %s %s m %s %s l %s %s l %s %s l %s %s l f\n",
    " %s RG %s %s m %s %s l %s %s l %s %s l %s %s l S f\n",
    " 1 0 0 1 0 %s cm",
};

DrawingReading readDrawingLine(std::string_view line) {
  DrawingReading reading;
  reading.knownShape = line.size() > kShapeColumn && isShape(line[kShapeColumn]);
  reading.knownColour = colourOf(line) != nullptr;
  for (std::size_t i = 0; i < kFieldStart.size(); ++i) {
    if (!isNumber(field(line, kFieldStart[i]))) {
      reading.badField = static_cast<int>(i);
      reading.badFieldStart = kFieldStart[i];
      break;
    }
  }
  return reading;
}

std::string_view drawingFieldName(int field) {
  static constexpr std::array<std::string_view, 4> kNames = {"x1", "y1", "x2", "y2"};
  if (field < 0 || field >= 4) return {};
  return kNames[static_cast<std::size_t>(field)];
}

void appendDrawingCommand(std::string& out, std::string_view line, Format format,
                          DrawingState& state) {
  if (!isDrawingLine(line)) return;
  takeColour(line, state);
  const DrawingForms* forms = formsOf(format);
  if (forms == nullptr) return;

  std::array<std::string_view, 4> f;
  for (std::size_t i = 0; i < f.size(); ++i) {
    f[i] = field(line, kFieldStart[i]);
    if (!isNumber(f[i])) return;
  }
  const std::string_view x1 = f[0], y1 = f[1], x2 = f[2], y2 = f[3];
  const std::string_view rgb = state.colour;
  const char shape = line.size() > kShapeColumn ? line[kShapeColumn] : '\0';

  switch (shape) {
    case 'l':
      fill(out, forms->line, {rgb, x1, y1, x2, y2});
      break;
    case 't':
      fill(out, forms->thickLine, {rgb, x1, y1, x2, y2});
      break;
    case 'b':
      fill(out, forms->box, {rgb, x1, y1, x1, y2, x2, y2, x2, y1, x1, y1});
      break;
    case 'r':
      fill(out, forms->rectangle, {rgb, x1, y1, x1, y2, x2, y2, x2, y1, x1, y1});
      break;
    default:
      break;
  }
}

void appendDrawingCommand(std::string& out, std::string_view line, Format format,
                          DrawingState& state, std::int32_t rise) {
  const std::size_t start = out.size();
  appendDrawingCommand(out, line, format, state);
  if (rise == 0 || out.size() == start) return;
  // The command's own line feed ends the line after the shift back.
  const DrawingForms* forms = formsOf(format);
  const std::string up = std::to_string(rise);
  const std::string down = std::to_string(-std::int64_t{rise});
  std::string shift;
  fill(shift, forms->shift, {up});
  out.insert(start, shift);
  out.pop_back();
  fill(out, forms->shift, {down});
  out.push_back('\n');
}

std::string drawingCommand(std::string_view line, Format format, DrawingState& state) {
  std::string command;
  appendDrawingCommand(command, line, format, state);
  return command;
}

}  // namespace kolvo
