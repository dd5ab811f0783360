#pragma once
// The copy loop that the RTF and LaTeX escapers share: plain runs copied as
// they are, each special byte written by the escaper's own rule.

#include <cstddef>
#include <string>
#include <string_view>

namespace kolvo {

// Copies `text` into `out` (cleared first), with each special byte that
// `next(text, from)` finds (text.size() when none is left) written by
// `append(out, text, at)`, which moves `at` past what it used. Returns false,
// leaving `out` alone, when `text` holds no special byte. `growth` is the
// room to reserve beyond the text's own size.
template <typename NextSpecial, typename AppendSpecial>
bool copyWithSpecials(std::string_view text, std::string& out, std::size_t growth,
                      NextSpecial next, AppendSpecial append) {
  std::size_t at = next(text, 0);
  if (at == text.size()) return false;
  out.clear();
  out.reserve(text.size() + growth);
  out.append(text.substr(0, at));
  while (at < text.size()) {
    append(out, text, at);
    if (at >= text.size()) break;  // a character cut short would leave `at` past the end
    const std::size_t run = next(text, at);
    out.append(text.substr(at, run - at));
    at = run;
  }
  return true;
}

}  // namespace kolvo
