#pragma once
// Typed LaTeX's runs of characters in a script of its own (latex_scripts.hpp):
// each run is set in place in its script's font, a Cyrillic word as
// "{\fontencoding{T2A}\selectfont ...}", Chinese as
// "\begin{CJK}{UTF8}{gbsn}...\end{CJK}", the characters as UTF-8 that
// pdflatex's own input encoding turns into the encoding's commands.

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

}  // namespace kolvo
