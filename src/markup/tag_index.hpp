#pragma once
// The tag table indexed for the fast rewrite path: per format, which row a
// "%" and the two bytes after it begin, the rows' texts, and what each row
// can do besides putting its text in place. The look-ups are in the header:
// they run for every "%" of a line.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/row_set.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

inline constexpr std::size_t kNoRow = kTagRowCount;

// A column of the index: the texts of one format in one text mode.
using TagColumn = std::size_t;
constexpr TagColumn tagColumn(Format f, TextMode mode) {
  return column(f) + (mode == TextMode::Typed ? kFormatCount : 0);
}

class TagIndex {
 public:
  TagIndex();

  // The rows that apply to column `c` and whose tag occurs in `line`.
  RowSet rowsIn(std::string_view line, TagColumn c) const {
    RowSet rows;
    for (std::size_t at = findTag(line, 0); at != std::string_view::npos;
         at = findTag(line, at + 1)) {
      const std::size_t row = rowAt(line, at, c);
      if (row != kNoRow) rows.add(row);
    }
    return rows;
  }

  // The row of column `c` whose tag begins at `at` (a "%" with two bytes
  // after it), or kNoRow.
  std::size_t rowAt(std::string_view line, std::size_t at, TagColumn c) const {
    const std::uint8_t plusOne = rowPlusOne_[key(line[at + 1], line[at + 2])];
    if (plusOne == 0) return kNoRow;
    const std::size_t row = plusOne - 1u;
    return columns_[c].active.contains(row) ? row : kNoRow;
  }

  // The next "%" at `from` or later that has two bytes after it, or npos.
  static std::size_t findTag(std::string_view line, std::size_t from) {
    if (line.size() < 3 || from > line.size() - 3) return std::string_view::npos;
    const void* hit = std::memchr(line.data() + from, '%', line.size() - 2 - from);
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
  }

  std::string_view text(TagColumn c, std::size_t row) const { return columns_[c].text[row]; }
  // The byte classes (byte_scan.hpp) of the row's text; scan::kCleanup
  // only where the text can take part in a clean-up's match (most elements
  // of HTML and DocBook start with a "<" that cannot).
  unsigned textClasses(TagColumn c, std::size_t row) const {
    return columns_[c].textClasses[row];
  }
  // Whether putting the row's text in place can make a tag that was not there.
  bool formsTags(TagColumn c, std::size_t row) const {
    return columns_[c].formsTags.contains(row);
  }
  // The rows that must run one at a time, in order: those that can form a
  // tag and those whose effect can change the line's marks.
  const RowSet& oneByOne(TagColumn c) const { return columns_[c].oneByOne; }

  // The PDF rows whose call measures even when it replaces nothing (the
  // underline and highlight starts), in table order. (They have texts in
  // both modes.)
  const std::vector<std::size_t>& pdfMeasuringRows() const { return pdfMeasuring_; }

  // Whether `text` can take part in forming a tag of a later row: it is
  // empty (its neighbours meet), holds a "%", or starts with a byte that
  // follows the "%" of some tag. The rewrite and the checker both ask this.
  bool mayFormTags(std::string_view text) const;

 private:
  struct Column {
    RowSet active;
    RowSet formsTags;
    RowSet oneByOne;
    std::array<std::string_view, kTagRowCount> text{};
    std::array<unsigned char, kTagRowCount> textClasses{};
  };
  using ByteSet = std::array<bool, 256>;

  static std::size_t key(char second, char third) {
    return static_cast<std::size_t>(static_cast<unsigned char>(second)) << 8 |
           static_cast<unsigned char>(third);
  }
  void indexTags();
  void addRow(std::size_t row, Format f, TextMode mode);

  std::array<std::uint8_t, std::size_t{256} * 256> rowPlusOne_{};
  std::array<Column, 2 * kFormatCount> columns_{};
  std::vector<std::size_t> pdfMeasuring_;
  ByteSet tagBytes_{};  // the bytes that follow a "%" in some tag
};

static_assert(kTagRowCount < 255, "row numbers are kept in a byte");

// The one index, built on first use.
const TagIndex& tagIndex();

}  // namespace kolvo
