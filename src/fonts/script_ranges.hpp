#pragma once
// What Kolvo knows about scripts without asking a font: which Debian font
// package draws them (which need shaping is writers/paged/shaped_scripts.hpp).

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

}  // namespace kolvo::fonts
