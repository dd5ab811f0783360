// The PostScript and PDF texts of the tag table and the drawing forms are
// pieces of programs whose start the writers write. Nothing but this test
// ties them together: every name a PostScript text calls is an operator or
// a procedure of the writer's prologue, every font it selects is a standard
// one, and every font resource a PDF text sets is in the PDF writer's
// resource dictionary and names a standard font.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tag_table.hpp"
#include "writers/drawing.hpp"
#include "writers/pdf_writer.hpp"
#include "writers/postscript_writer.hpp"

namespace kolvo {
namespace {

// ---------------------------------------------------------------------------
// A scanner for the syntax PostScript and PDF content share: strings in
// balanced parentheses with backslash escapes, "%" comments, "/literal"
// names, numbers, and executable names.

enum class Kind { Name, Literal, Number, Punct };

struct Token {
  Kind kind;
  std::string text;
};

struct Scan {
  std::vector<Token> tokens;
  int stringDepth = 0;  // at the end: 1 when a string is left open
  int comments = 0;
};

constexpr bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
constexpr bool isDelimiter(char c) {
  return std::string_view("()<>[]{}/%").find(c) != std::string_view::npos;
}

bool isNumber(std::string_view word) {
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) word.remove_prefix(1);
  bool digit = false;
  for (char c : word) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '.') {
      return false;
    }
  }
  return digit;
}

// A tag text starts inside the string the writer opened around the line.
Scan scan(std::string_view text, bool startsInString) {
  Scan result;
  result.stringDepth = startsInString ? 1 : 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (result.stringDepth > 0) {
      if (c == '\\') ++i;
      if (c == '(') ++result.stringDepth;
      if (c == ')') --result.stringDepth;
      ++i;
    } else if (isSpace(c)) {
      ++i;
    } else if (c == '%') {
      ++result.comments;
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '(') {
      result.stringDepth = 1;
      ++i;
    } else if (std::string_view("{}[]<>").find(c) != std::string_view::npos) {
      result.tokens.push_back({Kind::Punct, std::string(1, c)});
      ++i;
    } else {
      const std::size_t start = c == '/' ? i + 1 : i;
      std::size_t end = start;
      while (end < text.size() && !isSpace(text[end]) && !isDelimiter(text[end])) ++end;
      const std::string word(text.substr(start, end - start));
      const Kind kind = c == '/' ? Kind::Literal : isNumber(word) ? Kind::Number : Kind::Name;
      result.tokens.push_back({kind, word});
      i = std::max(end, i + 1);
    }
  }
  return result;
}

// A drawing form with a number in place of each "%s", which would otherwise
// read as a comment.
std::string filledForm(std::string_view form) {
  std::string text(form);
  for (std::size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at)) {
    text.replace(at, 2, "0");
  }
  return text;
}

std::vector<std::string_view> tagTexts(Format format) {
  std::vector<std::string_view> texts;
  for (const TagRow& row : kTagTable) {
    if (const Replacement text = row.replacement(format)) texts.push_back(*text);
  }
  return texts;
}

std::vector<std::string> drawingTexts(const DrawingForms& forms) {
  return {filledForm(forms.line), filledForm(forms.thickLine), filledForm(forms.box),
          filledForm(forms.rectangle), filledForm(forms.shift)};
}

// ---------------------------------------------------------------------------
// What the texts may use.

// The operators of PostScript that a text of this kind could call.
const std::set<std::string> kPostScriptOperators = {
    "add",       "arc",         "bind",        "closepath",   "copy",      "currentpoint",
    "def",       "div",         "dup",         "exch",        "fill",      "findfont",
    "grestore",  "gsave",       "index",       "lineto",      "moveto",    "mul",
    "neg",       "newpath",     "pop",         "rlineto",     "rmoveto",   "roll",
    "rotate",    "scale",       "scalefont",   "selectfont",  "setfont",   "setgray",
    "setlinewidth", "setrgbcolor", "show",     "showpage",    "stringwidth", "stroke",
    "sub",       "translate",
};

// The 35 fonts every PostScript interpreter has.
const std::set<std::string> kStandardPostScriptFonts = {
    "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
    "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Helvetica-Narrow", "Helvetica-Narrow-Bold", "Helvetica-Narrow-Oblique",
    "Helvetica-Narrow-BoldOblique", "Courier", "Courier-Bold", "Courier-Oblique",
    "Courier-BoldOblique", "Symbol", "ZapfDingbats", "ZapfChancery-MediumItalic",
    "AvantGarde-Book", "AvantGarde-BookOblique", "AvantGarde-Demi", "AvantGarde-DemiOblique",
    "Bookman-Light", "Bookman-LightItalic", "Bookman-Demi", "Bookman-DemiItalic",
    "NewCenturySchlbk-Roman", "NewCenturySchlbk-Italic", "NewCenturySchlbk-Bold",
    "NewCenturySchlbk-BoldItalic", "Palatino-Roman", "Palatino-Italic", "Palatino-Bold",
    "Palatino-BoldItalic",
};

