#pragma once
// Typed LaTeX's runs of characters in a script of its own (latex_scripts.hpp):
// each run is set in place in its script's font, a Cyrillic word as
// "\kolvoScript{T2A}{...}", Chinese as "\kolvoCjk{gbsn}{...}", the
// characters as UTF-8 that pdflatex's own input encoding turns into the
// encoding's commands (and lualatex and xelatex read as they are). The
// characters only lualatex and xelatex show (latex_font_scripts.hpp) carry
// both forms, "\kolvoText{Hebrew}{????}{...}": the preamble's macro picks
// one by the engine.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/latex_scripts.hpp"
#include "text/typed_text.hpp"

namespace kolvo {

// What a line's runs share: the CJK family its Han characters take, found
// from the whole line the first time it is asked for.
struct LatexLineScripts {
  std::string_view line;
  CjkFamily documentLeaning;
  std::optional<CjkFamily> preferred;

  CjkFamily preferredFamily() {
    if (!preferred) preferred = preferredCjkFamily(line, documentLeaning);
    return *preferred;
  }
};

// Writes the run that starts at `at` of `line.line` with a character of
// `script` (latexScriptOf), and moves `at` past it: the script's
// characters and the blanks between two of them. A run of the basic Greek
// letters alone keeps their math symbols; a CJK character that no family
// has a font for becomes "?" and is counted in `stats`.
void appendScriptRun(std::string& out, LatexLineScripts& line, std::size_t& at,
                     LatexScript script, EscapeStats& stats);


// Writes the run that starts at `at` of `text` with a character that only
// lualatex and xelatex show (latexShowsOnlyBeyondPdftex), and moves `at`
// past it: the characters of the same row of kLatexFontScripts and the
// blanks between two of them, with pdflatex's form ("?" for each
// character, counted in `stats`, as before lualatex could show them).
void appendFontScriptRun(std::string& out, std::string_view text, std::size_t& at,
                         EscapeStats& stats);

}  // namespace kolvo
