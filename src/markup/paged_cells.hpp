#pragma once
// The PostScript and PDF cells of the tag table, and their overrides under
// --escape, as operations (paged_ops.hpp). The table's texts for these two
// formats are made from them (paged_cell_texts.hpp), and so is what the
// program knows of each text: the font it selects, what it paints.
//
// A glyph of another font (Symbol, ZapfDingbats) paints the text so far,
// paints the glyph in its font and continues in the body font, Times-Roman
// 12. A style tag paints the text so far and selects its font or colour;
// PDF selects the body font again before a colour or a rise. PostScript
// paints a marked text with the end tag's procedure (ushow, hshow, Hshow);
// PDF leaves "_" where an underline or yellow highlight starts and ends,
// which its writer measures and draws.

#include <array>
#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "markup/paged_ops.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

namespace paged_cells {

inline constexpr PagedFont kTimes12 = {"Times-Roman", "12"};
inline constexpr PagedFont kBody12 = {"F1", "12"};

constexpr PagedCell psGlyph(std::string_view font, std::string_view size,
                            std::string_view glyph) {
  return {closePaint("show"), selectFont({font, size}), paintGlyphs(glyph, "show"),
          selectFont(kTimes12), openString()};
}
constexpr PagedCell psSymbol(std::string_view size, std::string_view glyph) {
  return psGlyph("Symbol", size, glyph);
}
// `closeGap` is "" or " ": the table has both ")Tj" and ") Tj".
constexpr PagedCell pdfGlyph(std::string_view closeGap, std::string_view resource,
                             std::string_view size, std::string_view glyph) {
  return {closePaint("Tj", closeGap), selectFont({resource, size}), paintGlyphs(glyph, "Tj"),
          selectFont(kBody12), openString()};
}
constexpr PagedCell pdfSymbol(std::string_view closeGap, std::string_view size,
                              std::string_view glyph) {
  return pdfGlyph(closeGap, "F3", size, glyph);
}

// The upsilon with a tilde: PostScript centres the tilde over the upsilon;
// PDF paints the upsilon, then the tilde moved back over it.
constexpr PagedCell psTilded(std::string_view tilde) {
  return {closePaint("show"), selectFont({"Symbol", "12"}), accent("\\165", kTimes12, tilde),
          selectFont(kTimes12), openString()};
}
constexpr PagedCell pdfTilded(std::string_view tilde) {
  return {closePaint("Tj"), selectFont({"F3", "12"}), paintGlyphs("\\165", "Tj"),
          selectFont(kBody12), paintArray(4545, tilde, -1215), openString()};
}

constexpr PagedCell psFont(std::string_view closeGap, std::string_view fontGap,
                           const PagedFont& font) {
  return {closePaint("show", closeGap), selectFont(font, fontGap), openString()};
}
constexpr PagedCell pdfFont(const PagedFont& font) {
  return {closePaint("Tj"), selectFont(font), openString()};
}

constexpr PagedCell psColour(std::string_view rgb, std::string_view operatorGap = " ") {
  return {closePaint("show"), setColour(rgb, "  ", operatorGap), openString()};
}
constexpr PagedCell pdfColour(std::string_view rgb) {
  return {closePaint("Tj"), selectFont(kBody12), setColour(rgb), openString()};
}

constexpr PagedCell pdfRise(std::string_view size, std::string_view operand) {
  return {closePaint("Tj"), selectFont({"F1", size}), rise(operand), openString()};
}

// PostScript underline and highlights: the text so far is painted by
// `painter` and a new string opens.
constexpr PagedCell psPaint(std::string_view closeGap, std::string_view painter,
                            std::string_view openGap) {
  return {closePaint(painter, closeGap), openString(openGap)};
}

constexpr PagedCell text(std::string_view glyphs) { return {literalText(glyphs)}; }
inline constexpr PagedCell kNothing = {};

struct PagedRowCells {
  std::string_view tag;  // the row's tag, which ties the cells to their row
  PagedCell postScript;
  PagedCell pdf;

