#include "markup/run_spans.hpp"

#include <algorithm>

namespace kolvo {
namespace {

// A run is never wider than this (tens of pages of text at 36 points); the
// bound keeps the sum of widths far from any overflow.
constexpr std::uint64_t kMaxRunWidth = 1'000'000;

}  // namespace

bool RunSpans::anyIn(std::size_t from, std::size_t to) const {
  return std::any_of(runs_.begin(), runs_.end(),
                     [&](const RunSpan& run) { return run.begin < to && run.end > from; });
}

std::size_t RunSpans::measuredBytes(std::size_t from, std::size_t to,
                                    std::uint32_t pointsPerByte) const {
  std::size_t bytes = to - from;
  std::uint64_t points = 0;
  for (const RunSpan& run : runs_) {
    if (run.end <= from || run.begin >= to) continue;
    const std::size_t begin = std::max(run.begin, from);
    const std::size_t end = std::min(run.end, to);
    bytes -= end - begin;
    if (run.begin >= from && run.end <= to) points += std::min(run.width, kMaxRunWidth);
  }
  return bytes + static_cast<std::size_t>((points + pointsPerByte / 2) / pointsPerByte);
}

void RunSpans::Mover::moveBefore(std::size_t at) {
  std::vector<RunSpan>& runs = *runs_;
  for (; next_ < runs.size() && runs[next_].begin < at; ++next_) {
    runs[next_].begin = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(runs[next_].begin) + delta_);
    runs[next_].end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(runs[next_].end) + delta_);
  }
}

}  // namespace kolvo
