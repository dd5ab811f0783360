#include "text/latex_text.hpp"

#include <array>

#include "text/latex_ascii.hpp"
#include "text/latex_font_scripts.hpp"
#include "text/latex_script_runs.hpp"
#include "text/latex_unicode.hpp"
#include "text/paragraph_direction.hpp"
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
void appendCodePoint(std::string& out, LatexLineScripts& line, std::size_t& at,
                     EscapeStats& stats) {
  const std::string_view text = line.line;
  const std::size_t start = at;
  const char32_t cp = nextCodePoint(text, at);
  if (const LatexScript script = latexScriptOf(cp); script != LatexScript::None) {
    at = start;
    appendScriptRun(out, line, at, script, stats);
  } else if (cp >= 0xA0 && latexCanSet(cp)) {
    out.append(text.substr(start, at - start));
  } else if (latexShowsOnlyBeyondPdftex(cp)) {
    at = start;
    appendFontScriptRun(out, text, at, stats);
  } else {
    out.push_back('?');
    ++stats.missingGlyphs;
  }
}

// Writes the special character at `at` and moves `at` past what it used.
void appendSpecial(std::string& out, LatexLineScripts& line, std::size_t& at,
                   EscapeStats& stats) {
  const std::string_view text = line.line;
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
    appendCodePoint(out, line, at, stats);
  }
}

// Appends the LaTeX of `piece`, a part of the line, to `out`.
void escapePiece(std::string_view piece, std::string& out, LatexLineScripts& line,
                 EscapeStats& stats) {
  LatexLineScripts pieceScripts{piece, line.documentLeaning, line.preferredFamily()};
  std::string escaped;
  const bool changed =
      copyWithSpecials(piece, escaped, piece.size() / 2 + 16, nextSpecial,
                       [&stats, &pieceScripts](std::string& to, std::string_view, std::size_t& at) {
                         appendSpecial(to, pieceScripts, at, stats);
                       });
  out.append(changed ? std::string_view(escaped) : piece);
}

// Whether `cp` keeps its own order in a right-to-left line: a letter of a
// left-to-right script, or a digit (which lualatex would turn round too).
bool keepsLeftToRight(char32_t cp) {
  return (cp >= '0' && cp <= '9') || isStrongLeftToRight(cp);
}

// The end of a run from `at`: after its last character that `belongs`,
// before one that `stops` it, a tag or the line's end.
template <typename Stops, typename Belongs>
std::size_t runEnd(std::string_view text, std::size_t at, Stops stops, Belongs belongs) {
  std::size_t end = at;
  while (at < text.size() && !beginsTag(text, at)) {
    const char32_t cp = nextCodePoint(text, at);
    if (stops(cp)) break;
    if (belongs(cp)) end = at;
  }
  return end;
}

// Each run of `text` that starts with a character `starts` takes and ends
// where `endOf` says goes in `opening`...}, escaped by `inner`; what lies
// between runs is escaped as it is. Tags are passed over: no run holds one.
template <typename Starts, typename EndOf, typename Inner>
void escapeRuns(std::string_view text, std::string& out, LatexLineScripts& line,
                EscapeStats& stats, Starts starts, EndOf endOf, std::string_view opening,
                Inner inner) {
  std::size_t copied = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (beginsTag(text, at)) {
      at += 3;
      continue;
    }
    std::size_t next = at;
    if (!starts(nextCodePoint(text, next))) {
      at = next;
      continue;
    }
    const std::size_t end = endOf(text, at);
    escapePiece(text.substr(copied, at - copied), out, line, stats);
    out.append(opening);
    inner(text.substr(at, end - at), out, line, stats);
    out.append("}");
    copied = at = end;
  }
  escapePiece(text.substr(copied), out, line, stats);
}

// A right-to-left line: each run of left-to-right text in it (from a
// letter or digit to its last such before a right-to-left letter) goes in
// \kolvoLeftToRight{...}, which lualatex and xelatex set left to right
// within the line (and pdflatex as it is), so that its words keep their
// order and the runs stand in the order the bidirectional algorithm gives.
void escapeRightToLeft(std::string_view text, std::string& out, LatexLineScripts& line,
                       EscapeStats& stats) {
  const auto endOf = [](std::string_view all, std::size_t at) {
    return runEnd(all, at, isStrongRightToLeft, keepsLeftToRight);
  };
  escapeRuns(text, out, line, stats, keepsLeftToRight, endOf, "\\kolvoLeftToRight{",
             escapePiece);
}

bool hasStrongRightToLeft(std::string_view text) {
  if (!mayHoldRightToLeftCharacter(text)) return false;
  for (std::size_t at = 0; at < text.size();) {
    if (isStrongRightToLeft(nextCodePoint(text, at))) return true;
  }
  return false;
}

bool isRightToLeftOrDigit(char32_t cp) {
  return isStrongRightToLeft(cp) || (cp >= '0' && cp <= '9');
}

// A left-to-right line with right-to-left text: each run of it (from a
// right-to-left letter to its last such letter or digit before a
// left-to-right letter; the blanks and punctuation after it go with the
// line, as the bidirectional algorithm resolves them) goes in
// \kolvoRightToLeftRun{...}, which lualatex and xelatex set right to left,
// its words in their order from the right and its digits left to right.
void escapeRightToLeftRuns(std::string_view text, std::string& out, LatexLineScripts& line,
                           EscapeStats& stats) {
  const auto endOf = [](std::string_view all, std::size_t at) {
    return runEnd(all, at, isStrongLeftToRight, isRightToLeftOrDigit);
  };
  escapeRuns(text, out, line, stats, isStrongRightToLeft, endOf, "\\kolvoRightToLeftRun{",
             escapeRightToLeft);
}

}  // namespace

bool escapeLatexText(std::string_view utf8, std::string& out, EscapeStats& stats) {
  LatexLineScripts line{utf8, stats.cjkLeaning, std::nullopt};
  if (stats.rightToLeft) {
    out.clear();
    escapeRightToLeft(utf8, out, line, stats);
    return true;
  }
  if (!stats.leftToRightOnly && hasStrongRightToLeft(utf8)) [[unlikely]] {
    out.clear();
    escapeRightToLeftRuns(utf8, out, line, stats);
    return true;
  }
  return copyWithSpecials(utf8, out, utf8.size() / 2 + 16, nextSpecial,
                          [&stats, &line](std::string& to, std::string_view, std::size_t& at) {
                            appendSpecial(to, line, at, stats);
                          });
}

}  // namespace kolvo
