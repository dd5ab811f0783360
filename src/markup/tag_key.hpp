#pragma once
// A tag ("%" and two letters or digits) as a small number, for tables
// that find a tag's row or cell in one step: the program's start asks
// them for every row in every format.

#include <cstddef>
#include <string_view>

namespace kolvo {

constexpr bool isTagByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

inline constexpr std::size_t kTagByteValues = 62;  // digits, capitals, small letters
inline constexpr std::size_t kTagKeyCount = kTagByteValues * kTagByteValues;

constexpr std::size_t tagByteValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::size_t>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<std::size_t>(c - 'A') + 10;
  return static_cast<std::size_t>(c - 'a') + 36;
}

// Whether `tag` has the shape of a tag, so that tagKey() may be asked.
constexpr bool hasTagShape(std::string_view tag) {
  return tag.size() == 3 && tag[0] == '%' && isTagByte(tag[1]) && isTagByte(tag[2]);
}

// The key of a tag of that shape, below kTagKeyCount.
constexpr std::size_t tagKey(std::string_view tag) {
  return tagByteValue(tag[1]) * kTagByteValues + tagByteValue(tag[2]);
}

// The index of the two bytes after a "%" among all 65,536 pairs, whatever
// they are: the bit of kTagPairBits that says whether they make a tag.
constexpr std::size_t tagPairIndex(char second, char third) {
  return std::size_t{static_cast<unsigned char>(second)} << 8 | static_cast<unsigned char>(third);
}

}  // namespace kolvo
