#pragma once
// The bytes of every PostScript and PDF cell (paged_cells.hpp), made at
// compile time into one constant array, so that the tag table and the
// typed overrides keep string_views to constant storage as they did when
// the texts were written out by hand.

#include <array>
#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "markup/paged_cells.hpp"

namespace kolvo {

namespace paged_cell_texts {

// The cells in storage order: each row's PostScript then PDF cell, then
// the typed overrides.
inline constexpr std::size_t kCellCount = 2 * kTagRowCount + kTypedPagedCells.size();

struct StoredCell {
  const PagedCell* cell;
  Format format;
};

constexpr StoredCell storedCell(std::size_t index) {
  if (index < 2 * kTagRowCount) {
    const Format format = index % 2 == 0 ? Format::PostScript : Format::Pdf;
    return {&kPagedCells[index / 2].cell(format), format};
  }
  const TypedPagedCell& typed = kTypedPagedCells[index - 2 * kTagRowCount];
  return {&typed.cell, typed.format};
}

constexpr std::size_t totalBytes() {
  PagedByteCount count;
  for (std::size_t i = 0; i < kCellCount; ++i) {
    writePagedCell(*storedCell(i).cell, storedCell(i).format, count);
  }
  return count.bytes;
}

struct Store {
  std::array<char, totalBytes()> bytes{};
  std::array<std::size_t, kCellCount + 1> offsets{};  // cell i is [offsets[i], offsets[i + 1])
};

struct StoreWriter {
  Store& store;
  std::size_t at = 0;
  constexpr void operator()(std::string_view text) {
    for (const char c : text) store.bytes[at++] = c;
  }
};

constexpr Store build() {
  Store store;
  StoreWriter writer{store};
  for (std::size_t i = 0; i < kCellCount; ++i) {
    store.offsets[i] = writer.at;
    writePagedCell(*storedCell(i).cell, storedCell(i).format, writer);
  }
  store.offsets[kCellCount] = writer.at;
  return store;
}

inline constexpr Store kStore = build();

constexpr std::string_view storedText(std::size_t index) {
  return {kStore.bytes.data() + kStore.offsets[index],
          kStore.offsets[index + 1] - kStore.offsets[index]};
}

}  // namespace paged_cell_texts

// The text of the row of `tag` for `format` (PostScript or PDF); empty for
// a tag of no row.
constexpr std::string_view pagedText(std::string_view tag, Format format) {
  for (std::size_t r = 0; r < kTagRowCount; ++r) {
    if (kPagedCells[r].tag == tag) {
      return paged_cell_texts::storedText(2 * r + (format == Format::Pdf ? 1 : 0));
    }
  }
  return {};
}

// The override of `tag` for `format` under --escape; empty if it has none.
constexpr std::string_view typedPagedText(std::string_view tag, Format format) {
  for (std::size_t i = 0; i < kTypedPagedCells.size(); ++i) {
    if (kTypedPagedCells[i].tag == tag && kTypedPagedCells[i].format == format) {
      return paged_cell_texts::storedText(2 * kTagRowCount + i);
    }
  }
  return {};
}

}  // namespace kolvo
