#pragma once
// What the bytes of a rewritten line are, beside the bytes themselves: the
// typed line that the rewrite hands the writers. Every byte is the user's
// text but where an item says otherwise: a tag row's text, a clean-up's, or
// a run drawn with a fallback font, with its width. The text step records
// the runs; every replacement of the tag rows and clean-ups records its
// text and moves the items after it. No byte of the line carries any of it.
//
// A run's operators (a fallback run's, a Symbol run's) start with ")" and
// end with "(": no tag can form across their edges, and no replacement
// falls inside one. A tag row's text
// can lose bytes to a later replacement (the "%" of the percent row forming
// a tag with the text after it): what is left of it stays an item of its
// row.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kolvo {

enum class ItemKind : unsigned char {
  TagText,      // a tag row's text for the format (`row`)
  CleanupText,  // what a clean-up put in the place of markup
  FallbackRun,  // a run drawn with a fallback font (`width`)
  SymbolRun,    // typed text's glyphs in the Symbol font, with the switches there and back
};

struct LineItem {
  std::size_t begin = 0;  // its bytes in the line: [begin, end)
  std::size_t end = 0;
  std::uint32_t width = 0;  // FallbackRun: in whole points
  std::uint16_t row = 0;    // TagText: the row of the tag table
  ItemKind kind = ItemKind::TagText;

  bool operator==(const LineItem&) const = default;
};

// What a replacement puts in: the user's text (the clean-ups that only
// change it), or an item.
struct InsertedText {
  bool isItem = false;
  ItemKind kind = ItemKind::TagText;
  std::uint16_t row = 0;

  static constexpr InsertedText text() { return {}; }
  static constexpr InsertedText tagRow(std::size_t row) {
    return {true, ItemKind::TagText, static_cast<std::uint16_t>(row)};
  }
  static constexpr InsertedText cleanup() { return {true, ItemKind::CleanupText, 0}; }
};

class LineItems {
 public:
  void clear() { items_.clear(); }
  bool empty() const { return items_.empty(); }
  std::span<const LineItem> all() const { return items_; }
  bool hasRuns() const { return runs_ > 0; }

  // A run just appended to the line (after every item before it).
  void addRun(std::size_t begin, std::size_t end, std::uint64_t width) {
    constexpr std::uint64_t kWidest = UINT32_MAX;
    items_.push_back({begin, end, static_cast<std::uint32_t>(std::min(width, kWidest)), 0,
                      ItemKind::FallbackRun});
    ++runs_;
  }

  // Glyphs of the Symbol font just appended to the line, switches included.
  void addSymbolRun(std::size_t begin, std::size_t end) {
    items_.push_back({begin, end, 0, 0, ItemKind::SymbolRun});
  }

  // Whether a fallback run lies (in part) in the bytes [from, to).
  bool anyRunIn(std::size_t from, std::size_t to) const;

  // How many of the bytes [from, to) a byte-count measure should see: the
  // bytes outside runs, plus the widths of the runs wholly inside divided
  // by `pointsPerByte` (rounded to the nearest byte over all of them). A
  // run only partly inside counts nothing.
  std::size_t measuredBytes(std::size_t from, std::size_t to, std::uint32_t pointsPerByte) const;

  // Records the replacements of one pass over a line, left to right, each
  // given in the coordinates of the line before any of them; the items
  // become those of the result once the pass is finished. No replacement
  // may fall inside a run.
  class Editor {
   public:
    explicit Editor(LineItems* items) : items_(items) {
      if (items_ != nullptr) items_->spare_.clear();
    }
    ~Editor() = default;
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // The bytes [at, at + removed) became `inserted` bytes of `what`.
    void replaced(std::size_t at, std::size_t removed, std::size_t inserted, InsertedText what) {
      if (items_ == nullptr) return;
      if (next_ < items_->items_.size()) return record(at, removed, inserted, what);
      // Past the old items (the first pass of a line without runs): the
      // new one simply goes last.
      edited_ = true;
      if (what.isItem) {
        const auto start = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + delta_);
        items_->spare_.push_back({start, start + inserted, 0, what.row, what.kind});
      }
      delta_ += static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(removed);
    }
    // Takes the items after the last replacement along.
    void finish();

   private:
    void record(std::size_t at, std::size_t removed, std::size_t inserted, InsertedText what);
    void keep(LineItem item);  // an old item or what is left of it, moved by delta_

    LineItems* items_;
    std::size_t next_ = 0;        // the old items before it are done with
    std::size_t headBegin_ = 0;   // where the old item next_ starts, when cut at its front
    bool headCut_ = false;
    std::ptrdiff_t delta_ = 0;    // how far the old items from next_ on move
    bool edited_ = false;
  };

  bool operator==(const LineItems& other) const { return items_ == other.items_; }

 private:
  std::vector<LineItem> items_;
  std::size_t runs_ = 0;
  std::vector<LineItem> spare_;  // the next pass's result, its storage kept between lines
};

// One rewritten line as the writers get it: its bytes and what they are.
// `drawing` is true for a "$s" line, whose text is never written.
struct TypedLine {
  std::string_view bytes;
  std::span<const LineItem> items;
  bool drawing = false;
};

}  // namespace kolvo
