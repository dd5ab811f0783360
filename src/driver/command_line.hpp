#pragma once
// The command line: kolvo FORMAT INPUT OUTPUT OPTION.

#include <memory>
#include <span>
#include <string>

#include "markup/format.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // a file could not be read or written
inline constexpr int kExitUsage = 2;    // the command line is wrong

// Makes the fallback fonts of a typed PostScript or PDF conversion from the
// --font files (in order), preferring monospace faces for --mono; throws
// std::exception with the message for the user when one of them cannot be
// used.
using FallbackFontsFactory = std::unique_ptr<FallbackFonts> (*)(std::span<const std::string> files,
                                                              Format format, bool monospace);

// Runs the program for the given arguments and returns its exit status.
// Messages go to standard error, the document to OUTPUT. Without a factory
// the standard fonts are all there is.
int runCommandLine(int argc, const char* const* argv, FallbackFontsFactory fallback = nullptr);

}  // namespace kolvo
