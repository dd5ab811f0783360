#pragma once
// Reads the input in pieces of at most 559 bytes, each ending after a line
// feed where one comes first: every piece goes through the loop as a line.
// A byte-order mark at the start of the input is not text: a UTF-8 one is
// dropped, and after a UTF-16 one the input is read as UTF-16 and given out
// as UTF-8, so that its tags are read as tags. Input in an encoding the
// user names (--encoding) is given out as UTF-8 the same way.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "markup/line_bounds.hpp"
#include "text/input_decoder.hpp"

namespace kolvo {

class LineReader {
 public:
  // Reads from `fd` (not owned); `name` is used in error messages.
  // `maxPiece` bounds a piece; kWholeLines gives every line whole.
  // `decoder`, if given, reads the input's encoding (no byte-order mark
  // is then looked for).
  LineReader(int fd, std::string name, std::size_t maxPiece = kMaxPiece,
             std::unique_ptr<InputDecoder> decoder = nullptr);
  // Reads from memory; `text` must outlive the reader.
  explicit LineReader(std::string_view text, std::size_t maxPiece = kMaxPiece,
                      std::unique_ptr<InputDecoder> decoder = nullptr);

  // Puts the next piece into `line` and returns true, or returns false at
  // the end of the input. Throws InputError on a read error.
  bool next(std::string& line);

  // Puts the bytes read and not yet given out into `block`, lines cut
  // anywhere, and returns true; false at the end of the input. For a
  // reading that looks for a few bytes and needs no lines of most of them.
  // Throws InputError on a read error.
  bool nextBlock(std::string_view& block);

  // False when the piece that next() gave last certainly holds no NUL byte
  // (each block read is searched once, which costs less than every line).
  bool pieceMayHoldNul() const { return pieceMayHoldNul_; }
  // The bytes of the last piece where they were read (the same as the line
  // next gave), or empty when the piece straddles two reads. A pass over
  // them need not wait for the copy into the line to settle.
  std::string_view pieceAsRead() const { return pieceAsRead_; }
  // The bytes read after the last piece and not given out yet: the next
  // pieces begin with them. Valid until the next call of next().
  std::string_view readAhead() const { return pending_; }

  // Whether the text read so far (decoded) looked like a binary file in
  // its first 64 KiB: a NUL byte, or many control bytes.
  bool looksBinary() const { return looksBinary_; }

 private:
  bool fill();
  // One read into `at`; 0 at the end of the input.
  std::size_t readSome(char* at, std::size_t room);
  // The first block without its mark; starts decoding UTF-16 after one.
  std::string_view takeMark(std::string_view first);
  // Makes `raw` (decoded, if need be) the pending bytes; false if none.
  bool setPending(std::string_view raw);
  // The end of decoded input: what its decoder still holds, if anything.
  bool finishDecoding();
  // Looks at the start of the text for signs of a binary file.
  void inspect(std::string_view text);

  int fd_ = -1;
  std::size_t maxPiece_ = kMaxPiece;
  std::string name_;
  std::string buffer_;
  std::string_view pending_;  // unread bytes, in buffer_ or the memory text
  bool eof_ = false;
  bool started_ = false;  // the first block was read and its mark taken
  std::unique_ptr<InputDecoder> decoder_;  // UTF-16 after its mark, or --encoding
  std::string decoded_;
  bool pendingHasNul_ = false;  // pending_ came from a block with a NUL byte
  bool pieceMayHoldNul_ = false;
  std::string_view pieceAsRead_;
  std::size_t inspected_ = 0;  // bytes of the text looked at for signs of a binary file
  std::size_t controls_ = 0;   // control bytes among them
  bool looksBinary_ = false;
};

}  // namespace kolvo