// The 14 fonts every PDF reader has.
const std::set<std::string> kStandardPdfFonts = {
    "Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic",
    "Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
    "Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
    "Symbol", "ZapfDingbats",
};

// The PDF content operators for text, colour, paths and the transformation.
const std::set<std::string> kPdfOperators = {
    "BT", "ET", "Tf", "Td", "TD", "Tj", "TJ", "Ts", "Tc", "Tw", "TL", "T*", "rg", "RG",
    "g",  "G",  "w",  "m",  "l",  "c",  "h",  "re", "S",  "s",  "f",  "F",  "B",  "n",  "cm",
};

// ---------------------------------------------------------------------------
// The checks, each returning what is wrong with a text ("" when nothing).

// The procedures the prologue defines as "/name { ... } def" or "bind def".
std::set<std::string> definedProcedures(const Scan& prologue) {
  std::set<std::string> names;
  const std::vector<Token>& t = prologue.tokens;
  for (std::size_t i = 0; i + 1 < t.size(); ++i) {
    if (t[i].kind != Kind::Literal || t[i + 1].text != "{") continue;
    std::size_t end = i + 1;
    for (int depth = 0; end < t.size(); ++end) {
      if (t[end].text == "{") ++depth;
      if (t[end].text == "}" && --depth == 0) break;
    }
    std::size_t next = end + 1;
    if (next < t.size() && t[next].text == "bind") ++next;
    if (next < t.size() && t[next].text == "def") names.insert(t[i].text);
  }
  return names;
}

// The font before "findfont", or before the size of "selectfont".
std::string selectedFont(const std::vector<Token>& t, std::size_t at) {
  const std::size_t back = t[at].text == "selectfont" ? 2 : 1;
  if (at < back || t[at - back].kind != Kind::Literal) return "?";
  return t[at - back].text;
}

std::string postScriptFaults(const Scan& s, const std::set<std::string>& procedures) {
  std::string faults;
  for (std::size_t i = 0; i < s.tokens.size(); ++i) {
    const Token& token = s.tokens[i];
    if (token.kind != Kind::Name) continue;
    if (!kPostScriptOperators.contains(token.text) && !procedures.contains(token.text)) {
      faults += "calls undefined " + token.text + "; ";
    }
    if (token.text == "findfont" || token.text == "selectfont") {
      const std::string font = selectedFont(s.tokens, i);
      if (!kStandardPostScriptFonts.contains(font)) faults += "selects font " + font + "; ";
    }
  }
  if (s.comments != 0) faults += "holds a comment; ";
  return faults;
}

// Resource name (without "/") to object number, from the "/Font << ... >>"
// dictionary among the fixed objects.
std::map<std::string, std::string> fontResources() {
  for (const PdfFixedObject& object : pdfFixedObjects()) {
    if (object.text.find("/Font <<") == std::string_view::npos) continue;
    std::map<std::string, std::string> resources;
    const std::vector<Token> t = scan(object.text, false).tokens;
    for (std::size_t i = 0; i + 3 < t.size(); ++i) {
      if (t[i].kind == Kind::Literal && t[i + 1].kind == Kind::Number && t[i + 3].text == "R") {
        resources[t[i].text] = t[i + 1].text;
      }
    }
    return resources;
  }
  return {};
}

// The "/BaseFont" of fixed object `number`, or "" when there is none.
std::string baseFont(const std::string& number) {
  for (const PdfFixedObject& object : pdfFixedObjects()) {
    if (std::to_string(object.number) != number) continue;
    const std::vector<Token> t = scan(object.text, false).tokens;
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
      if (t[i].text == "BaseFont" && t[i + 1].kind == Kind::Literal) return t[i + 1].text;
    }
  }
  return "";
}

std::string pdfFaults(const Scan& s, const std::map<std::string, std::string>& resources) {
  std::string faults;
  for (std::size_t i = 0; i < s.tokens.size(); ++i) {
    const Token& token = s.tokens[i];
    if (token.kind != Kind::Name) continue;
    if (!kPdfOperators.contains(token.text)) faults += "uses operator " + token.text + "; ";
    if (token.text == "Tf" &&
        (i < 2 || s.tokens[i - 2].kind != Kind::Literal ||
         !resources.contains(s.tokens[i - 2].text))) {
      faults += "sets a font without a resource; ";
    }
  }
  if (s.comments != 0) faults += "holds a comment; ";
  return faults;
}

