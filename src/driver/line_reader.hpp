#pragma once
// Reads the input in pieces of at most 559 bytes, each ending after a line
// feed where one comes first: every piece goes through the loop as a line.

#include <cstddef>
#include <string>
#include <string_view>

#include "markup/line_bounds.hpp"

namespace kolvo {

class LineReader {
 public:
  // Reads from `fd` (not owned); `name` is used in error messages.
  // `maxPiece` bounds a piece; kWholeLines gives every line whole.
  LineReader(int fd, std::string name, std::size_t maxPiece = kMaxPiece);
  // Reads from memory; `text` must outlive the reader.
  explicit LineReader(std::string_view text, std::size_t maxPiece = kMaxPiece);

  // Puts the next piece into `line` and returns true, or returns false at
  // the end of the input. Throws InputError on a read error.
  bool next(std::string& line);

  // False when the piece that next() gave last certainly holds no NUL byte
  // (each block read is searched once, which costs less than every line).
  bool pieceMayHoldNul() const { return pieceMayHoldNul_; }

 private:
  bool fill();

  int fd_ = -1;
  std::size_t maxPiece_ = kMaxPiece;
  std::string name_;
  std::string buffer_;
  std::string_view pending_;  // unread bytes, in buffer_ or the memory text
  bool eof_ = false;
  bool pendingHasNul_ = false;  // pending_ came from a block with a NUL byte
  bool pieceMayHoldNul_ = false;
};

}  // namespace kolvo
