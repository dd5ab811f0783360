#pragma once
// What Kolvo knows about scripts without asking a font: which need shaping
// or right-to-left layout (Kolvo draws neither, so their characters become
// "?"), and which Debian font package draws the others.

#include <string_view>

namespace kolvo::fonts {

struct ScriptRange {
  char32_t first;
  char32_t last;
  std::string_view script;
  bool needsShaping;
  std::string_view package;  // a Debian package with a font that has it
};

// Whether `c` belongs to a script that needs shaping or right-to-left.
bool needsShaping(char32_t c);

// The range `c` falls in, or nullptr.
const ScriptRange* scriptRange(char32_t c);

}  // namespace kolvo::fonts
