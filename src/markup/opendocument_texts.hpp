#pragma once
// OpenDocument text, written as one flat XML file (.fodt): the format's
// column of tag texts and the texts of the document around the lines.
// Both live here because they must agree: every text style a tag names is
// one of the automatic styles of the prologue (checked below at compile
// time). tag_table.cpp registers the column; the writer table makes the
// format's FlowingFormat from the document texts.
//
// Every line is a paragraph holding one text span. A style tag ends the
// span and begins one in its own automatic style, as AbiWord's tags end and
// begin runs, so the XML stays well-formed in whatever order the tags come;
// an end tag begins a span without a style, and so does every line. The
// page break ends the paragraph and begins one whose style breaks the page
// before it (the rest of the line then starts the new page, left-aligned
// and in the body font). Symbols are their Unicode characters in the span's
// style; LibreOffice takes a font that has them where the span's has not.
// Centring is the centred paragraph of the line form: its tags give nothing.

#include <array>
#include <string_view>

#include "markup/tag_table.hpp"

namespace kolvo::opendocument {

// The texts of the document around the lines.
inline constexpr std::string_view kPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document"
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.text\">\n"
    "<office:meta><meta:generator>Kolvo</meta:generator></office:meta>\n"
    "<office:font-face-decls>\n"
    "<style:font-face style:name=\"Times New Roman\""
    " svg:font-family=\"&apos;Times New Roman&apos;\""
    " style:font-family-generic=\"roman\" style:font-pitch=\"variable\"/>\n"
    "<style:font-face style:name=\"Courier New\" svg:font-family=\"&apos;Courier New&apos;\""
    " style:font-family-generic=\"modern\" style:font-pitch=\"fixed\"/>\n"
    "</office:font-face-decls>\n"
    "<office:automatic-styles>\n"
    "<style:style style:name=\"Text\" style:family=\"paragraph\">"
    "<style:text-properties style:font-name=\"Times New Roman\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Centred\" style:family=\"paragraph\">"
    "<style:paragraph-properties fo:text-align=\"center\"/>"
    "<style:text-properties style:font-name=\"Times New Roman\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"PageBreak\" style:family=\"paragraph\">"
    "<style:paragraph-properties fo:break-before=\"page\"/>"
    "<style:text-properties style:font-name=\"Times New Roman\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Title\" style:family=\"text\">"
    "<style:text-properties fo:font-size=\"16pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Bold\" style:family=\"text\">"
    "<style:text-properties fo:font-weight=\"bold\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Mono\" style:family=\"text\">"
    "<style:text-properties style:font-name=\"Courier New\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"MonoSmall\" style:family=\"text\">"
    "<style:text-properties style:font-name=\"Courier New\" fo:font-size=\"10pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Yellow\" style:family=\"text\">"
    "<style:text-properties fo:background-color=\"#ffff00\"/>"
    "</style:style>\n"
    "<style:style style:name=\"GreenMark\" style:family=\"text\">"
    "<style:text-properties fo:background-color=\"#00ff00\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Italic\" style:family=\"text\">"
    "<style:text-properties fo:font-style=\"italic\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Large\" style:family=\"text\">"
    "<style:text-properties fo:font-size=\"24pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Red\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#ff0000\"/>"
    "</style:style>\n"
    "<style:style style:name=\"DarkRed\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#990000\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Green\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#00ff00\"/>"
    "</style:style>\n"
    "<style:style style:name=\"DarkGreen\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#009900\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Blue\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#0000ff\"/>"
    "</style:style>\n"
    "<style:style style:name=\"DarkBlue\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#000099\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Magenta\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#ff00ff\"/>"
    "</style:style>\n"
    "<style:style style:name=\"DarkMagenta\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#990099\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Olive\" style:family=\"text\">"
    "<style:text-properties fo:color=\"#999900\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Small\" style:family=\"text\">"
    "<style:text-properties fo:font-size=\"10pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Super\" style:family=\"text\">"
    "<style:text-properties style:text-position=\"super 58%\"/>"
    "</style:style>\n"
    "<style:style style:name=\"SymbolSize\" style:family=\"text\">"
    "<style:text-properties fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"Underline\" style:family=\"text\">"
    "<style:text-properties style:text-underline-style=\"solid\""
    " style:text-underline-width=\"auto\" style:text-underline-color=\"font-color\"/>"
    "</style:style>\n"
    "<style:style style:name=\"ExtraLarge\" style:family=\"text\">"
    "<style:text-properties fo:font-size=\"36pt\"/>"
    "</style:style>\n"
    "</office:automatic-styles>\n"
    "<office:body>\n"
    "<office:text>\n";
// Typed text's paragraphs that run right to left have styles of their
// own, declared after the others: the prologue up to them, and what it
// goes on with in typed text.
inline constexpr std::string_view kAutomaticStylesEnd =
    "</office:automatic-styles>\n"
    "<office:body>\n"
    "<office:text>\n";
static_assert(kPrologue.ends_with(kAutomaticStylesEnd));
inline constexpr std::string_view kPrologueBeforeStylesEnd =
    kPrologue.substr(0, kPrologue.size() - kAutomaticStylesEnd.size());
inline constexpr std::string_view kTypedPrologueEnd =
    "<style:style style:name=\"TextRtl\" style:family=\"paragraph\">"
    "<style:paragraph-properties fo:text-align=\"end\" style:writing-mode=\"rl-tb\"/>"
    "<style:text-properties style:font-name=\"Times New Roman\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "<style:style style:name=\"CentredRtl\" style:family=\"paragraph\">"
    "<style:paragraph-properties fo:text-align=\"center\" style:writing-mode=\"rl-tb\"/>"
    "<style:text-properties style:font-name=\"Times New Roman\" fo:font-size=\"12pt\"/>"
    "</style:style>\n"
    "</office:automatic-styles>\n"
    "<office:body>\n"
    "<office:text>\n";
static_assert(kTypedPrologueEnd.ends_with(kAutomaticStylesEnd));
inline constexpr std::string_view kRightToLeftBefore =
    "<text:p text:style-name=\"TextRtl\"><text:span>";
inline constexpr std::string_view kRightToLeftCentredBefore =
    "<text:p text:style-name=\"CentredRtl\"><text:span>";

inline constexpr std::string_view kBlankLine = "<text:p text:style-name=\"Text\"/>\n";
inline constexpr std::string_view kPlainBefore = "<text:p text:style-name=\"Text\"><text:span>";
inline constexpr std::string_view kCentredBefore =
    "<text:p text:style-name=\"Centred\"><text:span>";
inline constexpr std::string_view kLineAfter = "</text:span></text:p>\n";
inline constexpr std::string_view kEpilogue =
    "</office:text>\n"
    "</office:body>\n"
    "</office:document>\n";

// A span in the automatic text style `style`, and one without a style.
#define KOLVO_ODT_SPAN(style) "</text:span><text:span text:style-name=\"" style "\">"
#define KOLVO_ODT_PLAIN "</text:span><text:span>"
#define KOLVO_ODT_PAGE_BREAK \
  "</text:span></text:p><text:p text:style-name=\"PageBreak\"><text:span>"

// The column, in the order of kTagTable.
inline constexpr std::array<ColumnCell, kTagRowCount> kTagTexts = {{
    {"%Al", "\xE2\x84\xB5"}, // U+2135
    {"%g1", "\xCE\xB1"}, // U+03B1
    {"%g2", "\xCE\xB2"}, // U+03B2
    {"%gG", "\xCE\x93"}, // U+0393
    {"%g7", "\xCE\xB3"}, // U+03B3
    {"%gD", "\xCE\x94"}, // U+0394
    {"%g4", "\xCE\xB4"}, // U+03B4
    {"%g5", "\xCE\xB5"}, // U+03B5
    {"%gz", "\xCE\xB6"}, // U+03B6
    {"%g8", "\xCE\xB7"}, // U+03B7
    {"%gT", "\xCE\x98"}, // U+0398
    {"%gt", "\xCE\xB8"}, // U+03B8
    {"%g9", "\xCE\xB9"}, // U+03B9
    {"%gk", "\xCE\xBA"}, // U+03BA
    {"%gL", "\xCE\x9B"}, // U+039B
    {"%gl", "\xCE\xBB"}, // U+03BB
    {"%gm", "\xCE\xBC"}, // U+03BC
    {"%gn", "\xCE\xBD"}, // U+03BD
    {"%gx", "\xCE\xBE"}, // U+03BE
    {"%gP", "\xCE\xA0"}, // U+03A0
    {"%zp", "\xCF\x80"}, // U+03C0
    {"%g3", "\xCF\x87"}, // U+03C7
    {"%zr", "\xCF\x81"}, // U+03C1
    {"%gs", "\xCF\x83"}, // U+03C3
    {"%zs", "\xCF\x82"}, // U+03C2
    {"%zt", "\xCF\x84"}, // U+03C4
    {"%gu", "\xCF\x85"}, // U+03C5
    {"%zu", "\xE1\xBF\xA6"}, // U+1FE6
    {"%gF", "\xCE\xA6"}, // U+03A6
    {"%g6", "\xCF\x86"}, // U+03C6
    {"%gp", "\xCE\xA8"}, // U+03A8
    {"%gO", "\xCE\xA9"}, // U+03A9
    {"%gw", "\xCF\x89"}, // U+03C9
    {"%Bs", KOLVO_ODT_SPAN("Title")},
    {"%Be", KOLVO_ODT_PLAIN},
    {"%bs", KOLVO_ODT_SPAN("Bold")},
    {"%be", KOLVO_ODT_PLAIN},
    {"%bu", "\xE2\x80\xA2"},
    {"%cs", ""},
    {"%ce", ""},
    {"%cr", "\xC2\xA9"},
    {"%Cs", KOLVO_ODT_SPAN("Mono")},
    {"%C0", KOLVO_ODT_SPAN("MonoSmall")},
    {"%Ce", KOLVO_ODT_PLAIN},
    {"%da", "\xE2\x80\xA0"},
    {"%dd", "\xE2\x80\xA1"},
    {"%di", "\xC3\xB7"},
    {"%hs", KOLVO_ODT_SPAN("Yellow")},
    {"%he", KOLVO_ODT_PLAIN},
    {"%Hs", KOLVO_ODT_SPAN("GreenMark")},
    {"%He", KOLVO_ODT_PLAIN},
    {"%is", KOLVO_ODT_SPAN("Italic")},
    {"%ie", KOLVO_ODT_PLAIN},
    {"%ls", KOLVO_ODT_SPAN("Large")},
    {"%le", KOLVO_ODT_PLAIN},
    {"%P1", KOLVO_ODT_SPAN("Red")},
    {"%P2", KOLVO_ODT_SPAN("DarkRed")},
    {"%P3", KOLVO_ODT_SPAN("Green")},
    {"%P4", KOLVO_ODT_SPAN("DarkGreen")},
    {"%P5", KOLVO_ODT_SPAN("Blue")},
    {"%P6", KOLVO_ODT_SPAN("DarkBlue")},
    {"%P7", KOLVO_ODT_SPAN("Magenta")},
    {"%P8", KOLVO_ODT_SPAN("DarkMagenta")},
    {"%P9", KOLVO_ODT_SPAN("Olive")},
    {"%Pe", KOLVO_ODT_PLAIN},
    {"%pg", KOLVO_ODT_PAGE_BREAK},
    {"%pm", "\xC2\xB1"},
    {"%ps", "%"},
    {"%rs", KOLVO_ODT_SPAN("Red")},
    {"%re", KOLVO_ODT_PLAIN},
    {"%tc", "\xE2\x97\x8B"},
    {"%rt", "\xC2\xAE"},
    {"%sn", "\xC2\xA7"},
    {"%Ss", KOLVO_ODT_SPAN("Small")},
    {"%Se", KOLVO_ODT_PLAIN},
    {"%ss", KOLVO_ODT_SPAN("Super")},
    {"%se", KOLVO_ODT_PLAIN},
    {"%su", "\xE2\x88\x91"},
    {"%sq", "\xE2\x88\x9A"},
    {"%Sy", KOLVO_ODT_SPAN("SymbolSize")},
    {"%tm", "\xE2\x84\xA2"},
    {"%us", KOLVO_ODT_SPAN("Underline")},
    {"%ue", KOLVO_ODT_PLAIN},
    {"%xs", KOLVO_ODT_SPAN("ExtraLarge")},
    {"%xe", KOLVO_ODT_PLAIN},
}};

#undef KOLVO_ODT_PAGE_BREAK
#undef KOLVO_ODT_PLAIN
#undef KOLVO_ODT_SPAN

// Typed text (--escape): the percent sign as a reference, so that it cannot
// form a tag with what follows. Every other text holds no "%" and no byte
// that the clean-ups look for.
inline constexpr std::array<ColumnCell, 1> kTypedTagTexts = {{
    {"%ps", "&#37;"},
}};

namespace checks {

// Whether the prologue declares an automatic style of that name and family.
constexpr bool declares(std::string_view name, std::string_view family) {
  const std::string_view prefix = "<style:style style:name=\"";
  const std::string_view between = "\" style:family=\"";
  for (std::size_t at = kPrologue.find(prefix); at != std::string_view::npos;
       at = kPrologue.find(prefix, at + 1)) {
    std::string_view rest = kPrologue.substr(at + prefix.size());
    if (!rest.starts_with(name) || !rest.substr(name.size()).starts_with(between)) continue;
    rest = rest.substr(name.size() + between.size());
    if (rest.starts_with(family) && rest.substr(family.size()).starts_with('"')) return true;
  }
  return false;
}

// Every style a text names, the text styles of the spans and the paragraph
// styles of the page break and the line forms, is declared.
constexpr bool everyNamedStyleDeclared() {
  const std::string_view attribute = "text:style-name=\"";
  for (const ColumnCell& cell : kTagTexts) {
    const std::string_view text = *cell.text;
    for (std::size_t at = text.find(attribute); at != std::string_view::npos;
         at = text.find(attribute, at + 1)) {
      const std::size_t start = at + attribute.size();
      const std::string_view name = text.substr(start, text.find('"', start) - start);
      const bool paragraph = text.substr(0, at).ends_with("<text:p ");
      if (!declares(name, paragraph ? "paragraph" : "text")) return false;
    }
  }
  return declares("Text", "paragraph") && declares("Centred", "paragraph");
}
static_assert(everyNamedStyleDeclared(), "a tag text names a style the prologue lacks");

// Every tag has a text here.
constexpr bool everyCellHasText() {
  for (const ColumnCell& cell : kTagTexts) {
    if (!cell.text) return false;
  }
  return true;
}
static_assert(everyCellHasText(), "every tag has its text in OpenDocument");

}  // namespace checks

}  // namespace kolvo::opendocument
