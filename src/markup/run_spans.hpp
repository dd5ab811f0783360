#pragma once
// Where the runs drawn with a fallback font lie in a typed PostScript or PDF
// line, and how wide each is. The measures that estimate widths from byte
// counts (centring, the PDF underline and highlight) count such a run by
// its true width instead of the bytes of its operators. The text step
// records the runs; every replacement of the tag rows moves those after it.
//
// A run's operators start with ") " and end with " (": no tag can form
// across its edges, and no replacement falls inside one.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kolvo {

struct RunSpan {
  std::size_t begin = 0;  // the run's operators in the line: [begin, end)
  std::size_t end = 0;
  std::uint64_t width = 0;  // in whole points

  bool operator==(const RunSpan&) const = default;
};

class RunSpans {
 public:
  void clear() { runs_.clear(); }
  bool empty() const { return runs_.empty(); }
  std::span<const RunSpan> all() const { return runs_; }

  // A run just appended to the line (after every run before it).
  void add(std::size_t begin, std::size_t end, std::uint64_t width) {
    runs_.push_back({begin, end, width});
  }

  // Whether a run lies (in part) in the bytes [from, to).
  bool anyIn(std::size_t from, std::size_t to) const;

  // How many of the bytes [from, to) a byte-count measure should see: the
  // bytes outside runs, plus the widths of the runs wholly inside divided
  // by `pointsPerByte` (rounded to the nearest byte over all of them). A
  // run only partly inside counts nothing.
  std::size_t measuredBytes(std::size_t from, std::size_t to, std::uint32_t pointsPerByte) const;

  // Moves the runs of a line along as replacements are made in it, left
  // to right, each given in the coordinates of the line before any of
  // them. No replacement may fall inside a run.
  class Mover {
   public:
    explicit Mover(RunSpans* spans) : runs_(spans != nullptr ? &spans->runs_ : nullptr) {}
    // The bytes [at, at + removed) became `inserted` bytes.
    void replaced(std::size_t at, std::size_t removed, std::size_t inserted) {
      if (runs_ == nullptr) return;
      moveBefore(at);
      delta_ += static_cast<std::ptrdiff_t>(inserted) - static_cast<std::ptrdiff_t>(removed);
    }
    // Moves the runs after the last replacement.
    void finish() {
      if (runs_ != nullptr) moveBefore(SIZE_MAX);
    }

   private:
    void moveBefore(std::size_t at);

    std::vector<RunSpan>* runs_;
    std::size_t next_ = 0;      // the runs before it have been moved
    std::ptrdiff_t delta_ = 0;  // how far the runs from next_ on move
  };

  bool operator==(const RunSpans&) const = default;

 private:
  std::vector<RunSpan> runs_;
};

}  // namespace kolvo
