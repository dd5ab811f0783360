#include "fonts/cff_table.hpp"

#include <vector>

namespace kolvo::fonts {
namespace {

constexpr unsigned kCharsetOperator = 15;
constexpr unsigned kEscape = 12;
constexpr unsigned kRosOperator = 30;  // after the escape byte

unsigned byteAt(std::string_view data, std::size_t at) {
  return at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
}

// An INDEX at `at`: where its data starts and each object's bounds.
struct Index {
  std::vector<std::size_t> offsets;  // absolute, count + 1 of them
  std::size_t end = 0;
};

std::optional<Index> readIndex(std::string_view data, std::size_t at) {
  const unsigned count = byteAt(data, at) << 8 | byteAt(data, at + 1);
  Index index;
  if (count == 0) {
    index.end = at + 2;
    return index;
  }
  const unsigned offSize = byteAt(data, at + 2);
  if (offSize < 1 || offSize > 4) return std::nullopt;
  const std::size_t offsetsAt = at + 3;
  const std::size_t dataAt = offsetsAt + (static_cast<std::size_t>(count) + 1) * offSize - 1;
  for (unsigned i = 0; i <= count; ++i) {
    std::size_t offset = 0;
    for (unsigned b = 0; b < offSize; ++b) offset = offset << 8 | byteAt(data, offsetsAt + static_cast<std::size_t>(i) * offSize + b);
    index.offsets.push_back(dataAt + offset);
  }
  index.end = index.offsets.back();
  if (index.end > data.size()) return std::nullopt;
  return index;
}

// The Top DICT of `cff`, as bounds in it.
std::optional<std::pair<std::size_t, std::size_t>> topDict(std::string_view cff) {
  const std::size_t header = byteAt(cff, 2);
  const std::optional<Index> names = readIndex(cff, header);
  if (!names) return std::nullopt;
  const std::optional<Index> tops = readIndex(cff, names->end);
  if (!tops || tops->offsets.size() < 2) return std::nullopt;
  return std::make_pair(tops->offsets[0], tops->offsets[1]);
}

// Calls visit(operator, operandStart) for each operator of the DICT in
// [begin, end); escaped operators are 1200 + the second byte.
template <typename Visit>
void forEachOperator(std::string_view data, std::size_t begin, std::size_t end, Visit visit) {
  std::size_t operands = begin;
  std::size_t at = begin;
  while (at < end) {
    const unsigned b = byteAt(data, at);
    if (b <= 21) {
      const unsigned op = b == kEscape ? 1200 + byteAt(data, at + 1) : b;
      if (!visit(op, operands, at)) return;
      at += b == kEscape ? 2 : 1;
      operands = at;
    } else if (b == 28) {
      at += 3;
    } else if (b == 29) {
      at += 5;
    } else if (b == 30) {
      ++at;
      while (at < end && (byteAt(data, at) & 0x0F) != 0x0F && (byteAt(data, at) >> 4) != 0x0F) ++at;
      ++at;
    } else if (b >= 247 && b <= 254) {
      at += 2;
    } else {
      ++at;
    }
  }
}

}  // namespace

bool isCidKeyedCff(std::string_view cff) {
  if (cff.size() < 4 || byteAt(cff, 0) != 1) return false;
  const auto dict = topDict(cff);
  if (!dict) return false;
  bool ros = false;
  forEachOperator(cff, dict->first, dict->second, [&](unsigned op, std::size_t, std::size_t) {
    ros = op == 1200 + kRosOperator;
    return false;  // ROS must come first
  });
  return ros;
}

std::optional<std::string> withCharset(std::string_view cff, std::span<const std::uint16_t> cids) {
  const auto dict = topDict(cff);
  if (!dict) return std::nullopt;
  std::size_t operand = std::string_view::npos;
  forEachOperator(cff, dict->first, dict->second, [&](unsigned op, std::size_t start, std::size_t at) {
    if (op != kCharsetOperator) return true;
    // Only a five-byte integer can take any offset in place.
    if (at - start == 5 && byteAt(cff, start) == 29) operand = start;
    return false;
  });
  if (operand == std::string_view::npos) return std::nullopt;
  std::string out(cff);
  const std::size_t offset = out.size();
  for (std::size_t i = 0; i < 4; ++i) out[operand + 1 + i] = static_cast<char>(offset >> (24 - 8 * i) & 0xFF);
  out.push_back(0);  // format 0: one CID per glyph after .notdef
  for (const std::uint16_t cid : cids) {
    out.push_back(static_cast<char>(cid >> 8));
    out.push_back(static_cast<char>(cid & 0xFF));
  }
  return out;
}

}  // namespace kolvo::fonts
