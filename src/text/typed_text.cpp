#include "text/typed_text.hpp"

#include <array>

#include "markup/tag_table.hpp"

namespace kolvo {

void keepSample(std::array<char32_t, kMissingSampleCount>& samples, std::size_t& count, char32_t c) {
  for (std::size_t i = 0; i < count; ++i) {
    if (samples[i] == c) return;
  }
  if (count < samples.size()) samples[count++] = c;
}

void EscapeStats::missing(char32_t c) {
  ++missingGlyphs;
  keepSample(samples, sampleCount, c);
}

}  // namespace kolvo
