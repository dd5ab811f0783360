#include "check/columns.hpp"

namespace kolvo::check {
namespace {

constexpr bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length a lead byte announces, or 1 for a byte that cannot lead.
constexpr std::size_t announcedLength(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 1;
}

}  // namespace

std::size_t characterLength(std::string_view text, std::size_t at) {
  const std::size_t length = announcedLength(static_cast<unsigned char>(text[at]));
  if (length == 1 || at + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[at + i]))) return 1;
  }
  return length;
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += characterLength(text, at)) ++count;
  return count;
}

std::size_t ColumnCounter::columnOf(std::size_t byte) {
  while (byte_ < byte && byte_ < line_.size()) {
    byte_ += characterLength(line_, byte_);
    ++column_;
  }
  return column_;
}

}  // namespace kolvo::check
