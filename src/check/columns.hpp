#pragma once
// Columns count characters, as editors show them: a well-formed UTF-8
// sequence is one character, and so is every other byte (the conversion
// reads such bytes as Windows-1252, one character each).

#include <cstddef>
#include <string_view>

namespace kolvo::check {

// The number of bytes of the character that starts text[at].
std::size_t characterLength(std::string_view text, std::size_t at);

// The number of characters in `text`.
std::size_t characterCount(std::string_view text);

// Turns byte offsets of one line into 1-based columns, walking forward only:
// ask for offsets in increasing order, or start a new counter.
class ColumnCounter {
 public:
  explicit ColumnCounter(std::string_view line, std::size_t firstColumn = 1)
      : line_(line), column_(firstColumn) {}

  std::size_t columnOf(std::size_t byte);

 private:
  std::string_view line_;
  std::size_t byte_ = 0;
  std::size_t column_;
};

}  // namespace kolvo::check
