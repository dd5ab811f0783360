#pragma once
// `kolvo --check`: the findings on standard output, a summary on standard
// error, and an exit status that says whether anything was found.

#include "driver/command_line.hpp"
#include "driver/options.hpp"

namespace kolvo {

// Returns 0 when no warning or error was found, 1 when one was or INPUT
// could not be read. `fallback` makes the fonts that typed PostScript and
// PDF may draw with beyond the standard ones.
int runCheck(const CheckSettings& settings, bool standardInputClosed, bool standardOutputClosed,
             FallbackFontsFactory fallback = nullptr);

}  // namespace kolvo
