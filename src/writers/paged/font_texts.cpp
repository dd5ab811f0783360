#include "writers/paged/font_texts.hpp"

#include "writers/paged/text_encoding.hpp"

namespace kolvo::paged {
namespace {

constexpr std::string_view kEncodingName = "/KolvoTextEncoding";
// Glyph assignments per line of the PostScript vector.
constexpr int kPutsPerLine = 4;

// The glyph at `code` of the upper half, or ".notdef" where the encoding
// leaves the code free.
std::string_view upperHalfGlyph(unsigned code) {
  for (const EncodedGlyph& g : kTextEncoding) {
    if (g.code == code) return g.glyph;
  }
  return ".notdef";
}

void appendPut(std::string& out, unsigned code, std::string_view glyph, int& onLine) {
  out += "dup " + std::to_string(code) + " /";
  out += glyph;
  out += " put";
  out += ++onLine % kPutsPerLine == 0 ? "\n" : " ";
}

}  // namespace

std::string_view monoFaceOf(std::string_view textFont) {
  for (const MonoFace& face : kMonoFaces) {
    if (face.textFont == textFont) return face.monoFont;
  }
  return textFont;
}

std::string postScriptFontCopy(std::string_view source, std::string_view name, bool reencode) {
  std::string out = "/";
  out += source;
  out += " findfont dup length dict begin {1 index /FID ne {def} {pop pop} ifelse} forall\n";
  if (reencode) {
    out += "/Encoding ";
    out += kEncodingName.substr(1);
    out += " def ";
  }
  out += "currentdict end /";
  out += name;
  out += " exch definefont pop\n";
  return out;
}

std::string postScriptEncodingVector() {
  // StandardEncoding gives the ASCII half (its quotes are the ones wanted);
  // every code of the upper half is set, so none of its glyphs stay.
  std::string out(kEncodingName);
  out += " StandardEncoding 256 array copy\n";
  int onLine = 0;
  for (const EncodedGlyph& g : kTextEncoding) {
    if (g.code < 0x80) appendPut(out, g.code, g.glyph, onLine);
  }
  for (unsigned code = 0x80; code <= 0xFF; ++code) appendPut(out, code, upperHalfGlyph(code), onLine);
  out.back() = '\n';
  out += "def\n";
  return out;
}

std::string postScriptReencoding() {
  std::string out = postScriptEncodingVector();
  for (const ReencodedFont& font : kReencodedFonts) {
    out += postScriptFontCopy(font.baseFont, font.baseFont, true);
  }
  return out;
}

std::string pdfEncodingDictionary() {
  std::string out = "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [";
  int previous = -2;
  for (const EncodedGlyph& g : kTextEncoding) {
    if (!g.differs) continue;
    // A run of consecutive codes needs its first code only.
    if (g.code != previous + 1) out += " " + std::to_string(g.code);
    out += " /";
    out += g.glyph;
    previous = g.code;
  }
  out += "] >>";
  return out;
}

std::string pdfTextFontDictionary(std::string_view baseFont) {
  std::string out = "<< /Type /Font /Subtype /Type1 /BaseFont /";
  out += baseFont;
  out += " /Encoding ";
  out += pdfEncodingDictionary();
  out += " >>";
  return out;
}

}  // namespace kolvo::paged
