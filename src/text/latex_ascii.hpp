#pragma once
// The ASCII characters LaTeX would not set as typed, and what stands for
// them: the byte rules of escapeLatexText, shared with the check that lets
// a line without any of them skip it.

#include <string_view>

#include "text/control_chars.hpp"

namespace kolvo {

// What stands for each ASCII character that LaTeX would not set as typed;
// empty for the others. "%" becomes a character number, since any "%" byte
// could join its neighbours into a tag. "[" and "*" are braced everywhere,
// so that a line starting with them is not read as the argument of the
// previous line's "\\". The quote characters are written as the straight
// ASCII marks, which also keeps "``", "''", "!`" and "?`" from forming
// T1 ligatures.
constexpr std::string_view latexAsciiText(char c) {
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
// ("--", "---", ",,") but are fine alone. (Before a tag they are written
// apart too; a tag starts with "%", which is looked at anyway.)
constexpr bool latexJoinsItself(char c) { return c == '-' || c == ','; }

// The bytes escapeLatexText rewrites wherever they are: those above, the
// control characters, and every byte beyond ASCII.
constexpr bool latexTextLooksAt(unsigned char byte) {
  if (byte >= 0x80) return true;
  return !latexAsciiText(static_cast<char>(byte)).empty() ||
         isUnshowableControl(static_cast<char32_t>(byte));
}

}  // namespace kolvo
