// The cells of the tag table that differ when the user's text is shown as
// typed (--escape), and the lookup that falls back on the table.
//
// Why the cells differ:
// - No tag may stay in the line: every cell without a text gets one.
// - Symbols. Few desks have a Symbol-encoded font, so AbiWord gets the UTF-8
//   character in the current run and RTF "\uN?" (every N here fits RTF's
//   signed 16-bit word; "?" is what readers without \u show); DocBook gets
//   the numeric reference where it had nothing. HTML keeps its entities but
//   for &aleph; &ddagger; &div;, names that HTML 4 readers such as libxml2
//   do not know.
// - LaTeX: the preamble of this mode loads T1 fontenc, textcomp and lmodern.
//   From Latin Modern, \sum extracts as no character and \surd lands on a
//   line of its own, so both come from the Symbol font that pdflatex embeds
//   (psnfss's "psy"); the white circle comes from ZapfDingbats as in
//   PostScript and PDF (textcomp's \textbigcircle extracts as "O").
//   \varepsilon and \varphi are U+03B5 and U+03C6, as in the other formats;
//   \epsilon and \phi are U+03F5 and U+03D5.
// - PostScript and PDF: the text fonts of this mode use WinAnsiEncoding,
//   with /Differences keeping 39 quoteright, 96 quoteleft, 178 dagger,
//   179 daggerdbl and 183 bullet, so the signs come from the font in force:
//   \251 copyright, \256 registered, \231 trademark, \261 plusminus,
//   \367 divide. The tilde over the upsilon is \230 there (\304 would be
//   Adieresis). The summation is the Symbol font's \345: its "S" is the
//   capital Sigma.
// - The percent sign holds no "%" byte, so it cannot form a tag.
// - DocBook: every text is one element that may stand in <para>, or
//   nothing. <title> may not, so the title is bold; the highlight and size
//   tags get a phrase whose role names the style. %Sy has no closing tag,
//   so it gives nothing. Underlining uses the role docbook-xsl knows.
// - HTML is HTML5: sizes, colours and monospace are spans styled with CSS
//   (no <font>, no <pre> inside a line), and a centred line is centred by
//   its line form, so the centring tags give nothing.

#include "markup/typed_tag_texts.hpp"

#include "markup/tag_key.hpp"

#include <cstdint>

#include "markup/paged_cell_texts.hpp"

