#pragma once
// A set of tag rows, by position in the table: what the fast rewrite path
// keeps of the rows that still have work to do on a line.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "markup/tag_table.hpp"

namespace kolvo {

class RowSet {
 public:
  void add(std::size_t row) { bits_[row / 64] |= std::uint64_t{1} << (row % 64); }
  void remove(std::size_t row) { bits_[row / 64] &= ~(std::uint64_t{1} << (row % 64)); }
  bool empty() const { return (bits_[0] | bits_[1]) == 0; }
  bool contains(std::size_t row) const { return (bits_[row / 64] >> (row % 64) & 1) != 0; }
  RowSet operator&(const RowSet& other) const {
    RowSet both;
    for (std::size_t w = 0; w < bits_.size(); ++w) both.bits_[w] = bits_[w] & other.bits_[w];
    return both;
  }
  RowSet without(const RowSet& other) const {
    RowSet rest;
    for (std::size_t w = 0; w < bits_.size(); ++w) rest.bits_[w] = bits_[w] & ~other.bits_[w];
    return rest;
  }
  // The lowest and the highest row in the set; the set must not be empty.
  std::size_t first() const {
    return bits_[0] != 0 ? static_cast<std::size_t>(std::countr_zero(bits_[0]))
                         : 64 + static_cast<std::size_t>(std::countr_zero(bits_[1]));
  }
  std::size_t last() const {
    return bits_[1] != 0 ? 127 - static_cast<std::size_t>(std::countl_zero(bits_[1]))
                         : 63 - static_cast<std::size_t>(std::countl_zero(bits_[0]));
  }
  // Keeps only the rows at `from` and later.
  void dropBelow(std::size_t from) {
    for (std::size_t word = 0; word < bits_.size(); ++word) {
      const std::size_t low = word * 64;
      if (from >= low + 64) {
        bits_[word] = 0;
      } else if (from > low) {
        bits_[word] &= ~std::uint64_t{0} << (from - low);
      }
    }
  }
  // Keeps only the rows before `to`.
  void dropFrom(std::size_t to) {
    for (std::size_t word = 0; word < bits_.size(); ++word) {
      const std::size_t low = word * 64;
      if (to <= low) {
        bits_[word] = 0;
      } else if (to < low + 64) {
        bits_[word] &= ~(~std::uint64_t{0} << (to - low));
      }
    }
  }

 private:
  std::array<std::uint64_t, 2> bits_{};
};

static_assert(kTagRowCount <= 128, "a RowSet holds 128 rows");

}  // namespace kolvo
