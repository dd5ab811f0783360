#pragma once
// The part of typed LaTeX's preamble that tells the engines apart (the
// iftex package): pdflatex loads the script encodings and CJKutf8 as
// before and shows "?" for what they lack; lualatex and xelatex load
// fontspec and set each script the text has in the first of its system
// fonts that the compiling machine has (latex_font_scripts.hpp), right to
// left where the script runs so. A font that is not installed is passed
// over, and a script none of whose fonts is installed is set in the main
// font, which may lack its glyphs: the document still compiles.

#include <string>

#include "text/latex_scripts.hpp"

namespace kolvo {

// The lines for `scripts` (not empty): both branches, each defining the
// macros the typed text uses (\kolvoScript, \kolvoCjk, \kolvoText,
// \kolvoLeftToRight, \kolvoRightToLeft, \kolvoRightToLeftRun).
std::string latexEngineBranches(const LatexScripts& scripts);

}  // namespace kolvo