namespace kolvo {
namespace {

constexpr Format kAbiWord = Format::AbiWord;
constexpr Format kDocBook = Format::DocBook;
constexpr Format kHtml = Format::Html;
constexpr Format kRtf = Format::Rtf;
constexpr Format kLatex = Format::Latex;
constexpr Format kPostScript = Format::PostScript;
constexpr Format kPdf = Format::Pdf;

// PostScript and PDF overrides are made from operations (paged_cells.hpp).
constexpr TypedTagText paged(std::string_view tag, Format format) {
  return {tag, format, typedPagedText(tag, format)};
}

}  // namespace

constexpr std::array<TypedTagText, kTypedTagTextCount> kTypedTagTexts = {{
    // --- Aleph and the Greek letters -----------------------------------------
    {"%Al", kAbiWord, "\xE2\x84\xB5"}, {"%Al", kDocBook, "&#8501;"}, {"%Al", kRtf, "\\u8501?"},
    {"%Al", kHtml, "&#8501;"}, {"%Al", kLatex, "\\ensuremath{\\aleph}"},
    {"%g1", kAbiWord, "\xCE\xB1"}, {"%g1", kDocBook, "&#945;"}, {"%g1", kRtf, "\\u945?"},
    {"%g2", kAbiWord, "\xCE\xB2"}, {"%g2", kDocBook, "&#946;"}, {"%g2", kRtf, "\\u946?"},
    {"%gG", kAbiWord, "\xCE\x93"}, {"%gG", kDocBook, "&#915;"}, {"%gG", kRtf, "\\u915?"},
    {"%g7", kAbiWord, "\xCE\xB3"}, {"%g7", kDocBook, "&#947;"}, {"%g7", kRtf, "\\u947?"},
    {"%gD", kAbiWord, "\xCE\x94"}, {"%gD", kDocBook, "&#916;"}, {"%gD", kRtf, "\\u916?"},
    {"%g4", kAbiWord, "\xCE\xB4"}, {"%g4", kDocBook, "&#948;"}, {"%g4", kRtf, "\\u948?"},
    {"%g5", kAbiWord, "\xCE\xB5"}, {"%g5", kDocBook, "&#949;"}, {"%g5", kRtf, "\\u949?"},
    {"%g5", kLatex, "\\ensuremath{\\varepsilon}"},
    {"%gz", kAbiWord, "\xCE\xB6"}, {"%gz", kDocBook, "&#950;"}, {"%gz", kRtf, "\\u950?"},
    {"%g8", kAbiWord, "\xCE\xB7"}, {"%g8", kDocBook, "&#951;"}, {"%g8", kRtf, "\\u951?"},
    {"%gT", kAbiWord, "\xCE\x98"}, {"%gT", kDocBook, "&#920;"}, {"%gT", kRtf, "\\u920?"},
    {"%gt", kAbiWord, "\xCE\xB8"}, {"%gt", kDocBook, "&#952;"}, {"%gt", kRtf, "\\u952?"},
    {"%g9", kAbiWord, "\xCE\xB9"}, {"%g9", kDocBook, "&#953;"}, {"%g9", kRtf, "\\u953?"},
    {"%gk", kAbiWord, "\xCE\xBA"}, {"%gk", kDocBook, "&#954;"}, {"%gk", kRtf, "\\u954?"},
    {"%gL", kAbiWord, "\xCE\x9B"}, {"%gL", kDocBook, "&#923;"}, {"%gL", kRtf, "\\u923?"},
    {"%gl", kAbiWord, "\xCE\xBB"}, {"%gl", kDocBook, "&#955;"}, {"%gl", kRtf, "\\u955?"},
    {"%gm", kAbiWord, "\xCE\xBC"}, {"%gm", kDocBook, "&#956;"}, {"%gm", kRtf, "\\u956?"},
    {"%gn", kAbiWord, "\xCE\xBD"}, {"%gn", kDocBook, "&#957;"}, {"%gn", kRtf, "\\u957?"},
    {"%gx", kAbiWord, "\xCE\xBE"}, {"%gx", kDocBook, "&#958;"}, {"%gx", kRtf, "\\u958?"},
    {"%gP", kAbiWord, "\xCE\xA0"}, {"%gP", kDocBook, "&#928;"}, {"%gP", kRtf, "\\u928?"},
    {"%zp", kAbiWord, "\xCF\x80"}, {"%zp", kDocBook, "&#960;"}, {"%zp", kRtf, "\\u960?"},
    {"%g3", kAbiWord, "\xCF\x87"}, {"%g3", kDocBook, "&#967;"}, {"%g3", kRtf, "\\u967?"},
    {"%zr", kAbiWord, "\xCF\x81"}, {"%zr", kDocBook, "&#961;"}, {"%zr", kRtf, "\\u961?"},
    {"%gs", kAbiWord, "\xCF\x83"}, {"%gs", kDocBook, "&#963;"}, {"%gs", kRtf, "\\u963?"},
    {"%zs", kAbiWord, "\xCF\x82"}, {"%zs", kDocBook, "&#962;"}, {"%zs", kRtf, "\\u962?"},
    {"%zt", kAbiWord, "\xCF\x84"}, {"%zt", kDocBook, "&#964;"}, {"%zt", kRtf, "\\u964?"},
    {"%gu", kAbiWord, "\xCF\x85"}, {"%gu", kDocBook, "&#965;"}, {"%gu", kRtf, "\\u965?"},
    {"%zu", kAbiWord, "\xE1\xBF\xA6"}, {"%zu", kDocBook, "&#8166;"}, {"%zu", kRtf, "\\u8166?"},
    {"%gF", kAbiWord, "\xCE\xA6"}, {"%gF", kDocBook, "&#934;"}, {"%gF", kRtf, "\\u934?"},
    {"%g6", kAbiWord, "\xCF\x86"}, {"%g6", kDocBook, "&#966;"}, {"%g6", kRtf, "\\u966?"},
    {"%g6", kLatex, "\\ensuremath{\\varphi}"},
    {"%gp", kAbiWord, "\xCE\xA8"}, {"%gp", kDocBook, "&#936;"}, {"%gp", kRtf, "\\u936?"},
    {"%gO", kAbiWord, "\xCE\xA9"}, {"%gO", kDocBook, "&#937;"}, {"%gO", kRtf, "\\u937?"},
    {"%gw", kAbiWord, "\xCF\x89"}, {"%gw", kDocBook, "&#969;"}, {"%gw", kRtf, "\\u969?"},
    // The upsilon with a tilde keeps its drawing; only the tilde's code is
    // the text font's own.
    paged("%zu", kPostScript), paged("%zu", kPdf),

    // --- Title, bullet -------------------------------------------------------
    {"%Bs", kDocBook, "<emphasis role=\"bold\">"}, {"%Be", kDocBook, "</emphasis>"},
    {"%bu", kAbiWord, "\xE2\x80\xA2"}, {"%bu", kRtf, "\\u8226?"},

    // --- Copyright, daggers, division ----------------------------------------
    {"%cr", kAbiWord, "\xC2\xA9"}, {"%cr", kRtf, "\\u169?"},
    {"%cr", kLatex, "\\textcopyright{}"}, paged("%cr", kPostScript), paged("%cr", kPdf),
    {"%da", kAbiWord, "\xE2\x80\xA0"}, {"%da", kRtf, "\\u8224?"},
    {"%dd", kAbiWord, "\xE2\x80\xA1"}, {"%dd", kHtml, "&#8225;"}, {"%dd", kRtf, "\\u8225?"},
    {"%di", kAbiWord, "\xC3\xB7"}, {"%di", kDocBook, "&#247;"}, {"%di", kHtml, "&#247;"},
    {"%di", kRtf, "\\u247?"}, {"%di", kLatex, "\\textdiv{}"},
    paged("%di", kPostScript), paged("%di", kPdf),

    // --- Highlights, large text ----------------------------------------------
    {"%hs", kDocBook, "<phrase role=\"background:#ffff00\">"}, {"%he", kDocBook, "</phrase>"},
    {"%Hs", kDocBook, "<phrase role=\"background:#00ff00\">"}, {"%He", kDocBook, "</phrase>"},
    {"%ls", kDocBook, "<phrase role=\"font-size:24pt\">"}, {"%le", kDocBook, "</phrase>"},

    // --- Plus-minus, percent -------------------------------------------------
    {"%pm", kAbiWord, "\xC2\xB1"}, {"%pm", kRtf, "\\u177?"},
    {"%pm", kLatex, "\\textpm{}"}, paged("%pm", kPostScript), paged("%pm", kPdf),
    {"%ps", kAbiWord, "&#37;"}, {"%ps", kDocBook, "&#37;"}, {"%ps", kHtml, "&#37;"},
    {"%ps", kRtf, "\\'25"}, {"%ps", kLatex, "\\symbol{37}"},
    paged("%ps", kPostScript), paged("%ps", kPdf),

    // --- White circle, registered, section -----------------------------------
    {"%tc", kAbiWord, "\xE2\x97\x8B"}, {"%tc", kRtf, "\\u9675?"},
    {"%tc", kLatex, "{\\usefont{U}{pzd}{m}{n}\\char109}"},
    {"%rt", kAbiWord, "\xC2\xAE"}, {"%rt", kRtf, "\\u174?"},
    paged("%rt", kPostScript), paged("%rt", kPdf),
    {"%sn", kAbiWord, "\xC2\xA7"}, {"%sn", kRtf, "\\u167?"},

    // --- Small text, summation, square root, Symbol font, trade mark ---------
    {"%Ss", kDocBook, "<phrase role=\"font-size:10pt\">"}, {"%Se", kDocBook, "</phrase>"},
    {"%su", kAbiWord, "\xE2\x88\x91"}, {"%su", kRtf, "\\u8721?"},
    {"%su", kLatex, "{\\usefont{U}{psy}{m}{n}\\char229}"},
    paged("%su", kPostScript), paged("%su", kPdf),
    {"%sq", kAbiWord, "\xE2\x88\x9A"}, {"%sq", kRtf, "\\u8730?"},
    {"%sq", kLatex, "{\\usefont{U}{psy}{m}{n}\\char214}"},
    // Closed by "%Se" like the small text, as in the other formats.
    {"%Sy", kDocBook, "<phrase role=\"font-size:12pt\">"},
    {"%tm", kAbiWord, "\xE2\x84\xA2"}, {"%tm", kRtf, "\\u8482?"},
    paged("%tm", kPostScript), paged("%tm", kPdf),

    // --- Underline, extra large text -----------------------------------------
    {"%us", kDocBook, "<emphasis role=\"underline\">"},
    {"%xs", kDocBook, "<phrase role=\"font-size:36pt\">"}, {"%xe", kDocBook, "</phrase>"},
    // --- HTML5: styles as spans with CSS, centring by the line's form --------
    {"%Bs", kHtml, "<span style=\"font-size: 16pt\">"}, {"%Be", kHtml, "</span>"},
    {"%ls", kHtml, "<span style=\"font-size: 24pt\">"}, {"%le", kHtml, "</span>"},
    {"%xs", kHtml, "<span style=\"font-size: 36pt\">"}, {"%xe", kHtml, "</span>"},
    {"%Ss", kHtml, "<span style=\"font-size: 10pt\">"}, {"%Se", kHtml, "</span>"},
    {"%Sy", kHtml, "<span style=\"font-size: 12pt\">"},
    {"%Cs", kHtml, "<span style=\"font-family: monospace; font-size: 12pt; white-space: pre\">"},
    {"%C0", kHtml, "<span style=\"font-family: monospace; font-size: 10pt; white-space: pre\">"},
    {"%Ce", kHtml, "</span>"},
    {"%P1", kHtml, "<span style=\"color: #f00\">"}, {"%P2", kHtml, "<span style=\"color: #900\">"},
    {"%P3", kHtml, "<span style=\"color: #0f0\">"}, {"%P4", kHtml, "<span style=\"color: #090\">"},
    {"%P5", kHtml, "<span style=\"color: #00f\">"}, {"%P6", kHtml, "<span style=\"color: #009\">"},
    {"%P7", kHtml, "<span style=\"color: #f0f\">"}, {"%P8", kHtml, "<span style=\"color: #909\">"},
    {"%P9", kHtml, "<span style=\"color: #990\">"}, {"%Pe", kHtml, "</span>"},
    {"%rs", kHtml, "<span style=\"color: #f00\">"}, {"%re", kHtml, "</span>"},
    {"%cs", kHtml, ""}, {"%ce", kHtml, ""},
}};

namespace {

// Each override is a tag's cell, named once; the test checks that the tag
// is one of the table's.
constexpr bool wellFormed() {
  for (std::size_t i = 0; i < kTypedTagTexts.size(); ++i) {
    const TypedTagText& cell = kTypedTagTexts[i];
    if (!hasTagShape(cell.tag)) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (kTypedTagTexts[j].tag == cell.tag && kTypedTagTexts[j].format == cell.format) return false;
    }
  }
  return true;
}
static_assert(wellFormed(), "an override names no tag, or a cell twice");

// Every PostScript and PDF override of paged_cells.hpp is listed here.
constexpr bool pagedOverridesAreTheCells() {
  std::size_t listed = 0;
  for (const TypedTagText& cell : kTypedTagTexts) {
    if (!isPaged(cell.format)) continue;
    ++listed;
    if (cell.text != typedPagedText(cell.tag, cell.format)) return false;
  }
  return listed == kTypedPagedCells.size();
}
static_assert(pagedOverridesAreTheCells(), "a PostScript or PDF override is missing");

// The cells by format and tag, looked up at once: every run's tag index
// asks for every row in every format, and a search of the list each time
// was most of the program's start.
constexpr std::size_t cellKey(std::string_view tag, Format f) {
  return column(f) * kTagKeyCount + tagKey(tag);
}
static_assert(kTypedTagTextCount < 255, "a cell's number must fit a byte");
using CellTable = std::array<std::uint8_t, kFormatCount * kTagKeyCount>;
constexpr CellTable cellTable() {
  CellTable table{};
  for (std::size_t i = 0; i < kTypedTagTexts.size(); ++i) {
    table[cellKey(kTypedTagTexts[i].tag, kTypedTagTexts[i].format)] = static_cast<std::uint8_t>(i + 1);
  }
  return table;
}
constexpr CellTable kCellPlusOne = cellTable();

constexpr std::size_t kNoCell = kTypedTagTextCount;

// The cell of `tag` in `f`, or kNoCell.
std::size_t cellOf(std::string_view tag, Format f) {
  if (!hasTagShape(tag)) return kNoCell;
  const std::uint8_t plusOne = kCellPlusOne[cellKey(tag, f)];
  return plusOne == 0 ? kNoCell : std::size_t{plusOne} - 1;
}

}  // namespace

Replacement typedReplacement(const TagRow& row, Format f) {
  if (const std::size_t cell = cellOf(row.tag, f); cell != kNoCell) return kTypedTagTexts[cell].text;
  if (const std::optional<Replacement> own = columnTypedOverride(f, row.tag)) return *own;
  return row.replacement(f);
}

}  // namespace kolvo
