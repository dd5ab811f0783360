// The five flowing-text formats: prologue and epilogue bytes, line forms,
// centring, top spacing and drawing-line suppression.
#include <gtest/gtest.h>

#include "driver/conversion.hpp"

namespace kolvo {
namespace {

const std::string kAbiPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE abiword PUBLIC \"-//ABISOURCE//DTD AWML 1.0 Strict//EN\" "
    "\"http://www.abisource.com/awml.dtd\">\n"
    "<abiword template=\"false\" styles=\"unlocked\" xmlns:fo=\"http://www.w3.org/1999/XSL/Format\" "
    "xmlns:svg=\"http://www.w3.org/2000/svg\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "fileformat=\"1.0\" xmlns:awml=\"http://www.abisource.com/awml.dtd\" "
    "xmlns=\"http://www.abisource.com/awml.dtd\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
    "version=\"0.99.2\" >\n"
    "<metadata>\n"
    "<m key=\"dc.format\">application/x-abiword</m>\n"
    "<m key=\"abiword.generator\">Kolvo</m>\n"
    "</metadata>\n"
    "<styles>\n"
    "<s type=\"P\" name=\"Normal\" followedby=\"Current Settings\" props=\"text-indent:0in; "
    "margin-top:0pt; margin-left:0pt; font-stretch:normal; line-height:1.0; text-align:left; "
    "font-variant:normal; lang:en-US; dom-dir:ltr; margin-bottom:0pt; text-decoration:none; "
    "font-weight:normal; bgcolor:transparent; color:000000; text-position:normal; font-size:12pt; "
    "margin-right:0pt; font-style:normal; widows:2; font-family:Times New Roman\"/>\n"
    "</styles>\n"
    "<pagesize pagetype=\"Letter\" orientation=\"portrait\" width=\"8.500000\" height=\"11.000000\" "
    "units=\"in\" page-scale=\"1.000000\"/>\n"
    "<section props=\"page-margin-footer:0.5in; page-margin-header:0.5in\"> \n";
const std::string kAbiEpilogue = "</section>\n</abiword>\n";

const std::string kDocBookPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<book xml:id=\"simple_book\" xmlns=\"http://docbook.org/ns/docbook\" version=\"5.0\">\n";

const std::string kHtmlPrologue =
    "<html>\n<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n";

const std::string kRtfPrologue =
    "{\\rtf1\\ansi\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Times New Roman;\\f1\\fnil"
    "\\fcharset2 Symbol;\\f2\\fnil\\fcharset0 Courier;}}\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green255\\blue0;"
    "\\red180\\green0\\blue180;\\red0\\green0\\blue180;\\red180\\green180\\blue0;\\red255\\green0"
    "\\blue255;\\red0\\green0\\blue255;\\red192\\green0\\blue0;\\red0\\green180\\blue0;}\n"
    "\\pard\\f0\\fs24\n";

const std::string kLatexPrologue =
    "\\documentclass[12pt]{book} \n\\pagestyle {empty} \n\\begin{document} \n\\noindent\n";

TEST(FlowingWriters, EmptyInputIsPrologueAndEpilogueOnly) {
  EXPECT_EQ(convertText("", Format::AbiWord), kAbiPrologue + kAbiEpilogue);
  EXPECT_EQ(convertText("", Format::DocBook), kDocBookPrologue + "</book>\n");
  EXPECT_EQ(convertText("", Format::Html), kHtmlPrologue + "</body></html>\n");
  EXPECT_EQ(convertText("", Format::Rtf), kRtfPrologue + "}\n");
  EXPECT_EQ(convertText("", Format::Latex), kLatexPrologue + "\\end{document} \n");
}

// The body of a one-format conversion: what stands between prologue and epilogue.
std::string body(std::string_view input, Format f, char option = 's') {
  static const std::string prologues[] = {kAbiPrologue, kDocBookPrologue, kHtmlPrologue,
                                          kRtfPrologue, kLatexPrologue};
  static const std::string epilogues[] = {kAbiEpilogue, "</book>\n", "</body></html>\n", "}\n",
                                          "\\end{document} \n"};
  const std::string doc = convertText(input, f, option);
  const std::string& pro = prologues[column(f)];
  const std::string& epi = epilogues[column(f)];
  EXPECT_EQ(doc.substr(0, pro.size()), pro);
  EXPECT_EQ(doc.substr(doc.size() - epi.size()), epi);
  return doc.substr(pro.size(), doc.size() - pro.size() - epi.size());
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
  EXPECT_EQ(doc, convertText("x\n", Format::Html, 's'));
}

}  // namespace
}  // namespace kolvo
