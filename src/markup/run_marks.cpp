#include "markup/run_marks.hpp"

#include <algorithm>

namespace kolvo {
namespace {

constexpr std::uint64_t kMaxRunWidth = 1'000'000;

}  // namespace

std::size_t measuredBytes(std::string_view text, std::uint32_t pointsPerByte) {
  std::size_t bytes = 0;
  std::uint64_t points = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(kRunMark, at);
    if (open == std::string_view::npos) {
      bytes += text.size() - at;
      break;
    }
    bytes += open - at;
    const std::size_t operators = text.find(kRunMark, open + 1);
    const std::size_t close =
        operators == std::string_view::npos ? operators : text.find(kRunMark, operators + 1);
    if (close == std::string_view::npos) break;
    // A run is never wider than the bound (tens of pages of text at 36
    // points); the bound keeps the sum far from any overflow.
    std::uint64_t width = 0;
    for (std::size_t i = open + 1; i < operators && text[i] >= '0' && text[i] <= '9'; ++i) {
      width = std::min<std::uint64_t>(width * 10 + static_cast<std::uint64_t>(text[i] - '0'), kMaxRunWidth);
    }
    points += width;
    at = close + 1;
  }
  return bytes + static_cast<std::size_t>((points + pointsPerByte / 2) / pointsPerByte);
}

std::size_t unmarkedBytes(std::string_view text) {
  std::size_t removed = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find(kRunMark, at);
    if (open == std::string_view::npos) break;
    const std::size_t operators = text.find(kRunMark, open + 1);
    if (operators == std::string_view::npos) return open;
    const std::size_t close = text.find(kRunMark, operators + 1);
    // The marks and the width, or the two marks and the width of a cut run.
    removed += operators - open + 1 + (close == std::string_view::npos ? 0 : 1);
    if (close == std::string_view::npos) break;
    at = close + 1;
  }
  return text.size() - removed;
}

void removeRunMarks(std::string& line, std::string& scratch) {
  scratch.clear();
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t open = line.find(kRunMark, at);
    if (open == std::string::npos) {
      scratch.append(line, at);
      break;
    }
    scratch.append(line, at, open - at);
    const std::size_t operators = line.find(kRunMark, open + 1);
    if (operators == std::string::npos) break;
    const std::size_t close = line.find(kRunMark, operators + 1);
    if (close == std::string::npos) {
      scratch.append(line, operators + 1);
      break;
    }
    scratch.append(line, operators + 1, close - operators - 1);
    at = close + 1;
  }
  line.swap(scratch);
}

}  // namespace kolvo