  constexpr const PagedCell& cell(Format f) const { return f == Format::Pdf ? pdf : postScript; }
};

// clang-format off
inline constexpr std::array<PagedRowCells, kTagRowCount> kPagedCells = {{
    {"%Al", psSymbol("16", "\\300"), pdfSymbol(" ", "18", "\\300")},
    {"%g1", psSymbol("12", "\\141"), pdfSymbol(" ", "12", "\\141")},
    {"%g2", psSymbol("12", "\\142"), pdfSymbol(" ", "12", "\\142")},
    {"%gG", psSymbol("12", "\\107"), pdfSymbol(" ", "12", "\\107")},
    {"%g7", psSymbol("12", "\\147"), pdfSymbol(" ", "12", "\\147")},
    {"%gD", psSymbol("12", "\\104"), pdfSymbol(" ", "12", "\\104")},
    {"%g4", psSymbol("18", "\\144"), pdfSymbol(" ", "12", "\\144")},
    {"%g5", psSymbol("12", "\\145"), pdfSymbol(" ", "12", "\\145")},
    {"%gz", psSymbol("12", "\\172"), pdfSymbol(" ", "12", "\\172")},
    {"%g8", psSymbol("12", "\\150"), pdfSymbol("", "12", "\\150")},
    {"%gT", psSymbol("12", "\\121"), pdfSymbol("", "12", "\\121")},
    {"%gt", psSymbol("12", "\\161"), pdfSymbol("", "12", "\\161")},
    {"%g9", psSymbol("12", "\\151"), pdfSymbol("", "12", "\\151")},
    {"%gk", psSymbol("12", "\\153"), pdfSymbol("", "12", "\\153")},
    {"%gL", psSymbol("12", "\\114"), pdfSymbol("", "12", "\\114")},
    {"%gl", psSymbol("12", "\\154"), pdfSymbol("", "12", "\\154")},
    {"%gm", psSymbol("12", "\\155"), pdfSymbol("", "12", "\\155")},
    {"%gn", psSymbol("12", "\\156"), pdfSymbol("", "12", "\\156")},
    {"%gx", psSymbol("12", "\\170"), pdfSymbol("", "12", "\\170")},
    {"%gP", psSymbol("12", "\\120"), pdfSymbol("", "12", "\\120")},
    {"%zp", psSymbol("12", "\\160"), pdfSymbol("", "12", "\\160")},
    {"%g3", psSymbol("12", "\\143"), pdfSymbol(" ", "12", "\\143")},
    {"%zr", psSymbol("12", "\\162"), pdfSymbol("", "12", "\\162")},
    {"%gs", psSymbol("12", "\\163"), pdfSymbol("", "12", "\\163")},
    {"%zs", psSymbol("12", "\\126"), pdfSymbol("", "12", "\\126")},
    {"%zt", psSymbol("12", "\\164"), pdfSymbol("", "12", "\\164")},
    {"%gu", psSymbol("12", "\\165"), pdfSymbol("", "12", "\\165")},
    // The tilde is Times-Roman's \304 in the standard encoding.
    {"%zu", psTilded("\\304"), pdfTilded("\\304")},
    {"%gF", psSymbol("12", "\\106"), pdfSymbol("", "12", "\\106")},
    {"%g6", psSymbol("12", "\\146"), pdfSymbol("", "12", "\\146")},
    {"%gp", psSymbol("12", "\\131"), pdfSymbol("", "12", "\\131")},
    {"%gO", psSymbol("12", "\\127"), pdfSymbol("", "12", "\\127")},
    {"%gw", psSymbol("12", "\\167"), pdfSymbol("", "12", "\\167")},

    {"%Bs", psFont(" ", " ", {"Times-Roman", "16"}), pdfFont({"F1", "16"})},
    {"%Be", psFont(" ", " ", kTimes12), pdfFont(kBody12)},
    {"%bs", psFont(" ", "  ", {"Times-Bold", "12"}), pdfFont({"F2", "12"})},
    {"%be", psFont(" ", "  ", kTimes12), pdfFont(kBody12)},
    {"%bu", text("\\267"), text("\\267")},

    {"%cs", kNothing, kNothing},
    {"%ce", kNothing, kNothing},
    {"%cr", psSymbol("12", "\\323"), pdfSymbol(" ", "12", "\\343")},
    {"%Cs", psFont(" ", "  ", {"Courier", "12"}), pdfFont({"F5", "12"})},
    {"%C0", psFont(" ", "  ", {"Courier", "10"}), pdfFont({"F5", "10"})},
    {"%Ce", psFont(" ", "  ", kTimes12), pdfFont(kBody12)},

    {"%da", text("\\262"), text("\\262")},
    {"%dd", text("\\263"), text("\\263")},
    {"%di", psSymbol("12", "\\270"), pdfSymbol(" ", "12", "\\270")},

    {"%hs", psPaint(" ", "show", "  "), text("_")},
    {"%he", psPaint(" ", "hshow", "  "), kNothing},
    {"%Hs", psPaint(" ", "show", "  "), kNothing},
    {"%He", psPaint(" ", "Hshow", "  "), kNothing},

    {"%is", psFont(" ", "  ", {"Times-Italic", "12"}), pdfFont({"F4", "12"})},
    {"%ie", psFont(" ", "  ", kTimes12), pdfFont(kBody12)},
    {"%ls", psFont("  ", " ", {"Times-Roman", "24"}), pdfFont({"F1", "24"})},
    {"%le", psFont("  ", " ", kTimes12), pdfFont(kBody12)},

    {"%P1", psColour("1 0 0"), pdfColour("1 0 0")},
    {"%P2", psColour(".55 0 0"), pdfColour(".5 0 0")},
    {"%P3", psColour("0 1 0"), pdfColour("0 1 0")},
    {"%P4", psColour("0 .55 0"), pdfColour("0 .5 0")},
    {"%P5", psColour("0 0 1"), pdfColour("0 0 1")},
    {"%P6", psColour("0 0 .55"), pdfColour("0 0 .5")},
    {"%P7", psColour("1 0 1"), pdfColour("1 0 1")},
    {"%P8", psColour(".55 0 .55", "  "), pdfColour(".5 0 .5")},
    {"%P9", psColour(".55 .55 0"), pdfColour(".5 .5 0")},
    {"%Pe", psColour("0 0 0"), pdfColour("0 0 0")},

    {"%pg", kNothing, kNothing},
    {"%pm", psSymbol("12", "\\261"), pdfSymbol(" ", "12", "\\261")},
    {"%ps", text("%"), text("%")},

    {"%rs", psColour("1 0 0"), pdfColour("1 0 0")},
    {"%re", psColour("0 0 0"), pdfColour("0 0 0")},
    {"%tc", psGlyph("ZapfDingbats", "12", "\\155"), pdfGlyph(" ", "F6", "12", "\\155")},
    {"%rt", psSymbol("12", "\\322"), pdfSymbol(" ", "12", "\\322")},
    {"%sn", text("\\247"), text("\\247")},

    {"%Ss", psFont(" ", " ", {"Times-Roman", "10"}), pdfFont({"F1", "10"})},
    {"%Se", psFont(" ", " ", kTimes12), pdfFont(kBody12)},
    // PostScript has no superscript: a blank stands for the tag.
    {"%ss", text(" "), pdfRise("10", "7")},
    {"%se", text(" "), pdfRise("12", "0")},

    {"%su", psSymbol("12", "S"), pdfSymbol(" ", "12", "S")},
    {"%sq", psSymbol("12", "\\326"), pdfSymbol(" ", "12", "\\326")},
    {"%Sy", psFont(" ", " ", {"Symbol", "12"}), pdfFont({"F3", "12"})},
    {"%tm", psSymbol("12", "\\324"), pdfSymbol(" ", "12", "\\324")},

    {"%us", psPaint("", "show", " "), text("_")},
    {"%ue", psPaint(" ", "ushow", "  "), text("_")},
    {"%xs", psFont("  ", " ", {"Times-Roman", "36"}), pdfFont({"F1", "36"})},
    {"%xe", psFont("  ", " ", kTimes12), pdfFont(kBody12)},
}};
// clang-format on

// The cells that differ under --escape (typed_tag_texts.cpp says why): the
// text fonts are re-encoded there, so most signs are their own glyphs.
struct TypedPagedCell {
  std::string_view tag;
  Format format;
  PagedCell cell;
};

inline constexpr Format kPs = Format::PostScript;
inline constexpr Format kPdf = Format::Pdf;

inline constexpr std::array<TypedPagedCell, 16> kTypedPagedCells = {{
    // The tilde of the re-encoded Times-Roman.
    {"%zu", kPs, psTilded("\\230")}, {"%zu", kPdf, pdfTilded("\\230")},
    {"%cr", kPs, text("\\251")}, {"%cr", kPdf, text("\\251")},
    {"%di", kPs, text("\\367")}, {"%di", kPdf, text("\\367")},
    {"%pm", kPs, text("\\261")}, {"%pm", kPdf, text("\\261")},
    {"%ps", kPs, text("\\045")}, {"%ps", kPdf, text("\\045")},
    {"%rt", kPs, text("\\256")}, {"%rt", kPdf, text("\\256")},
    // The Symbol font's summation; its "S" is the capital Sigma.
    {"%su", kPs, psSymbol("12", "\\345")}, {"%su", kPdf, pdfSymbol(" ", "12", "\\345")},
    {"%tm", kPs, text("\\231")}, {"%tm", kPdf, text("\\231")},
}};

// Typed text shows the characters that only the Symbol font has between
// these two (paged_text.cpp): a Greek tag's text around its glyph.
struct SymbolRunCells {
  Format format;
  PagedCell start;
  PagedCell end;
};

inline constexpr std::array<SymbolRunCells, 2> kSymbolRunCells = {{
    {kPs, psFont(" ", " ", {"Symbol", "12"}), psFont(" ", " ", kTimes12)},
    {kPdf, pdfFont({"F3", "12"}), pdfFont(kBody12)},
}};

}  // namespace paged_cells

