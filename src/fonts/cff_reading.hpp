#pragma once
// Reading the structures of a CFF table: bytes, INDEXes, the Top DICT and
// a DICT's operators, bounds-checked so that a damaged table reads as
// nothing rather than past its end.

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace kolvo::fonts::cff {

inline constexpr unsigned kEscape = 12;
// Escaped DICT operators are numbered 1200 + their second byte.
inline constexpr unsigned kEscaped = 1200;

inline unsigned byteAt(std::string_view data, std::size_t at) {
  return at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
}

// An INDEX: each object's bounds, absolute, and where the INDEX ends.
struct Index {
  std::vector<std::size_t> offsets;  // count + 1 of them
  std::size_t end = 0;
  std::size_t count() const { return offsets.empty() ? 0 : offsets.size() - 1; }
  std::string_view object(std::string_view data, std::size_t i) const {
    return data.substr(offsets[i], offsets[i + 1] - offsets[i]);
  }
};

std::optional<Index> readIndex(std::string_view data, std::size_t at);

// The INDEXes a CFF table starts with, after its header.
struct Head {
  Index names;
  Index topDicts;
  Index strings;
  Index globalSubrs;
};

std::optional<Head> readHead(std::string_view cff);

// A DICT operand's value (integer or real); 0 for what is not a number.
double dictNumber(std::string_view data, std::size_t at);

// Calls visit(operator, operandsBegin, operatorAt) for each operator of the
// DICT in [begin, end) until it returns false.
template <typename Visit>
void forEachOperator(std::string_view data, std::size_t begin, std::size_t end, Visit visit) {
  std::size_t operands = begin;
  std::size_t at = begin;
  while (at < end) {
    const unsigned b = byteAt(data, at);
    if (b <= 21) {
      const unsigned op = b == kEscape ? kEscaped + byteAt(data, at + 1) : b;
      if (!visit(op, operands, at)) return;
      at += b == kEscape ? 2 : 1;
      operands = at;
    } else if (b == 28) {
      at += 3;
    } else if (b == 29) {
      at += 5;
    } else if (b == 30) {
      ++at;
      while (at < end && (byteAt(data, at) & 0x0F) != 0x0F && (byteAt(data, at) >> 4) != 0x0F) ++at;
      ++at;
    } else if (b >= 247 && b <= 254) {
      at += 2;
    } else {
      ++at;
    }
  }
}

// The operand starts of the operator at `operatorAt` whose operands begin
// at `operands`.
std::vector<std::size_t> operandStarts(std::string_view data, std::size_t operands, std::size_t operatorAt);

}  // namespace kolvo::fonts::cff
