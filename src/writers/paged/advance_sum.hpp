#pragma once
// The sum of the advances of a string's bytes, each byte a glyph: what the
// layout adds up for every string of every line laid out for a paper
// size, most of the cost of deciding that a line fits whole.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

// The advances of the glyphs `bytes` in `table`, summed.
std::uint64_t sumAdvances(std::string_view bytes, const GlyphWidths& table);

// The same, one byte after another: what sumAdvances must equal.
std::uint64_t sumAdvancesOneByOne(std::string_view bytes, const GlyphWidths& table);

// The same for a string of a few bytes, inline: the strings between the
// tags of a line of tags are too short for a gather or a call to pay for
// themselves. Four sums at once, so that the additions do not wait on one
// another. sumAdvancesOneByOne is what it must equal.
inline std::uint64_t sumShortAdvances(std::string_view bytes, const GlyphWidths& table) {
  const auto* const codes = reinterpret_cast<const unsigned char*>(bytes.data());
  std::uint64_t sums[4] = {0, 0, 0, 0};
  std::size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    for (std::size_t k = 0; k < 4; ++k) sums[k] += table[codes[i + k]];
  }
  for (; i < bytes.size(); ++i) sums[0] += table[codes[i]];
  return sums[0] + sums[1] + sums[2] + sums[3];
}

}  // namespace kolvo::paged
