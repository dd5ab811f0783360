#include "text/line_look.hpp"

#include <cstddef>

#include "text/paragraph_direction.hpp"

namespace kolvo {

LineLook lookAtLine(std::string_view utf8) {
  LineLook look;
  const char* const bytes = utf8.data();
  const std::size_t size = utf8.size();
  std::size_t at = 0;
#if defined(__SSE2__)
  // Sixteen bytes a step; the last step is the sixteen that end the line,
  // overlapping the one before (a mark found twice is still one).
  if (size >= 16) {
    const __m128i atSign = _mm_set1_epi8('@');
    const __m128i slash = _mm_set1_epi8('/');
    unsigned links = 0;       // "@", or a "/" after a "/"
    unsigned high = 0;        // bytes from D6 on
    unsigned lastSlash = 0;   // the step before ended in "/"
    for (;;) {
      const std::size_t from = at + 16 <= size ? at : size - 16;
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
      const auto slashes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, slash)));
      // A pair across the edge of two steps: the last step, where it
      // overlaps the one before, holds both of its bytes.
      const unsigned slashBefore = slashes << 1 | (from == at ? lastSlash : 0);
      links |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, atSign))) | (slashes & slashBefore);
      high |= rightToLeftLeadBits(block);
      if ((links != 0 && high != 0) || from + 16 == size) break;
      lastSlash = slashes >> 15;
      at += 16;
    }
    look.mayHoldLinks = links != 0;
    look.mayHoldRightToLeft = high != 0;
    return look;
  }
#endif
  for (; at < size; ++at) {
    const char c = bytes[at];
    look.mayHoldLinks = look.mayHoldLinks || c == '@' || (c == '/' && at + 1 < size && bytes[at + 1] == '/');
    look.mayHoldRightToLeft = look.mayHoldRightToLeft || static_cast<unsigned char>(c) >= kRightToLeftLeadFloor;
  }
  return look;
}

}  // namespace kolvo
