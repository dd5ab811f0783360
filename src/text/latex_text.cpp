#include "text/latex_text.hpp"

#include <array>

#include "text/latex_ascii.hpp"
#include "text/latex_unicode.hpp"
#include "text/special_bytes.hpp"

namespace kolvo {
namespace {

// Whether the character at `at` would join the next one. A tag may turn
// into nothing and bring the character after it alongside.
bool joinsNext(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && (text[at + 1] == text[at] || beginsTag(text, at + 1));
}

// latexTextLooksAt(), as a table.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> special{};
  for (std::size_t c = 0; c < 256; ++c) {
    special[c] = latexTextLooksAt(static_cast<unsigned char>(c));
  }
  return special;
}();

// Greek letters as math symbols, and the capitals that have no symbol of
// their own as the Latin letters they look like. Indexed from U+0391 and
// U+03B1; U+03A2 is unassigned.
constexpr std::array<std::string_view, 25> kGreekCapitals = {
    "A", "B", "\\ensuremath{\\Gamma}", "\\ensuremath{\\Delta}", "E", "Z", "H",
    "\\ensuremath{\\Theta}", "I", "K", "\\ensuremath{\\Lambda}", "M", "N",
    "\\ensuremath{\\Xi}", "O", "\\ensuremath{\\Pi}", "P", "", "\\ensuremath{\\Sigma}", "T",
    "\\ensuremath{\\Upsilon}", "\\ensuremath{\\Phi}", "X", "\\ensuremath{\\Psi}",
    "\\ensuremath{\\Omega}"};
constexpr std::array<std::string_view, 25> kGreekSmall = {
    "\\ensuremath{\\alpha}", "\\ensuremath{\\beta}", "\\ensuremath{\\gamma}",
    "\\ensuremath{\\delta}", "\\ensuremath{\\varepsilon}", "\\ensuremath{\\zeta}",
    "\\ensuremath{\\eta}", "\\ensuremath{\\theta}", "\\ensuremath{\\iota}",
    "\\ensuremath{\\kappa}", "\\ensuremath{\\lambda}", "\\ensuremath{\\mu}",
    "\\ensuremath{\\nu}", "\\ensuremath{\\xi}", "\\ensuremath{o}", "\\ensuremath{\\pi}",
    "\\ensuremath{\\rho}", "\\ensuremath{\\varsigma}", "\\ensuremath{\\sigma}",
    "\\ensuremath{\\tau}", "\\ensuremath{\\upsilon}", "\\ensuremath{\\varphi}",
    "\\ensuremath{\\chi}", "\\ensuremath{\\psi}", "\\ensuremath{\\omega}"};

std::string_view greekText(char32_t cp) {
  if (cp >= 0x391 && cp < 0x391 + kGreekCapitals.size()) return kGreekCapitals[cp - 0x391];
  if (cp >= 0x3B1 && cp < 0x3B1 + kGreekSmall.size()) return kGreekSmall[cp - 0x3B1];
  return {};
}

std::size_t nextSpecial(std::string_view text, std::size_t from) {
  for (; from < text.size(); ++from) {
    const char c = text[from];
    if (kSpecial[static_cast<unsigned char>(c)]) break;
    if (latexJoinsItself(c) && joinsNext(text, from)) break;
  }
  return from;
}

// A character beyond ASCII (or a control character) starting at `at`;
// moves `at` past it.
void appendCodePoint(std::string& out, std::string_view text, std::size_t& at,
                     EscapeStats& stats) {
  const std::size_t start = at;
  const char32_t cp = nextCodePoint(text, at);
  if (const std::string_view greek = greekText(cp); !greek.empty()) {
    out.append(greek);
  } else if (cp >= 0xA0 && latexCanSet(cp)) {
    out.append(text.substr(start, at - start));
  } else {
    out.push_back('?');
    ++stats.missingGlyphs;
  }
}

// Writes the special character at `at` and moves `at` past what it used.
void appendSpecial(std::string& out, std::string_view text, std::size_t& at,
                   EscapeStats& stats) {
  const char c = text[at];
  if (c == '%' && beginsTag(text, at)) {
    out.append(text.substr(at, 3));
    at += 3;
  } else if (latexJoinsItself(c)) {  // here only when it would join the next one
    out.push_back(c);
    out.append("{}");
    ++at;
  } else if (const std::string_view replacement = latexAsciiText(c); !replacement.empty()) {
    out.append(replacement);
    ++at;
  } else {
    appendCodePoint(out, text, at, stats);
  }
}

}  // namespace

bool escapeLatexText(std::string_view utf8, std::string& out, EscapeStats& stats) {
  return copyWithSpecials(utf8, out, utf8.size() / 2 + 16, nextSpecial,
                          [&stats](std::string& to, std::string_view text, std::size_t& at) {
                            appendSpecial(to, text, at, stats);
                          });
}

}  // namespace kolvo
