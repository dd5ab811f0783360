#include "text/typed_text.hpp"

#include <array>

#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

constexpr std::size_t kTagLength = 3;

// One bit per pair of bytes after the "%": set where the pair is a tag.
class TagPairs {
 public:
  TagPairs() {
    for (const TagRow& row : kTagTable) {
      if (row.tag.size() == kTagLength) set(row.tag[1], row.tag[2]);
    }
  }
  bool contains(char second, char third) const {
    const std::size_t k = key(second, third);
    return (bits_[k / 64] >> (k % 64) & 1U) != 0;
  }

 private:
  static std::size_t key(char second, char third) {
    return std::size_t{static_cast<unsigned char>(second)} << 8 | static_cast<unsigned char>(third);
  }
  void set(char second, char third) {
    const std::size_t k = key(second, third);
    bits_[k / 64] |= std::uint64_t{1} << (k % 64);
  }
  std::array<std::uint64_t, 256 * 256 / 64> bits_{};
};

}  // namespace

bool beginsTag(std::string_view text, std::size_t at) {
  static const TagPairs pairs;
  return at + kTagLength <= text.size() && text[at] == '%' && pairs.contains(text[at + 1], text[at + 2]);
}

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
