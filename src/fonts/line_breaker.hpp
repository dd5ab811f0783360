#pragma once
// Where a line may break and where its grapheme clusters lie, by the
// Unicode line breaking algorithm and text segmentation rules, through
// ICU's break iterators: its dictionaries find the words of Thai, Lao,
// Khmer and Burmese text, which has no blanks between them.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "writers/paged/break_before.hpp"

namespace kolvo::fonts {

class LineBreaker {
 public:
  LineBreaker();
  ~LineBreaker();
  LineBreaker(const LineBreaker&) = delete;
  LineBreaker& operator=(const LineBreaker&) = delete;

  // The rule before each character of `text` into `out` (one per
  // character; the first is Never, for nothing stands before it). False
  // when ICU cannot open its iterators.
  bool breaks(std::u32string_view text, std::vector<BreakBefore>& out);

 private:
  struct Iterators;
  std::unique_ptr<Iterators> iterators_;  // opened on first use
  bool failed_ = false;
  std::u16string utf16_;
  // By UTF-16 unit: the character it belongs to.
  std::vector<std::uint32_t> characterOf_;
};

}  // namespace kolvo::fonts
