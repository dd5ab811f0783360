#pragma once
// How much of a line the markup takes at once. Without --escape a line is
// cut into pieces of at most 559 bytes, and each piece is converted as a
// line of its own; the checker warns where a cut falls.

#include <cstddef>

namespace kolvo {

inline constexpr std::size_t kMaxPiece = 559;
// No bound: a line is never cut, however long (memory grows with it).
inline constexpr std::size_t kWholeLines = static_cast<std::size_t>(-1);

}  // namespace kolvo
