// The five flowing-text formats: nothing but the frame for an empty input,
// line forms, centring, top spacing and drawing-line suppression.
#include <gtest/gtest.h>

#include "driver/conversion.hpp"
#include "support/same_bytes.hpp"
#include "writers/writer.hpp"

namespace kolvo {
namespace {

struct Frame {
  std::string prologue;
  std::string epilogue;
};

// What a writer writes before the first line and after the last, asked of
// the writer itself: its bytes are pinned by the golden files, the tests
// here look at what comes between. Every format has a writer, so a new one
// needs nothing here.
Frame frameOf(Format f) {
  Frame frame;
  LineMarks state;
  OutputSink before(&frame.prologue);
  makeWriter(f, before, state)->prologue();
  before.flush();
  OutputSink after(&frame.epilogue);
  makeWriter(f, after, state)->epilogue();
  after.flush();
  return frame;
}

TEST(FlowingWriters, EmptyInputIsPrologueAndEpilogueOnly) {
  for (const FormatInfo& flowing : kFormats) {
    if (flowing.paged) continue;
    const Frame frame = frameOf(flowing.format);
    EXPECT_TRUE(frame.prologue.ends_with("\n")) << flowing.name;
    EXPECT_TRUE(frame.epilogue.ends_with("\n")) << flowing.name;
    EXPECT_TRUE(test::sameBytes(frame.prologue + frame.epilogue, convertText("", flowing.format)))
        << flowing.name;
  }
}

// The body of a one-format conversion: what stands between prologue and epilogue.
std::string body(std::string_view input, Format f, char option = 's') {
  const std::string doc = convertText(input, f, option);
  const Frame frame = frameOf(f);
  EXPECT_TRUE(doc.starts_with(frame.prologue)) << formatName(f);
  EXPECT_TRUE(doc.ends_with(frame.epilogue)) << formatName(f);
  if (doc.size() < frame.prologue.size() + frame.epilogue.size()) return doc;
  return doc.substr(frame.prologue.size(),
                    doc.size() - frame.prologue.size() - frame.epilogue.size());
}

TEST(FlowingWriters, PlainLineForms) {
  EXPECT_EQ(body("Hello %bsworld%be\n", Format::Html), "Hello <b>world</b>  <br />\n");
  EXPECT_EQ(body("x\n", Format::AbiWord), "<p style=\"Normal\"><c>x </c></p>\n");
  EXPECT_EQ(body("x\n", Format::DocBook), "<para>x </para>\n");
  EXPECT_EQ(body("x\n", Format::Rtf), "\\pard\\ql x  \\par\n");
  EXPECT_EQ(body("x\n", Format::Latex), "x  \\\\ \n");
}

TEST(FlowingWriters, EmptyLineAndLastLineWithoutLineFeed) {
  EXPECT_EQ(body("\n", Format::Html), "  <br />\n");
  EXPECT_EQ(body("\n", Format::AbiWord), "<p style=\"Normal\"><c> </c></p>\n");
  EXPECT_EQ(body("\n", Format::Latex), "  \\\\ \n");
  EXPECT_EQ(body("\n", Format::Rtf), "\\pard\\ql   \\par\n");
  EXPECT_EQ(body("\n", Format::DocBook), "<para> </para>\n");
  EXPECT_EQ(body("end", Format::Html), "end <br />\n");
}

TEST(FlowingWriters, CentredFormsApplyToTheirLineOnly) {
  EXPECT_EQ(body("%csTitle%ce\nnext\n", Format::Html), "<center>Title</center>  \nnext  <br />\n");
  EXPECT_EQ(body("%csTitle%ce\nnext\n", Format::AbiWord),
            "<p style=\"Center\" props=\"text-align:center\"><c>Title </c></p>\n"
            "<p style=\"Normal\"><c>next </c></p>\n");
  EXPECT_EQ(body("%csTitle%ce\n", Format::Latex), "\\begin{center}Title\\end{center}  \n");
  EXPECT_EQ(body("%csTitle%ce\n", Format::Rtf), "\\pard\\ql \\qc1 Title   \\par\n");
  EXPECT_EQ(body("%csTitle%ce\nnext\n", Format::DocBook),
            "<para role=\"center\">Title </para>\n<para>next </para>\n");
}

// LaTeX guards the starts of lines that would stop pdflatex or lose text,
// and no other: a "[" or "*" after a line break (read as the break's length
// or star), and a line with nothing but blanks or a page break after a
// centred one (a break with no line to end). A length typed on purpose
// stays a length.
TEST(FlowingWriters, LatexGuardsOnlyTheLineStartsThatWouldStopIt) {
  EXPECT_EQ(body("a\n[x] y\n", Format::Latex), "a  \\\\ \n{}[x] y  \\\\ \n");
  EXPECT_EQ(body("a\n  [x]\n", Format::Latex), "a  \\\\ \n{}  [x]  \\\\ \n");
  EXPECT_EQ(body("[x]\n", Format::Latex, 't'), "  \\\\ \n  \\\\ \n{}[x]  \\\\ \n");
  EXPECT_EQ(body("[x] first\n", Format::Latex), "[x] first  \\\\ \n");
  EXPECT_EQ(body("%csT%ce\n[x]\n", Format::Latex),
            "\\begin{center}T\\end{center}  \n[x]  \\\\ \n");
  for (std::string_view length : {"[2pt] b", "[ -1.5 ex] b", "[\\baselineskip] b"}) {
    EXPECT_EQ(body("a\n" + std::string(length) + "\n", Format::Latex),
              "a  \\\\ \n" + std::string(length) + "  \\\\ \n");
  }
  // A tag's command after the "[" is no length, nor is a command never
  // closed by "]".
  EXPECT_EQ(body("a\n[%gP] b\n", Format::Latex), "a  \\\\ \n{}[\\ensuremath{\\Pi}] b  \\\\ \n");
  EXPECT_EQ(body("a\n [%bsx%be]\n", Format::Latex), "a  \\\\ \n{} [\\textbf{x}]  \\\\ \n");
  EXPECT_EQ(body("a\n[%ps]\n", Format::Latex), "a  \\\\ \n{}[\\%]  \\\\ \n");
  EXPECT_EQ(body("a\n[\\baselineskip b\n", Format::Latex), "a  \\\\ \n{}[\\baselineskip b  \\\\ \n");
  // A "*" would be the break's star, lost, and a "[" after it its length.
  EXPECT_EQ(body("a\n* [1] b\n  *x\n", Format::Latex), "a  \\\\ \n{}* [1] b  \\\\ \n{}  *x  \\\\ \n");
  EXPECT_EQ(body("*x\n%csT%ce\n*y\n", Format::Latex),
            "*x  \\\\ \n\\begin{center}T\\end{center}  \n*y  \\\\ \n");
  EXPECT_EQ(body("%csT%ce\n\n", Format::Latex),
            "\\begin{center}T\\end{center}  \n\\mbox{}  \\\\ \n");
  EXPECT_EQ(body("%csT%ce\n %pg \n", Format::Latex),
            "\\begin{center}T\\end{center}  \n\\mbox{} \\pagebreak{}   \\\\ \n");
  // Tags alone may all be declarations, which begin no paragraph.
  EXPECT_EQ(body("%csT%ce\n%Ss%Se\n", Format::Latex),
            "\\begin{center}T\\end{center}  \n\\mbox{}\\small{}\\normalsize{}  \\\\ \n");
  EXPECT_EQ(body("%csT%ce\n %P1 \n", Format::Latex),
            "\\begin{center}T\\end{center}  \n\\mbox{} \\pdfliteral{1 0 0 rg}   \\\\ \n");
  // A line that begins a paragraph of its own needs nothing.
  EXPECT_EQ(body("%csT%ce\n%pgtext\n", Format::Latex),
            "\\begin{center}T\\end{center}  \n\\pagebreak{}text  \\\\ \n");
  EXPECT_EQ(body("%csT%ce\nnext\n", Format::Latex), "\\begin{center}T\\end{center}  \nnext  \\\\ \n");
  // The other formats have nothing to guard.
  for (Format f : {Format::AbiWord, Format::DocBook, Format::Html, Format::Rtf, Format::OpenDocument}) {
    EXPECT_EQ(body("a\n[x]\n", f).find("{}"), std::string::npos) << formatName(f);
  }
}

// A centred line's environment cannot begin or end inside the box of
// \underline or \textsuperscript: the groups from the outermost box up are
// closed before it and opened again after, on the line or lines later.
// Where no box is open the line is written as it is.
TEST(FlowingWriters, LatexReopensBoxesAroundACentredLine) {
  EXPECT_EQ(body("x %us a %csb%ce c%ue y\n", Format::Latex),
            "x \\underline{ a }\\begin{center}\\underline{b}\\end{center}\\underline{ c} y  \n");
  EXPECT_EQ(body("%bsa %ssb\n%csc%ce%se%be\n", Format::Latex),
            "\\textbf{a \\textsuperscript{b  \\\\ \n"
            "}\\begin{center}\\textsuperscript{c}\\end{center}\\textsuperscript{}}  \n");
  EXPECT_EQ(body("%bsa %csb%ce c%be {%csd%ce}\n", Format::Latex),
            "\\textbf{a \\begin{center}b\\end{center} c} {\\begin{center}d\\end{center}}  \n");
  // A comment hides its braces; an escaped brace opens nothing.
  EXPECT_EQ(body("%us a % {\n\\{ %csb%ce%ue\n", Format::Latex),
            "\\underline{ a % {  \\\\ \n\\{ }\\begin{center}\\underline{b}\\end{center}\\underline{}  \n");
}

TEST(FlowingWriters, TopSpacing) {
  EXPECT_EQ(body("", Format::AbiWord, 't'), "<p><c> </c></p>\n<p><c> </c></p>\n");
  const std::string blankParagraph = "<p><c> </c></p>\n";
  EXPECT_EQ(body("", Format::AbiWord, 'T'),
            blankParagraph + blankParagraph + blankParagraph + blankParagraph);
  EXPECT_EQ(body("", Format::DocBook, 't'), "<para> </para>\n<para> </para>\n");
  EXPECT_EQ(body("", Format::DocBook, 'T'),
            "<para> </para>\n<para> </para>\n<para> </para>\n<para> </para>\n");
  EXPECT_EQ(body("", Format::Html, 't'), "  <br /> \n  <br /> \n");
  EXPECT_EQ(body("", Format::Html, 'T'), "  <br /> \n  <br /> \n  <br /> \n  <br /> \n");
  EXPECT_EQ(body("", Format::Rtf, 'T'), "  \\par \n  \\par \n  \\par \n  \\par \n");
  EXPECT_EQ(body("", Format::Latex, 't'), "  \\\\ \n  \\\\ \n");
  for (char none : {'s', 'x', 'V', 'v', '\0'}) EXPECT_EQ(body("", Format::Html, none), "");
}

TEST(FlowingWriters, DrawingLinesLeaveNoTrace) {
  for (const FormatInfo& flowing : kFormats) {
    if (flowing.paged) continue;
    const Format f = flowing.format;
    SCOPED_TRACE(flowing.name);
    EXPECT_EQ(body("$sl 1  30 400 565 400\n", f), "");
    EXPECT_EQ(body("$sx 1 100 100 200 200\n", f), "");
    // Not drawing lines: they are written as text.
    EXPECT_NE(body(" $sl 1\n", f), "");
    EXPECT_NE(body("$Sl 1\n", f), "");
  }
}

TEST(FlowingWriters, TextIsNotEscaped) {
  EXPECT_EQ(body("a & b < c\n", Format::Html), "a & b < c  <br />\n");
  EXPECT_EQ(body("50% {x}\n", Format::Latex), "50% {x}  \\\\ \n");
}

TEST(FlowingWriters, ProgressTraceIsThreeDotsPerLine) {
  std::string console;
  convertText("one\n$sl 1 030 400 565 400\nthree\n", Format::Html, 'v', &console);
  EXPECT_EQ(console, ".........");
}

TEST(FlowingWriters, VersionOptionPrintsTheVersionAndChangesNothingElse) {
  std::string console;
  const std::string doc = convertText("x\n", Format::Html, 'V', &console);
  EXPECT_EQ(console, "Version 0.9.0 b 2026 \n");
  EXPECT_TRUE(test::sameBytes(convertText("x\n", Format::Html, 's'), doc));
}

}  // namespace
}  // namespace kolvo
