#pragma once
// The documents of the reader sweep (tools/reader-sweep.sh): real tags in
// random order, nested or crossed, among prose, punctuation and everything
// else the generator makes. A quarter are "plain": ASCII whose text, tags
// aside, holds none of LaTeX's special characters, with every style tag
// paired with its end on its line and no line long enough to be cut, so
// that their LaTeX must compile even without --escape.

#include <cstdint>
#include <string>
#include <string_view>

#include "support/document_generator.hpp"

namespace kolvo::test {

struct SweepDocument {
  std::string text;
  bool plain = false;
};

// The `index`th document of the sweep of `seed`: each is made from its own
// seed, so that one can be made again without the others.
SweepDocument sweepDocument(std::uint64_t seed, std::uint64_t index);

// The ten characters LaTeX reads as markup.
inline constexpr std::string_view kLatexSpecials = "#$%&~_^\\{}";

}  // namespace kolvo::test
