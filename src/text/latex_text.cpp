#include "text/latex_text.hpp"

#include <array>

#include "text/control_chars.hpp"
#include "text/latex_unicode.hpp"

namespace kolvo {
namespace {

// What stands for each ASCII character that LaTeX would not set as typed;
// empty for the others. "%" becomes a character number, since any "%" byte
// could join its neighbours into a tag. "[" and "*" are braced everywhere,
// so that a line starting with them is not read as the argument of the
// previous line's "\\". The quote characters are written as the straight
// ASCII marks, which also keeps "``", "''", "!`" and "?`" from forming
// T1 ligatures.
constexpr std::string_view asciiText(char c) {
  switch (c) {
    case '\\': return "\\textbackslash{}";
    case '{': return "\\{";
    case '}': return "\\}";
    case '&': return "\\&";
    case '$': return "\\$";
    case '_': return "\\_";
    case '^': return "\\textasciicircum{}";
    case '~': return "\\textasciitilde{}";
    case '%': return "\\char37{}";
    case '<': return "\\textless{}";
    case '>': return "\\textgreater{}";
    case '|': return "\\textbar{}";
    case '"': return "\\textquotedbl{}";
    case '[': return "{[}";
    case '*': return "{*}";
    case '`': return "\\textasciigrave{}";
    case '\'': return "\\textquotesingle{}";
    default: return {};
  }
}

// The characters that join with a copy of themselves into a T1 ligature
// ("--", "---", ",,") but are fine alone.
constexpr bool joinsItself(char c) { return c == '-' || c == ','; }

// Whether the character at `at` would join the next one. A tag may turn
// into nothing and bring the character after it alongside.
bool joinsNext(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && (text[at + 1] == text[at] || beginsTag(text, at + 1));
}

constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> special{};
  for (std::size_t c = 0; c < 0x80; ++c) {
    special[c] = !asciiText(static_cast<char>(c)).empty() ||
                 isUnshowableControl(static_cast<char32_t>(c));
  }
  for (std::size_t c = 0x80; c < 256; ++c) special[c] = true;
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
    if (kSpecial[static_cast<unsigned char>(c)] || (joinsItself(c) && joinsNext(text, from))) break;
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
  } else if (joinsItself(c)) {  // here only when it would join the next one
    out.push_back(c);
    out.append("{}");
    ++at;
  } else if (const std::string_view replacement = asciiText(c); !replacement.empty()) {
    out.append(replacement);
    ++at;
  } else {
    appendCodePoint(out, text, at, stats);
  }
}

}  // namespace

bool escapeLatexText(std::string_view utf8, std::string& out, EscapeStats& stats) {
  std::size_t at = nextSpecial(utf8, 0);
  if (at == utf8.size()) return false;
  out.clear();
  out.reserve(utf8.size() + utf8.size() / 2 + 16);
  out.append(utf8.substr(0, at));
  while (at < utf8.size()) {
    appendSpecial(out, utf8, at, stats);
    if (at >= utf8.size()) break;  // a character cut short would leave `at` past the end
    const std::size_t run = nextSpecial(utf8, at);
    out.append(utf8.substr(at, run - at));
    at = run;
  }
  return true;
}

}  // namespace kolvo
