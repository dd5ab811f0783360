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

  constexpr bool appliesTo(Format f) const { return !latexOnly || f == Format::Latex; }
};

inline constexpr std::array<CleanupRow, 5> kCleanups = {{
    {" _", " ", false},         // drop the underscore mark after a blank
    {"#", "\\#", true},         // the one character LaTeX output escapes
    {"<c></c>", "<c> </c>", false},  // fill empty AbiWord runs
    {"\r", " ", false},
    {"\n", " ", false},
}};

}  // namespace kolvo