// ---------------------------------------------------------------------------

TEST(PostScriptVocabulary, PrologueDefinesTheProceduresItUsesAndAStandardFont) {
  const Scan prologue = scan(postScriptPrologue(), false);
  const std::set<std::string> procedures = definedProcedures(prologue);
  // The procedures the underline and highlight texts call.
  for (const char* name : {"ushow", "hshow", "Hshow"}) {
    EXPECT_TRUE(procedures.contains(name)) << name;
  }
  EXPECT_EQ(prologue.stringDepth, 0);
  // Its comments are its own; every call in it must still resolve.
  Scan calls = prologue;
  calls.comments = 0;
  EXPECT_EQ(postScriptFaults(calls, procedures), "");
}

TEST(PostScriptVocabulary, TagTextsCallKnownNamesSelectStandardFontsAndReopenTheString) {
  const std::set<std::string> procedures = definedProcedures(scan(postScriptPrologue(), false));
  std::set<std::string> called;
  for (std::string_view text : tagTexts(Format::PostScript)) {
    const Scan s = scan(text, true);
    EXPECT_EQ(postScriptFaults(s, procedures), "") << text;
    EXPECT_EQ(s.stringDepth, 1) << "leaves the line's string closed or unbalanced: " << text;
    for (const Token& token : s.tokens) {
      if (procedures.contains(token.text)) called.insert(token.text);
    }
  }
  // The scan did find the texts that rely on the prologue.
  EXPECT_EQ(called, (std::set<std::string>{"ushow", "hshow", "Hshow"}));
}

TEST(PostScriptVocabulary, DrawingFormsCallOnlyOperators) {
  for (const std::string& form : drawingTexts(kPostScriptDrawingForms)) {
    const Scan s = scan(form, false);
    EXPECT_EQ(postScriptFaults(s, {}), "") << form;
    EXPECT_EQ(s.stringDepth, 0) << form;
  }
}

TEST(PdfVocabulary, EveryFontResourceNamesAStandardFont) {
  const std::map<std::string, std::string> resources = fontResources();
  EXPECT_EQ(resources.size(), 6u);
  for (const auto& [name, number] : resources) {
    const std::string font = baseFont(number);
    EXPECT_TRUE(kStandardPdfFonts.contains(font)) << name << " is object " << number << ": "
                                                   << font;
  }
}

TEST(PdfVocabulary, TagTextsAndTheWriterSetOnlyDefinedResources) {
  const std::map<std::string, std::string> resources = fontResources();
  for (std::string_view text : tagTexts(Format::Pdf)) {
    const Scan s = scan(text, true);
    EXPECT_EQ(pdfFaults(s, resources), "") << text;
    EXPECT_EQ(s.stringDepth, 1) << "leaves the line's string closed or unbalanced: " << text;
  }
  for (std::string_view font : {kPdfBodyFont, kPdfHighlightFont}) {
    EXPECT_EQ(pdfFaults(scan(std::string(font) + " Tf", false), resources), "") << font;
  }
  for (const std::string& form : drawingTexts(kPdfDrawingForms)) {
    EXPECT_EQ(pdfFaults(scan(form, false), resources), "") << form;
  }
}

// The checks above would pass on nothing at all; these show they see faults.
TEST(VocabularyCheck, CatchesEachKindOfFault) {
  const std::set<std::string> procedures = {"ushow"};
  EXPECT_EQ(postScriptFaults(scan(") Ushow (", true), procedures), "calls undefined Ushow; ");
  EXPECT_EQ(postScriptFaults(scan(") show /Times findfont 12 scalefont setfont (", true), {}),
            "selects font Times; ");
  EXPECT_EQ(postScriptFaults(scan(") show % (", true), {}), "holds a comment; ");
  EXPECT_EQ(scan(") show (a) (", true).stringDepth, 1);
  EXPECT_EQ(scan(") show (\\)", true).stringDepth, 1);
  EXPECT_EQ(scan(") show ", true).stringDepth, 0);
  const std::map<std::string, std::string> resources = {{"F1", "5"}};
  EXPECT_EQ(pdfFaults(scan(") Tj /F7 12 Tf (", true), resources),
            "sets a font without a resource; ");
  EXPECT_EQ(pdfFaults(scan(") tj /F1 12 Tf (", true), resources), "uses operator tj; ");
}

}  // namespace
}  // namespace kolvo
