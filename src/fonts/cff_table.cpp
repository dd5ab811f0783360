#include "fonts/cff_table.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fonts/cff_reading.hpp"

namespace kolvo::fonts {
namespace cff {

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
    if (!index.offsets.empty() && dataAt + offset < index.offsets.back()) return std::nullopt;
    index.offsets.push_back(dataAt + offset);
  }
  index.end = index.offsets.back();
  if (index.end > data.size()) return std::nullopt;
  return index;
}

std::optional<Head> readHead(std::string_view cff) {
  if (cff.size() < 4 || byteAt(cff, 0) != 1) return std::nullopt;
  const std::optional<Index> names = readIndex(cff, byteAt(cff, 2));
  if (!names) return std::nullopt;
  const std::optional<Index> tops = readIndex(cff, names->end);
  if (!tops || tops->count() < 1) return std::nullopt;
  const std::optional<Index> strings = readIndex(cff, tops->end);
  if (!strings) return std::nullopt;
  const std::optional<Index> subrs = readIndex(cff, strings->end);
  if (!subrs) return std::nullopt;
  return Head{*names, *tops, *strings, *subrs};
}

double dictNumber(std::string_view data, std::size_t at) {
  const unsigned b = byteAt(data, at);
  const auto next = [&](std::size_t i) { return byteAt(data, at + i); };
  if (b >= 32 && b <= 246) return static_cast<int>(b) - 139;
  if (b >= 247 && b <= 250) return (static_cast<int>(b) - 247) * 256 + static_cast<int>(next(1)) + 108;
  if (b >= 251 && b <= 254) return -(static_cast<int>(b) - 251) * 256 - static_cast<int>(next(1)) - 108;
  if (b == 28) return static_cast<std::int16_t>(static_cast<std::uint16_t>(next(1) << 8 | next(2)));
  if (b == 29) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(next(1) << 24 | next(2) << 16 | next(3) << 8 | next(4)));
  }
  if (b != 30) return 0;
  static constexpr const char* kNibbles[] = {"0", "1", "2", "3", "4", "5", "6", "7",
                                             "8", "9", ".", "E", "E-", "", "-", ""};
  std::string text;
  for (std::size_t i = 1; at + i < data.size(); ++i) {
    const unsigned pair = next(i);
    if ((pair >> 4) == 0xF) break;
    text += kNibbles[pair >> 4];
    if ((pair & 0xF) == 0xF) break;
    text += kNibbles[pair & 0xF];
  }
  return std::strtod(text.c_str(), nullptr);
}

std::vector<std::size_t> operandStarts(std::string_view data, std::size_t operands, std::size_t operatorAt) {
  std::vector<std::size_t> starts;
  std::size_t at = operands;
  while (at < operatorAt) {
    starts.push_back(at);
    const unsigned b = byteAt(data, at);
    if (b == 28) {
      at += 3;
    } else if (b == 29) {
      at += 5;
    } else if (b == 30) {
      ++at;
      while (at < operatorAt && (byteAt(data, at) & 0x0F) != 0x0F && (byteAt(data, at) >> 4) != 0x0F) ++at;
      ++at;
    } else {
      at += b >= 247 && b <= 254 ? 2 : 1;
    }
  }
  return starts;
}

}  // namespace cff

namespace {

constexpr unsigned kCharsetOperator = 15;
constexpr unsigned kRosOperator = cff::kEscaped + 30;

}  // namespace

bool isCffTable(std::string_view cff) { return cff::readHead(cff).has_value(); }

bool isCidKeyedCff(std::string_view cff) {
  const std::optional<cff::Head> head = cff::readHead(cff);
  if (!head) return false;
  bool ros = false;
  cff::forEachOperator(cff, head->topDicts.offsets[0], head->topDicts.offsets[1],
                       [&](unsigned op, std::size_t, std::size_t) {
                         ros = op == kRosOperator;
                         return false;  // ROS must come first
                       });
  return ros;
}

std::optional<std::string> withCharset(std::string_view cff, std::span<const std::uint16_t> cids) {
  const std::optional<cff::Head> head = cff::readHead(cff);
  if (!head) return std::nullopt;
  std::size_t operand = std::string_view::npos;
  cff::forEachOperator(cff, head->topDicts.offsets[0], head->topDicts.offsets[1],
                       [&](unsigned op, std::size_t start, std::size_t at) {
                         if (op != kCharsetOperator) return true;
                         // Only a five-byte integer can take any offset in place.
                         if (at - start == 5 && cff::byteAt(cff, start) == 29) operand = start;
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
