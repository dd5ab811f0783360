#pragma once
// What the program and the font module (kolvo-fonts.so) agree on: the
// name of the module's one function and what it is asked. Both are built
// from this tree by the same compiler, so they share C++ types; an error
// comes back as a message, never as an exception across the two.

#include <cstddef>
#include <string>

#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

inline constexpr const char* kPluginFile = "kolvo-fonts.so";
inline constexpr const char* kPluginFunction = "kolvo_fonts_make";

struct PluginRequest {
  const std::string* files = nullptr;  // the --font files, in order
  std::size_t fileCount = 0;
  bool useFontconfig = true;
  bool preferMonospace = false;  // --mono
  bool clusterTextInCodes = false;  // PostScript (FallbackFontOptions)
};

// The module's function: new fallback fonts, or nullptr with `error` set.
using PluginFunction = FallbackFonts* (*)(const PluginRequest* request, std::string* error) noexcept;

}  // namespace kolvo::fonts
