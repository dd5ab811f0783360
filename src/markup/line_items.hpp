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
#include <utility>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolvo {

enum class ItemKind : unsigned char {
  TagText,      // a tag row's text for the format (`row`)
  CleanupText,  // what a clean-up put in the place of markup
  FallbackRun,  // a run drawn with a fallback font (`width`)
  SymbolRun,    // typed text's glyphs in the Symbol font, with the switches there and back
  LinkMarkup,   // typed text: a format's link markup before or after an address
  LinkText,     // typed PDF: an address's text as shown, which a link annotation covers (`row`: its target)
};

struct LineItem {
  std::size_t begin = 0;  // its bytes in the line: [begin, end)
  std::size_t end = 0;
  std::uint32_t width = 0;  // FallbackRun: in whole points
  std::uint16_t row = 0;    // TagText: the row of the tag table; LinkText: the target's index
  ItemKind kind = ItemKind::TagText;

  bool operator==(const LineItem&) const = default;
};

// `to` made equal to `from`, copied only when it differs.
inline void assignIfOther(std::string& to, std::string_view from) {
  if (to != from) to.assign(from);
}

// How a fallback run paints, for whoever lays its line out: it closes the
// open string and shows it with `closer`, shows each of its strings of
// codes in the font of that string at `size`, and returns to `backFont` at
// `size` before the text after it opens a new string.
struct CodeString {
  std::size_t begin = 0;  // its hex digits, counted from the run's first byte
  std::size_t end = 0;
  std::string font;       // "K0" in PDF, "KolvoK0p1" in PostScript
};
struct RunPainting {
  std::string closer;  // "Tj", or PostScript's show procedure in force
  std::string size;
  std::string backFont;
  std::vector<CodeString> strings;
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
  void clear() {
    items_.clear();
    runs_ = 0;
    paintingCount_ = 0;  // the paintings stay, for the next line's runs to fill
    linkTargets_.clear();
  }
  // Whether the texts of tag rows and clean-ups and the Symbol runs become
  // items (the default). Only a line laid out from its items needs them
  // (the paged writers under --paper, the check); the others spare each
  // replacement its bookkeeping. The fallback runs are kept either way:
  // the centring and PDF mark measures count them by width.
  void recordTexts(bool on) { recordsTexts_ = on; }
  bool recordsTexts() const { return recordsTexts_; }
  bool empty() const { return items_.empty(); }
  std::span<const LineItem> all() const { return items_; }
  std::span<const RunPainting> paintings() const { return {paintings_.data(), paintingCount_}; }
  bool hasRuns() const { return runs_ > 0; }

  // A run just appended to the line (after every item before it), and how
  // it paints (none: a run made only to be measured).
  void addRun(std::size_t begin, std::size_t end, std::uint64_t width,
              RunPainting painting = {}) {
    swapInRun(begin, end, width, painting);
  }
  // The same, taking the strings of `painting` by swapping them with those
  // of a painting of an earlier line, which it is left holding, and copying
  // its words: a run built in the same place line after line allocates
  // nothing.
  void swapInRun(std::size_t begin, std::size_t end, std::uint64_t width, RunPainting& painting) {
    constexpr std::uint64_t kWidest = UINT32_MAX;
    items_.push_back({begin, end, static_cast<std::uint32_t>(std::min(width, kWidest)), 0,
                      ItemKind::FallbackRun});
    ++runs_;
    if (paintingCount_ == paintings_.size()) paintings_.emplace_back();
    RunPainting& slot = paintings_[paintingCount_++];
    // Mostly the same as the slot holds from an earlier line: compared
    // before copied, which costs less.
    assignIfOther(slot.closer, painting.closer);
    assignIfOther(slot.size, painting.size);
    assignIfOther(slot.backFont, painting.backFont);
    slot.strings.swap(painting.strings);
  }
  // How the `n`th fallback run of the line paints.
  const RunPainting& painting(std::size_t n) const { return paintings_[n]; }