using paged_cells::kPagedCells;
using paged_cells::kTypedPagedCells;
using paged_cells::PagedRowCells;
using paged_cells::TypedPagedCell;

// Every cell has an index: each row's PostScript then PDF cell, then the
// typed overrides in their order, then the start and end of a Symbol run
// in PostScript and in PDF.
inline constexpr std::size_t kFirstSymbolRunCell = 2 * kTagRowCount + kTypedPagedCells.size();
inline constexpr std::size_t kPagedCellCount = kFirstSymbolRunCell + 4;

struct IndexedPagedCell {
  const PagedCell* cell;
  Format format;
};

constexpr IndexedPagedCell pagedCellAt(std::size_t index) {
  if (index < 2 * kTagRowCount) {
    const Format format = index % 2 == 0 ? Format::PostScript : Format::Pdf;
    return {&kPagedCells[index / 2].cell(format), format};
  }
  if (index < kFirstSymbolRunCell) {
    const TypedPagedCell& typed = kTypedPagedCells[index - 2 * kTagRowCount];
    return {&typed.cell, typed.format};
  }
  const std::size_t symbolRun = index - kFirstSymbolRunCell;
  const paged_cells::SymbolRunCells& run = paged_cells::kSymbolRunCells[symbolRun / 2];
  return {symbolRun % 2 == 0 ? &run.start : &run.end, run.format};
}

// The index of the cell of `row` for `format` (PostScript or PDF) in `mode`.
constexpr std::size_t pagedCellIndex(std::size_t row, Format format, TextMode mode) {
  if (mode == TextMode::Typed) {
    for (std::size_t i = 0; i < kTypedPagedCells.size(); ++i) {
      const TypedPagedCell& typed = kTypedPagedCells[i];
      if (typed.format == format && typed.tag == kPagedCells[row].tag) return 2 * kTagRowCount + i;
    }
  }
  return 2 * row + (format == Format::Pdf ? 1 : 0);
}

static_assert(paged_cells::kSymbolRunCells[0].format == Format::PostScript &&
              paged_cells::kSymbolRunCells[1].format == Format::Pdf);

// The index of the switch to the Symbol font (`start`) or back.
constexpr std::size_t symbolRunCellIndex(Format format, bool start) {
  return kFirstSymbolRunCell + (format == Format::Pdf ? 2 : 0) + (start ? 0 : 1);
}

constexpr const PagedCell& pagedCell(std::size_t row, Format format, TextMode mode) {
  return *pagedCellAt(pagedCellIndex(row, format, mode)).cell;
}

}  // namespace kolvo
