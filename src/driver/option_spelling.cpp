#include "driver/option_spelling.hpp"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kolvo {
namespace {

std::string_view withoutDashes(std::string_view word) {
  const std::size_t start = word.find_first_not_of('-');
  return start == std::string_view::npos ? std::string_view() : word.substr(start);
}

// Edits that turn `a` into `b`: insertions, deletions, substitutions, and
// swaps of two neighbouring characters.
std::size_t editDistance(std::string_view a, std::string_view b) {
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * width);
  for (std::size_t i = 0; i <= a.size(); ++i) d[i * width] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      std::size_t best = std::min({d[(i - 1) * width + j] + 1, d[i * width + j - 1] + 1,
                                   d[(i - 1) * width + j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        best = std::min(best, d[(i - 2) * width + j - 2] + 1);
      }
      d[i * width + j] = best;
    }
  }
  return d[a.size() * width + b.size()];
}

}  // namespace

std::string_view nearestLongOption(std::string_view typed, std::span<const LongOption> options) {
  const std::string_view stem = withoutDashes(typed);
  if (stem.empty()) return {};
  for (const LongOption& option : options) {
    if (withoutDashes(option.name).starts_with(stem)) return option.name;
  }
  // A third of the word may be wrong, and at least one character.
  std::size_t allowed = std::max<std::size_t>(1, stem.size() / 3);
  std::string_view nearest;
  for (const LongOption& option : options) {
    const std::size_t distance = editDistance(stem, withoutDashes(option.name));
    if (distance <= allowed) {
      nearest = option.name;
      allowed = distance == 0 ? 0 : distance - 1;
    }
  }
  return nearest;
}

}  // namespace kolvo