  // Glyphs of the Symbol font just appended to the line, switches included.
  void addSymbolRun(std::size_t begin, std::size_t end) {
    if (!recordsTexts_) return;
    items_.push_back({begin, end, 0, 0, ItemKind::SymbolRun});
  }

  // A link's markup just appended to the line (before or after its text).
  void addLinkMarkup(std::size_t begin, std::size_t end) {
    if (!recordsTexts_) return;
    items_.push_back({begin, end, 0, 0, ItemKind::LinkMarkup});
  }

  // An address's text just appended to the line, which a link to `target`
  // covers; a line holds no more links than a row index counts.
  void addLinkText(std::size_t begin, std::size_t end, std::string target) {
    if (!recordsTexts_ || linkTargets_.size() > UINT16_MAX) return;
    items_.push_back({begin, end, 0, static_cast<std::uint16_t>(linkTargets_.size()),
                      ItemKind::LinkText});
    linkTargets_.push_back(std::move(target));
  }
  std::span<const std::string> linkTargets() const { return linkTargets_; }

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
    // Nothing to record and nothing to move: every call is a no-op.
    explicit Editor(LineItems* items)
        : items_(items != nullptr && (items->recordsTexts_ || !items->items_.empty()) ? items
                                                                                      : nullptr) {
      if (items_ != nullptr) items_->spare_.clear();
    }
    ~Editor() = default;
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    // The bytes [at, at + removed) became `inserted` bytes of `what`.
    void replaced(std::size_t at, std::size_t removed, std::size_t inserted, InsertedText what) {
      if (items_ == nullptr) return;
      // Past the old items (the first pass of a line without runs), the
      // new one simply goes last.
      if (next_ < items_->items_.size()) keepOldUpTo(at, removed);
      put(at, removed, inserted, what);
    }
    // Takes the items after the last replacement along.
    void finish() {
      if (items_ != nullptr && edited_) finishEdits();
    }

   private:
    // Takes along the old items before the bytes [at, at + removed), and
    // the parts of those it overlaps that lie outside them.
    void keepOldUpTo(std::size_t at, std::size_t removed);
    // The replacement's own item, if it makes one.
    void put(std::size_t at, std::size_t removed, std::size_t inserted, InsertedText what) {
      edited_ = true;
      if (what.isItem && items_->recordsTexts_) {
        const auto start = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + delta_);
        items_->spare_.push_back({start, start + inserted, 0, what.row, what.kind});
      }
      delta_ += static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(removed);
    }
    void keep(LineItem item);  // an old item or what is left of it, moved by delta_
    void finishEdits();

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
  std::vector<RunPainting> paintings_;  // one per fallback run, in order, up to paintingCount_
  std::size_t paintingCount_ = 0;
  std::vector<std::string> linkTargets_;  // those of the LinkText items, by their `row`
  std::vector<LineItem> spare_;  // the next pass's result, its storage kept between lines
  bool recordsTexts_ = true;
};

// One rewritten line as the writers get it: its bytes and what they are.
// `drawing` is true for a "$s" line, whose text is never written.
struct TypedLine {
  std::string_view bytes;
  std::span<const LineItem> items;
  bool drawing = false;
  std::span<const RunPainting> runPaintings = {};  // one per fallback run among the items
  // The line as read, before the rewrite; set only for a writer that reads
  // it (Writer::readsSourceLines).
  std::string_view source = {};
  std::span<const std::string> linkTargets = {};  // by the `row` of the LinkText items
  // Typed text whose first strong character is right to left: the
  // flowing formats say so, the paged writers end it at the right margin.
  bool rightToLeft = false;
  // Typed text: the embedding level of each stretch between the tags the
  // user typed, in order; empty when all are at level 0.
  std::span<const std::uint8_t> tagGapLevels = {};
};

}  // namespace kolvo
