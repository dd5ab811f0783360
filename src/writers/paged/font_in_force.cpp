#include "writers/paged/font_in_force.hpp"

#include "markup/typed_tag_texts.hpp"

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
// text is shown by the procedure the end tag calls.
struct Decoration {
  std::string_view start;
  std::string_view end;
  std::string_view show;
};

constexpr std::array<Decoration, 3> kDecorations = {{
    {"%us", "%ue", "ushow"},
    {"%hs", "%he", "hshow"},
    {"%Hs", "%He", "Hshow"},
}};

std::string_view lastToken(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::size_t blank = text.rfind(' ');
  return blank == std::string_view::npos ? text : text.substr(blank + 1);
}

std::string_view withoutLastToken(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::size_t blank = text.rfind(' ');
  return blank == std::string_view::npos ? std::string_view() : text.substr(0, blank);
}

// The font and size the text selects last: "/F2 12 Tf" in PDF,
// "/Times-Bold findfont 12 scalefont setfont" in PostScript.
bool lastSelection(std::string_view text, Format format, std::string_view& font,
                   std::string_view& size) {
  const std::string_view operatorText =
      format == Format::Pdf ? std::string_view(" Tf") : std::string_view(" scalefont setfont");
  const std::size_t at = text.rfind(operatorText);
  if (at == std::string_view::npos) return false;
  std::string_view before = text.substr(0, at);
  size = lastToken(before);
  before = withoutLastToken(before);
  if (format == Format::PostScript) before = withoutLastToken(before);  // "findfont"
  const std::string_view name = lastToken(before);
  if (name.size() < 2 || name[0] != '/') return false;
  font = name.substr(1);
  return true;
}

}  // namespace

FontInForce bodyFont(Format format) {
  return {format == Format::Pdf ? kStandardFaces[0].pdfResource : kStandardFaces[0].postScriptName,
          "12", FontStyle::Regular, "show"};
}

FontSwitches::FontSwitches(Format format) {
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    Switch& s = switches_[row];
    const Replacement text = typedReplacement(kTagTable[row], format);
    if (text && lastSelection(*text, format, s.font, s.size)) {
      s.setsFont = true;
      s.style = styleOf(s.font);
    }
    if (format != Format::PostScript) continue;
    for (const Decoration& d : kDecorations) {
      if (kTagTable[row].tag == d.start) s.show = d.show;
      if (kTagTable[row].tag == d.start || kTagTable[row].tag == d.end) s.setsShow = true;
    }
    if (s.setsShow && s.show.empty()) s.show = "show";
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

}  // namespace kolvo::paged
