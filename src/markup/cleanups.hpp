#pragma once
// The fixed clean-up substitutions applied to every line after the tag table.

#include <array>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo {

struct CleanupRow {
  std::string_view pattern;
  std::string_view replacement;
  bool latexOnly;
  // What it puts in is still the user's text (a blank for a line end),
  // not markup of its own.
  bool keepsText;

  constexpr bool appliesTo(Format f) const { return !latexOnly || f == Format::Latex; }
};

inline constexpr std::array<CleanupRow, 5> kCleanups = {{
    {" _", " ", false, true},         // drop the underscore mark after a blank
    {"#", "\\#", true, false},        // the one character LaTeX output escapes
    {"<c></c>", "<c> </c>", false, false},  // fill empty AbiWord runs
    {"\r", " ", false, true},
    {"\n", " ", false, true},
}};

}  // namespace kolvo
