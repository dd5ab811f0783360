#include "writers/paged/running_text.hpp"

#include <array>
#include <cmath>

#include "io/message_text.hpp"
#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/font_widths.hpp"
#include "writers/paged/glyph_place.hpp"

namespace kolvo::paged {
namespace {

struct RunningCode {
  char letter;
  RunningField field;
};

constexpr std::array<RunningCode, 5> kRunningCodes = {{
    {'f', RunningField::FileName},
    {'t', RunningField::Title},
    {'d', RunningField::Date},
    {'p', RunningField::Page},
    {'P', RunningField::PageCount},
}};

void addText(std::vector<RunningPiece>& part, char c) {
  if (part.empty() || part.back().field != RunningField::Text) part.push_back({});
  part.back().text += c;
}

// The code after a "%" into `part`; false for none.
bool addCode(std::vector<RunningPiece>& part, char letter) {
  if (letter == '%' || letter == '|') {
    addText(part, letter);
    return true;
  }
  for (const RunningCode& code : kRunningCodes) {
    if (code.letter == letter) {
      part.push_back({code.field, {}});
      return true;
    }
  }
  return false;
}

unsigned char codeOf(char32_t c) {
  if (c < 0x20 || c == 0x7F) return ' ';
  if (c < 0x7F && c != '\'' && c != '`') return static_cast<unsigned char>(c);
  const GlyphPlace place = glyphPlace(c);
  return place.font == GlyphFont::Text ? place.code : '?';
}

// A string operand both languages read alike: "\", "(" and ")" escaped,
// every byte beyond printable ASCII as three octal digits.
std::string stringOperand(std::string_view codes) {
  std::string out = "(";
  for (const char c : codes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    if (byte >= 0x20 && byte < 0x7F) {
      out += c;
      continue;
    }
    out += '\\';
    for (const int shift : {6, 3, 0}) out += static_cast<char>('0' + ((byte >> shift) & 7));
  }
  return out + ")";
}

// One part at `x`, `y`: "X Y moveto (..) show" or "BT /FR 9 Tf X Y Td (..) Tj ET".
void appendPart(std::string& out, Format format, std::int32_t x, std::int32_t y,
                std::string_view codes) {
  const std::string at = std::to_string(x) + ' ' + std::to_string(y);
  if (format == Format::Pdf) {
    out += "BT /" + std::string(kRunningPdfResource) + ' ' + std::to_string(kRunningSize) +
           " Tf " + at + " Td " + stringOperand(codes) + " Tj ET\n";
  } else {
    out += at + " moveto " + stringOperand(codes) + " show\n";
  }
}

void appendLine(std::string& out, Format format, const RunningLine& line, std::int32_t y,
                const PageDesign& design, const PageFrame& frame, std::uint64_t page,
                std::uint64_t pages) {
  for (std::size_t i = 0; i < line.parts.size(); ++i) {
    if (line.parts[i].empty()) continue;
    const std::string codes = runningCodes(expandRunningPart(line.parts[i], design, page, pages));
    const double width = textWidth(PagedFont::TimesRoman, codes) * kRunningSize / 1000.0;
    // Left at the margin, centre in the middle, right ending at the margin.
    const double x = frame.left + (frame.width - width) * static_cast<double>(i) / 2;
    appendPart(out, format, static_cast<std::int32_t>(std::lround(x)), y, codes);
  }
}

}  // namespace

std::string parseRunningLine(std::string_view text, RunningLine& line) {
  line = {};
  std::size_t part = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '|') {
      if (++part == line.parts.size()) return "more than three parts (left|centre|right)";
    } else if (c != '%') {
      addText(line.parts[part], c);
    } else if (i + 1 == text.size()) {
      return "a % at the end; say %% for the character";
    } else if (!addCode(line.parts[part], text[++i])) {
      return "unknown code " + quoted(text.substr(i - 1, 2)) +
             "; say %f, %t, %d, %p, %P, %% or %|";
    }
  }
  return {};
}

std::string expandRunningPart(const std::vector<RunningPiece>& part, const PageDesign& design,
                              std::uint64_t page, std::uint64_t pages) {
  std::string out;
  for (const RunningPiece& piece : part) {
    switch (piece.field) {
      case RunningField::Text: out += piece.text; break;
      case RunningField::FileName: out += design.fileName; break;
      case RunningField::Title: out += design.title; break;
      case RunningField::Date: out += design.date; break;
      case RunningField::Page: out += std::to_string(page); break;
      case RunningField::PageCount: out += std::to_string(pages); break;
    }
  }
  return out;
}

std::string runningCodes(std::string_view text) {
  std::string decoded;
  if (!decodeText(text, decoded)) decoded = text;
  std::string codes;
  for (std::size_t at = 0; at < decoded.size();) codes += static_cast<char>(codeOf(nextCodePoint(decoded, at)));
  return codes;
}

std::string runningOperators(Format format, const PageDesign& design, const PageFrame& frame,
                             std::uint64_t page, std::uint64_t pages) {
  std::string out = format == Format::Pdf ? "q 0 g 0 Ts\n"
                                          : "gsave /" + std::string(kRunningPostScriptFont) + ' ' +
                                                std::to_string(kRunningSize) +
                                                " selectfont 0 setgray\n";
  appendLine(out, format, design.header, frame.headerBaseline, design, frame, page, pages);
  appendLine(out, format, design.footer, frame.footerBaseline, design, frame, page, pages);
  return out + (format == Format::Pdf ? "Q\n" : "grestore\n");
}

}  // namespace kolvo::paged
