#pragma once
// Text saved as UTF-16, as Windows editors save it, turned into UTF-8 so
// that the rest of the program reads it like any other input: its tags are
// tags again. The input's first two bytes say the byte order (the mark
// itself is not text and is dropped by the caller).

#include <cstdint>
#include <string>
#include <string_view>

#include "text/input_decoder.hpp"

namespace kolvo {

// What the first bytes of an input say about its encoding.
enum class ByteOrderMark : unsigned char {
  None,     // no mark: bytes as they are
  Utf8,     // EF BB BF: UTF-8, the mark dropped
  Utf16LE,  // FF FE
  Utf16BE,  // FE FF
};

// The mark that `start` begins with. A prefix of a mark that the input may
// still complete (one or two bytes of EF BB BF) gives None: callers read
// at least three bytes first, or the whole input if it is shorter.
ByteOrderMark byteOrderMarkOf(std::string_view start);

// How many bytes the mark takes.
constexpr std::size_t markSize(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::Utf8: return 3;
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE: return 2;
    case ByteOrderMark::None: break;
  }
  return 0;
}

// Decodes UTF-16 in blocks of any size, a code unit or a surrogate pair
// split between two blocks included. An unpaired surrogate, and an odd
// last byte, become U+FFFD.
class Utf16Decoder final : public InputDecoder {
 public:
  explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

  void decode(std::string_view bytes, std::string& out) override;
  void finish(std::string& out) override;

 private:
  void unit(std::uint16_t u, std::string& out);

  bool bigEndian_;
  bool haveByte_ = false;
  unsigned char byte_ = 0;         // the first byte of a unit split between blocks
  std::uint16_t highSurrogate_ = 0;  // waiting for its low half
};

}  // namespace kolvo
