#pragma once
// The long option a mistyped word most likely meant, for "did you mean".

#include <span>
#include <string_view>

#include "driver/options.hpp"

namespace kolvo {

// The option `typed` most likely stands for: one whose name begins with what
// follows the dashes ("-e", "-esc"), else the nearest by edit distance
// (a swap of two neighbours counts as one edit) if it is near enough to be
// a slip of the fingers. Empty when none is.
std::string_view nearestLongOption(std::string_view typed, std::span<const LongOption> options);

}  // namespace kolvo
