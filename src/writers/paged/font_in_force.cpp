#include "writers/paged/font_in_force.hpp"

#include "writers/paged/tag_painting.hpp"

namespace kolvo::paged {
namespace {

// The face each standard font asks of a fallback font; any other font
// (Symbol, ZapfDingbats) asks for the regular one.
struct StandardFace {
  std::string_view pdfResource;
  std::string_view postScriptName;
  FontStyle style;
};

constexpr std::array<StandardFace, 4> kStandardFaces = {{
    {"F1", "Times-Roman", FontStyle::Regular},
    {"F2", "Times-Bold", FontStyle::Bold},
    {"F4", "Times-Italic", FontStyle::Italic},
    {"F5", "Courier", FontStyle::Monospace},
}};

FontStyle styleOf(std::string_view font) {
  for (const StandardFace& face : kStandardFaces) {
    if (font == face.pdfResource || font == face.postScriptName) return face.style;
  }
  return FontStyle::Regular;
}

// PostScript underline and highlights: between the start and end tag the
// text is shown by the procedure that the end tag paints it with.
struct Decoration {
  std::string_view start;
  std::string_view end;
};

constexpr std::array<Decoration, 3> kDecorations = {{
    {"%us", "%ue"},
    {"%hs", "%he"},
    {"%Hs", "%He"},
}};

std::size_t rowOf(std::string_view tag) {
  std::size_t row = 0;
  while (row < kTagRowCount && kTagTable[row].tag != tag) ++row;
  return row;
}

// The operator that the text of `row` paints the text before it with.
std::string_view closingPainter(std::size_t row) {
  for (const PaintStep& step : paintedBy(row, Format::PostScript, TextMode::Typed)) {
    if (step.kind == PaintKind::Close) return step.painter;
  }
  return "show";
}

}  // namespace

FontInForce bodyFont(Format format) {
  return {format == Format::Pdf ? kStandardFaces[0].pdfResource : kStandardFaces[0].postScriptName,
          "12", FontStyle::Regular, "show"};
}

// A tag's font is the last one its text selects (a glyph of another font
// comes back to the body font).
FontSwitches::FontSwitches(Format format) {
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    Switch& s = switches_[row];
    for (const PaintStep& step : paintedBy(row, format, TextMode::Typed)) {
      if (step.kind != PaintKind::Style || step.style.font.empty()) continue;
      s.setsFont = true;
      s.font = step.style.font;
      s.size = step.style.size;
      s.style = styleOf(s.font);
    }
  }
  if (format != Format::PostScript) return;
  for (const Decoration& d : kDecorations) {
    Switch& start = switches_[rowOf(d.start)];
    Switch& end = switches_[rowOf(d.end)];
    start.setsShow = end.setsShow = true;
    start.show = closingPainter(rowOf(d.end));
    end.show = "show";
  }
}

void FontSwitches::apply(std::size_t row, FontInForce& font) const {
  if (row >= kTagRowCount) return;
  const Switch& s = switches_[row];
  if (s.setsFont) {
    font.font = s.font;
    font.size = s.size;
    font.style = s.style;
  }
  if (s.setsShow) font.show = s.show;
}

const FontSwitches& fontSwitches(Format format) {
  static const FontSwitches postScript(Format::PostScript);
  static const FontSwitches pdf(Format::Pdf);
  return format == Format::Pdf ? pdf : postScript;
}

void followFont(const TypedLine& line, Format format, TextStyle& style) {
  const FontSwitches& switches = fontSwitches(format);
  for (auto item = line.items.rbegin(); item != line.items.rend(); ++item) {
    FontInForce font = bodyFont(format);
    if (item->kind == ItemKind::TagText && switches.setsFont(item->row)) {
      switches.apply(item->row, font);
    } else if (item->kind != ItemKind::SymbolRun) {
      continue;
    }
    style.font = font.font;
    style.size = font.size;
    return;
  }
}

}  // namespace kolvo::paged
