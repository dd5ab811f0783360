#pragma once
// Which characters beyond ASCII pdflatex sets through its own UTF-8 input
// under the typed-text prologue (T1 and TS1 loaded); any other one stops
// the run with an error.

namespace kolvo {

bool latexCanSet(char32_t cp);

}  // namespace kolvo
