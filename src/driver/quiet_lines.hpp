#pragma once
// The lines of a run that hold none of the bytes its warnings look for (a
// format's markup characters, the bytes that keep a line off the page
// measure's plain path, and bytes beyond ASCII where they are counted or
// weighed). Most text is such lines, and a full tally of each to learn so
// costs more than the line's conversion; one search through the bytes read
// ahead settles it for every line up to the first byte that counts.

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "text/byte_set.hpp"

namespace kolvo {

class QuietLines {
 public:
  explicit QuietLines(const ByteSet& counted) : counted_(counted) {}

  // Whether `piece`, the next piece of the input (the line as read), holds
  // no counted byte; `ahead`, what is read after it. Every piece of the
  // input must pass through here, in order: the bytes found quiet are
  // counted off piece by piece.
  bool quiet(std::string_view piece, std::string_view ahead) {
    if (quietBytes_ < piece.size()) {
      // Text where line after line counts (Cyrillic, tags on every line)
      // is not searched line after line: a piece taken for one that
      // counts is only tallied in full.
      if (unsearched_ > 0) {
        --unsearched_;
        return false;
      }
      quietBytes_ = counted_.firstIn(piece);
      if (quietBytes_ < piece.size()) {
        quietBytes_ = 0;
        backOff_ = backOff_ == 0 ? 1 : std::min(2 * backOff_, kMostBackOff);
        unsearched_ = backOff_;
        return false;
      }
      backOff_ = 0;
      quietBytes_ += counted_.firstIn(ahead.substr(0, kLookAhead));
    }
    quietBytes_ -= piece.size();
    return true;
  }

 private:
  // How far one search looks past the line: far enough to settle many
  // lines, near enough that the bytes are still in the cache when read.
  static constexpr std::size_t kLookAhead = std::size_t{1} << 16U;
  // The most pieces passed over unsearched after pieces that counted.
  static constexpr std::size_t kMostBackOff = 64;

  ByteSet counted_;
  std::size_t quietBytes_ = 0;  // from the start of the next piece
  std::size_t backOff_ = 0;     // pieces to pass over after the next that counts
  std::size_t unsearched_ = 0;  // pieces still to pass over
};

}  // namespace kolvo
