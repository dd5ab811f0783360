// Drawing lines: the command each shape writes in PostScript and PDF, the
// drawing colour that lasts across lines, and the coordinate check that keeps
// anything but numbers out of the output program.

#include "writers/drawing.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kolvo {
namespace {

std::string draw(std::string_view line, Format format = Format::PostScript) {
  DrawingState state;
  return drawingCommand(line, format, state);
}

TEST(DrawingCommand, EveryShapeInPostScript) {
  EXPECT_EQ(draw("$sl 1 030 400 565 401\n"),
            " 1 0 0 setrgbcolor newpath 030 400 moveto 565 401 lineto closepath stroke\n");
  EXPECT_EQ(draw("$st 3 030 400 565 401\n"),
            " 0 1 0 setrgbcolor 4 setlinewidth newpath 030 400 moveto 565 401 lineto closepath "
            "stroke\n");
  EXPECT_EQ(draw("$sb G 050 100 545 200\n"),
            " .8 .8 .8 setrgbcolor newpath 050 100 moveto 050 200 lineto 545 200 lineto 545 100 "
            "lineto  050 100 lineto closepath fill stroke \n");
  EXPECT_EQ(draw("$sr 6 050 100 545 200\n"),
            " 0 0 .6 setrgbcolor newpath 050 100 moveto 050 200 lineto 545 200 lineto 545 100 "
            "lineto  050 100 lineto closepath stroke\n");
}

TEST(DrawingCommand, EveryShapeInPdf) {
  EXPECT_EQ(draw("$sl 1 030 400 565 401\n", Format::Pdf), " 1 0 0 RG 1 w 030 400 m 565 401 l S\n");
  EXPECT_EQ(draw("$st 3 030 400 565 401\n", Format::Pdf), " 0 1 0 RG 4 w 030 400 m 565 401 l S\n");
  EXPECT_EQ(draw("$sb G 050 100 545 200\n", Format::Pdf),
            " .8 .8 .8 rg 050 100 m 050 200 l 545 200 l 545 100 l 050 100 l f\n");
  EXPECT_EQ(draw("$sr 6 050 100 545 200\n", Format::Pdf),
            " 0 0 .6 RG 050 100 m 050 200 l 545 200 l 545 100 l 050 100 l S f\n");
}

// On paper of another height the drawing is moved as a whole and moved
// back, however its fields were typed (a line end inside the last one too).
TEST(DrawingCommand, OtherPaperMovesTheDrawingAndMovesBack) {
  DrawingState state;
  std::string out = "kept";
  appendDrawingCommand(out, "$sl 1 030 400 565 40\n", Format::PostScript, state, -50);
  EXPECT_EQ(out, "kept 0 -50 translate 1 0 0 setrgbcolor newpath 030 400 moveto 565 40\n lineto "
                 "closepath stroke 0 50 translate\n");
  out.clear();
  appendDrawingCommand(out, "$sr 6 050 100 545 200\n", Format::Pdf, state, 166);
  EXPECT_EQ(out, " 1 0 0 1 0 166 cm 0 0 .6 RG 050 100 m 050 200 l 545 200 l 545 100 l 050 100 l "
                 "S f 1 0 0 1 0 -166 cm\n");
  // A4 itself, and a line that draws nothing, stay as they were.
  out.clear();
  appendDrawingCommand(out, "$sl 1 030 400 565 401\n", Format::Pdf, state, 0);
  EXPECT_EQ(out, " 1 0 0 RG 1 w 030 400 m 565 401 l S\n");
  out.clear();
  appendDrawingCommand(out, "$sl 1 030 4x0 565 401\n", Format::Pdf, state, -50);
  EXPECT_EQ(out, "");
}

TEST(DrawingCommand, TwelveColourCodes) {
  const std::pair<char, std::string_view> colours[] = {
      {'0', "0 0 0"},   {'1', "1 0 0"},   {'2', ".6 0 0"},  {'3', "0 1 0"},
      {'4', "0 .6 0"},  {'5', "0 0 1"},   {'6', "0 0 .6"},  {'7', "1 0 1"},
      {'8', ".6 0 .6"}, {'9', ".6 .6 0"}, {'g', ".6 .6 .6"}, {'G', ".8 .8 .8"}};
  for (const auto& [code, rgb] : colours) {
    DrawingState state;
    state.colour = "stale";
    const std::string line = "$sl " + std::string(1, code) + " 001 002 003 004\n";
    EXPECT_EQ(drawingCommand(line, Format::Pdf, state),
              " " + std::string(rgb) + " RG 1 w 001 002 m 003 004 l S\n")
        << "code " << code;
    EXPECT_EQ(state.colour, rgb);
  }
}

TEST(DrawingCommand, UnknownColourKeepsThePreviousOne) {
  DrawingState state;
  // Before any known code the colour is black.
  EXPECT_EQ(drawingCommand("$sl x 100 100 200 200\n", Format::PostScript, state),
            " 0 0 0 setrgbcolor newpath 100 100 moveto 200 200 lineto closepath stroke\n");
  EXPECT_EQ(drawingCommand("$sb 5 100 100 200 200\n", Format::Pdf, state),
            " 0 0 1 rg 100 100 m 100 200 l 200 200 l 200 100 l 100 100 l f\n");
  // Every shape in an unknown colour, both formats: still blue.
  for (char shape : {'l', 't', 'b', 'r'}) {
    const std::string line = std::string("$s") + shape + " x 100 100 200 200\n";
    EXPECT_EQ(drawingCommand(line, Format::PostScript, state).substr(0, 19), " 0 0 1 setrgbcolor ");
    EXPECT_EQ(drawingCommand(line, Format::Pdf, state).substr(0, 7), " 0 0 1 ");
  }
  // Upper-case G is light grey, but other letters are unknown.
  EXPECT_EQ(drawingCommand("$sl a 100 100 200 200\n", Format::Pdf, state),
            " 0 0 1 RG 1 w 100 100 m 200 200 l S\n");
}

TEST(DrawingCommand, ColourChangesEvenWhenNothingIsDrawn) {
  DrawingState state;
  EXPECT_EQ(drawingCommand("$sx 1 100 100 200 200\n", Format::PostScript, state), "");
  EXPECT_EQ(state.colour, "1 0 0");
  EXPECT_EQ(drawingCommand("$sl 5 abc 100 200 200\n", Format::PostScript, state), "");
  EXPECT_EQ(state.colour, "0 0 1");
  EXPECT_EQ(drawingCommand("$sl 3 100 100 200 200\n", Format::Html, state), "");
  EXPECT_EQ(state.colour, "0 1 0");
  EXPECT_EQ(drawingCommand("$sl x 100 100 200 200\n", Format::Pdf, state),
            " 0 1 0 RG 1 w 100 100 m 200 200 l S\n");
}

TEST(DrawingCommand, FieldsAreCopiedAsTyped) {
  // The field " 30" keeps its blank: two blanks in a row in the output.
  EXPECT_EQ(draw("$sl 1  30 400 565 400\n"),
            " 1 0 0 setrgbcolor newpath  30 400 moveto 565 400 lineto closepath stroke\n");
  EXPECT_EQ(draw("$sl 1 1.5 -10 +20 007\n", Format::Pdf), " 1 0 0 RG 1 w 1.5 -10 m +20 007 l S\n");
  EXPECT_EQ(draw("$sl 1 .5  -.5 5.    9\n", Format::Pdf), " 1 0 0 RG 1 w .5  -.5 m 5.    9 l S\n");
  // Columns 4, 6, 10, 14, 18 and everything from 22 on are not examined.
  EXPECT_EQ(draw("$sl_1x100y100z200w200 and more %pg\n", Format::Pdf),
            " 1 0 0 RG 1 w 100 100 m 200 200 l S\n");
}

TEST(DrawingCommand, LineEndsInsideTheLastField) {
  // 20 characters and a line feed: y2 takes the line feed, as typed.
  EXPECT_EQ(draw("$sl 1 100 100 200 20\n", Format::Pdf), " 1 0 0 RG 1 w 100 100 m 200 20\n l S\n");
  EXPECT_EQ(draw("$sl 1 100 100 200 20\r\n", Format::Pdf),
            " 1 0 0 RG 1 w 100 100 m 200 20\r l S\n");
  // The file's last line, cut short without a line feed.
  EXPECT_EQ(draw("$sl 1 100 100 200 2", Format::Pdf), " 1 0 0 RG 1 w 100 100 m 200 2 l S\n");
}

TEST(DrawingCommand, FieldsThatAreNotNumbersDrawNothing) {
  // Each is padded to its three columns.
  const std::string_view bad[] = {"abc", "1)2", "1 2", "--1", "+-1", "1..", ".",   "-",  "+",
                                  "- 1", "   ", "1e3", "0x1", "1,5", "\t12", "12/", "(1)"};
  for (std::string_view field : bad) {
    for (int slot = 0; slot < 4; ++slot) {
      std::string fields[4] = {"100", "100", "200", "200"};
      fields[slot] = std::string(field);
      fields[slot].resize(3, ' ');
      const std::string line = "$sl 1 " + fields[0] + " " + fields[1] + " " + fields[2] + " " +
                               fields[3] + "\n";
      EXPECT_EQ(draw(line), "") << "field '" << field << "' in slot " << slot;
      EXPECT_EQ(draw(line, Format::Pdf), "") << "field '" << field << "' in slot " << slot;
    }
  }
}

TEST(DrawingCommand, ShortLinesDrawNothing) {
  for (std::string_view line : {"$s", "$s\n", "$sl", "$sl 1", "$sl 1 100 100 200\n",
                                "$sl 1 100 100 200 \n", "$sl 1 100 100\n", "$sl 1 100"}) {
    EXPECT_EQ(draw(line), "") << line;
    EXPECT_EQ(draw(line, Format::Pdf), "") << line;
  }
}

TEST(DrawingCommand, OnlyKnownShapesInPagedFormatsDraw) {
  EXPECT_EQ(draw("$sx 1 100 100 200 200\n"), "");
  EXPECT_EQ(draw("$sL 1 100 100 200 200\n"), "");
  for (Format f : {Format::AbiWord, Format::DocBook, Format::Html, Format::Rtf, Format::Latex}) {
    EXPECT_EQ(draw("$sl 1 100 100 200 200\n", f), "");
  }
  // Not drawing lines at all.
  EXPECT_FALSE(isDrawingLine("$Sl 1 100 100 200 200\n"));
  EXPECT_FALSE(isDrawingLine(" $sl 1 100 100 200 200\n"));
  EXPECT_FALSE(isDrawingLine("$"));
  EXPECT_TRUE(isDrawingLine("$s"));
  EXPECT_EQ(draw("$Sl 1 100 100 200 200\n"), "");
}

}  // namespace
}  // namespace kolvo
