#include "markup/line_items.hpp"

#include <algorithm>

namespace kolvo {
namespace {

// A run is never wider than this (tens of pages of text at 36 points); the
// bound keeps the sum of widths far from any overflow.
constexpr std::uint64_t kMaxRunWidth = 1'000'000;

bool isRun(const LineItem& item) { return item.kind == ItemKind::FallbackRun; }

}  // namespace

bool LineItems::anyRunIn(std::size_t from, std::size_t to) const {
  if (runs_ == 0) return false;
  return std::any_of(items_.begin(), items_.end(), [&](const LineItem& item) {
    return isRun(item) && item.begin < to && item.end > from;
  });
}

std::size_t LineItems::measuredBytes(std::size_t from, std::size_t to,
                                     std::uint32_t pointsPerByte) const {
  std::size_t bytes = to - from;
  std::uint64_t points = 0;
  for (const LineItem& run : items_) {
    if (!isRun(run) || run.end <= from || run.begin >= to) continue;
    const std::size_t begin = std::max(run.begin, from);
    const std::size_t end = std::min(run.end, to);
    bytes -= end - begin;
    if (run.begin >= from && run.end <= to) points += std::min<std::uint64_t>(run.width, kMaxRunWidth);
  }
  return bytes + static_cast<std::size_t>((points + pointsPerByte / 2) / pointsPerByte);
}

void LineItems::Editor::keep(LineItem item) {
  item.begin = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(item.begin) + delta_);
  item.end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(item.end) + delta_);
  items_->spare_.push_back(item);
}

// An old item wholly before the replacement is kept; one it overlaps keeps
// its bytes before and after it (an item of no bytes right at its start
// counts as before it). What the item under the replacement's end has
// after it waits for the next replacement.
void LineItems::Editor::keepOldUpTo(std::size_t at, std::size_t removed) {
  edited_ = true;
  const std::vector<LineItem>& old = items_->items_;
  const std::size_t cutEnd = at + removed;
  // Most old items lie wholly before the replacement: moved in one go.
  if (!headCut_) {
    std::size_t before = next_;
    while (before < old.size() && old[before].end <= at) ++before;
    std::vector<LineItem>& out = items_->spare_;
    const std::size_t first = out.size();
    out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(next_),
               old.begin() + static_cast<std::ptrdiff_t>(before));
    for (std::size_t i = first; i < out.size(); ++i) {
      out[i].begin = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(out[i].begin) + delta_);
      out[i].end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(out[i].end) + delta_);
    }
    next_ = before;
  }
  while (next_ < old.size()) {
    LineItem item = old[next_];
    if (headCut_) item.begin = headBegin_;
    if (item.end <= at) {
      keep(item);
    } else if (item.begin >= cutEnd) {
      break;
    } else {
      if (item.begin < at) {
        LineItem before = item;
        before.end = at;
        keep(before);
      }
      if (item.end > cutEnd) {
        headCut_ = true;
        headBegin_ = cutEnd;
        break;
      }
    }
    ++next_;
    headCut_ = false;
  }
}

void LineItems::Editor::finishEdits() {
  const std::vector<LineItem>& old = items_->items_;
  for (; next_ < old.size(); ++next_) {
    LineItem item = old[next_];
    if (headCut_) item.begin = headBegin_;
    headCut_ = false;
    keep(item);
  }
  // Runs are moved, never cut or taken away: their count stays.
  items_->items_.swap(items_->spare_);
  items_->spare_.clear();
  edited_ = false;
}

}  // namespace kolvo
