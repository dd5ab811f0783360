#pragma once
// The basic Greek letters of typed LaTeX outside a Greek font: math
// symbols, which every LaTeX has, and the capitals that have no symbol of
// their own as the Latin letters they look like.

#include <array>
#include <string_view>

namespace kolvo {

// Indexed from U+0391 and U+03B1; U+03A2 is unassigned.
inline constexpr std::array<std::string_view, 25> kGreekCapitals = {
    "A", "B", "\\ensuremath{\\Gamma}", "\\ensuremath{\\Delta}", "E", "Z", "H",
    "\\ensuremath{\\Theta}", "I", "K", "\\ensuremath{\\Lambda}", "M", "N",
    "\\ensuremath{\\Xi}", "O", "\\ensuremath{\\Pi}", "P", "", "\\ensuremath{\\Sigma}", "T",
    "\\ensuremath{\\Upsilon}", "\\ensuremath{\\Phi}", "X", "\\ensuremath{\\Psi}",
    "\\ensuremath{\\Omega}"};
inline constexpr std::array<std::string_view, 25> kGreekSmall = {
    "\\ensuremath{\\alpha}", "\\ensuremath{\\beta}", "\\ensuremath{\\gamma}",
    "\\ensuremath{\\delta}", "\\ensuremath{\\varepsilon}", "\\ensuremath{\\zeta}",
    "\\ensuremath{\\eta}", "\\ensuremath{\\theta}", "\\ensuremath{\\iota}",
    "\\ensuremath{\\kappa}", "\\ensuremath{\\lambda}", "\\ensuremath{\\mu}",
    "\\ensuremath{\\nu}", "\\ensuremath{\\xi}", "\\ensuremath{o}", "\\ensuremath{\\pi}",
    "\\ensuremath{\\rho}", "\\ensuremath{\\varsigma}", "\\ensuremath{\\sigma}",
    "\\ensuremath{\\tau}", "\\ensuremath{\\upsilon}", "\\ensuremath{\\varphi}",
    "\\ensuremath{\\chi}", "\\ensuremath{\\psi}", "\\ensuremath{\\omega}"};

// The letter's text, empty for any other character.
constexpr std::string_view greekSymbolText(char32_t cp) {
  if (cp >= 0x391 && cp < 0x391 + kGreekCapitals.size()) return kGreekCapitals[cp - 0x391];
  if (cp >= 0x3B1 && cp < 0x3B1 + kGreekSmall.size()) return kGreekSmall[cp - 0x3B1];
  return {};
}

}  // namespace kolvo
