#pragma once
// A set of bytes that a line is searched for sixteen bytes at a time: the
// warnings of a run ask of every line whether it holds any of a format's
// markup characters, and how many of its glyphs may be wide. A byte's two
// halves look it up (SSSE3's pshufb), so a set of any size costs the same
// few instructions; bytes beyond ASCII are all in the set or all out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace kolvo {

class ByteSet {
 public:
  ByteSet() = default;  // empty
  // The ASCII bytes of `members` and, if `beyondAscii`, every byte from 0x80.
  ByteSet(const std::array<bool, 128>& members, bool beyondAscii);

  bool has(unsigned char byte) const {
    return byte >= 0x80 ? beyondAscii_ : ((byLowNibble_[byte & 0xFU] >> (byte >> 4)) & 1U) != 0;
  }
  // How many bytes of `text` are in the set.
  std::size_t countIn(std::string_view text) const;
  // How many are in this set and how many in `other`, in one pass.
  std::pair<std::size_t, std::size_t> countBothIn(const ByteSet& other, std::string_view text) const;
  // The same, unless a byte of `text` is in `stop`: then nothing.
  std::optional<std::pair<std::size_t, std::size_t>> countBothUnless(const ByteSet& other,
                                                                     const ByteSet& stop,
                                                                     std::string_view text) const;
  bool anyIn(std::string_view text) const;
  // Where the first byte of `text` in the set lies; text.size() if none is.
  std::size_t firstIn(std::string_view text) const;

  // The ways countIn() can go, for tests that compare them; false when this
  // build or this processor does not have it.
  std::size_t countOneByOne(std::string_view text) const;
  bool countSsse3(std::string_view text, std::size_t& count) const;

 private:
  // Indexed by the low four bits: one bit for each value of the high three.
  std::array<std::uint8_t, 16> byLowNibble_{};
  bool beyondAscii_ = false;
};

}  // namespace kolvo
