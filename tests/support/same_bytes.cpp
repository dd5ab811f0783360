#include "support/same_bytes.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace kolvo::test {
namespace {

// At most this many bytes of a line are shown, cut around the first
// difference, so that a PDF stream or a long LaTeX line stays readable.
constexpr std::size_t kShownBefore = 60;
constexpr std::size_t kShownAfter = 60;

std::size_t firstDifference(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t at = 0;
  while (at < common && a[at] == b[at]) ++at;
  return at;
}

// The part of the line of `text` that holds `offset`, from its start (or
// kShownBefore bytes before `offset`) to its line feed included (or
// kShownAfter bytes after), marked with "..." where cut.
std::string shownLine(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return "(ends here)";
  const std::size_t lineFeed = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
  const std::size_t lineStart = lineFeed == std::string_view::npos ? 0 : lineFeed + 1;
  const std::size_t lineEnd = std::min(text.find('\n', offset), text.size() - 1) + 1;
  const std::size_t from = std::max(lineStart, offset > kShownBefore ? offset - kShownBefore : 0);
  const std::size_t to = std::min(lineEnd, offset + kShownAfter);
  return (from > lineStart ? "..." : "") + ("\"" + escapedBytes(text.substr(from, to - from)) + "\"") +
         (to < lineEnd ? "..." : "");
}

}  // namespace

std::string escapedBytes(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          out += c;
        } else {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", byte);
          out += hex;
        }
    }
  }
  return out;
}

::testing::AssertionResult sameBytes(std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const std::size_t at = firstDifference(expected, actual);
  const std::string_view before = expected.substr(0, at);
  const auto line = std::count(before.begin(), before.end(), '\n') + 1;
  const std::size_t lineFeed = at == 0 ? std::string_view::npos : before.rfind('\n');
  const std::size_t column = at - (lineFeed == std::string_view::npos ? 0 : lineFeed + 1) + 1;
  return ::testing::AssertionFailure()
         << "the bytes differ first at byte offset " << at << " (line " << line << ", column "
         << column << "); expected " << expected.size() << " bytes, got " << actual.size()
         << "\n  expected line " << line << ": " << shownLine(expected, at)
         << "\n  actual   line " << line << ": " << shownLine(actual, at) << "\n";
}

}  // namespace kolvo::test
