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

constexpr std::size_t totalBytes() {
  PagedByteCount count;
  for (std::size_t i = 0; i < kPagedCellCount; ++i) {
    writePagedCell(*pagedCellAt(i).cell, pagedCellAt(i).format, count);
  }
  return count.bytes;
}

struct Store {
  std::array<char, totalBytes()> bytes{};
  std::array<std::size_t, kPagedCellCount + 1> offsets{};  // cell i is [offsets[i], offsets[i + 1])
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
  for (std::size_t i = 0; i < kPagedCellCount; ++i) {
    store.offsets[i] = writer.at;
    writePagedCell(*pagedCellAt(i).cell, pagedCellAt(i).format, writer);
  }
  store.offsets[kPagedCellCount] = writer.at;
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
      return paged_cell_texts::storedText(pagedCellIndex(r, format, TextMode::Markup));
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

// The switch to the Symbol font before a run of its characters in typed
// text (`start`), or back to the body font after it.
constexpr std::string_view symbolRunText(Format format, bool start) {
  return paged_cell_texts::storedText(symbolRunCellIndex(format, start));
}

}  // namespace kolvo
