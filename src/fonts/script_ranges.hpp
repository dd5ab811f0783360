#pragma once
// What Kolvo knows about scripts without asking a font: which Debian font
// package draws them (which need shaping is writers/paged/shaped_scripts.hpp).

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kolvo::fonts {

struct ScriptRange {
  char32_t first;
  char32_t last;
  std::string_view script;
  std::string_view package;  // a Debian package with a font that has it
};

// The range `c` falls in, or nullptr.
const ScriptRange* scriptRange(char32_t c);

// What would draw `missing`, characters no installed font has: the font
// packages not yet installed that would, each with its characters
// ("fonts-noto-cjk would draw U+4E2D U+56FD"); for private-use characters,
// that only a font made for them does; for the rest (no package known, or
// one that is installed already and still lacks them), that no known
// package does. `installed` says whether a package is installed. Empty
// when `missing` is.
std::string missingGlyphHint(std::span<const char32_t> missing,
                             const std::function<bool(std::string_view)>& installed);

// Whether the Debian package `name` is installed, by dpkg's list of its
// files; true where there is no dpkg database to ask, so that a package is
// named only where it is known to be missing.
bool debianPackageInstalled(std::string_view name);

}  // namespace kolvo::fonts
