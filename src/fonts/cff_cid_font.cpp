#include "fonts/cff_cid_font.hpp"

#include <array>
#include <cmath>
#include <vector>

#include "fonts/cff_reading.hpp"

namespace kolvo::fonts {
namespace {

using cff::byteAt;
using cff::kEscaped;

// Top DICT operators.
constexpr unsigned kCharset = 15;
constexpr unsigned kCharStrings = 17;
constexpr unsigned kPrivate = 18;
constexpr unsigned kRos = kEscaped + 30;
constexpr unsigned kCidCount = kEscaped + 34;
constexpr unsigned kFdArray = kEscaped + 36;
constexpr unsigned kFdSelect = kEscaped + 37;
// Private DICT operators.
constexpr unsigned kSubrs = 19;
constexpr unsigned kNominalWidthX = 21;
// The first custom string's SID.
constexpr std::size_t kFirstCustomSid = 391;

// What a name-keyed Top DICT says that a CID-keyed one says otherwise: the
// offsets rewritten, the encoding and the synthetic base that a CIDFont
// has not, and CID operators.
bool droppedTopOperator(unsigned op) {
  return op == kCharset || op == 16 || op == kCharStrings || op == kPrivate || op == kEscaped + 20 ||
         (op >= kRos && op <= kEscaped + 38);
}

void appendCard16(std::string& out, std::size_t value) {
  out.push_back(static_cast<char>(value >> 8 & 0xFF));
  out.push_back(static_cast<char>(value & 0xFF));
}

// A DICT integer in five bytes, whatever its value, so that a DICT's size
// does not hang on the offsets it holds.
void appendDictInteger(std::string& out, std::size_t value) {
  out.push_back(29);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift & 0xFF));
}

void appendOperator(std::string& out, unsigned op) {
  if (op >= kEscaped) {
    out.push_back(static_cast<char>(cff::kEscape));
    out.push_back(static_cast<char>(op - kEscaped));
  } else {
    out.push_back(static_cast<char>(op));
  }
}

std::string indexOf(const std::vector<std::string>& objects) {
  std::string out;
  appendCard16(out, objects.size());
  if (objects.empty()) return out;
  std::size_t total = 1;
  for (const std::string& o : objects) total += o.size();
  const unsigned offSize = total <= 0xFF ? 1 : total <= 0xFFFF ? 2 : total <= 0xFFFFFF ? 3 : 4;
  out.push_back(static_cast<char>(offSize));
  std::size_t offset = 1;
  const auto appendOffset = [&] {
    for (unsigned b = offSize; b-- > 0;) out.push_back(static_cast<char>(offset >> (8 * b) & 0xFF));
  };
  appendOffset();
  for (const std::string& o : objects) {
    offset += o.size();
    appendOffset();
  }
  for (const std::string& o : objects) out += o;
  return out;
}

// What the conversion keeps of the name-keyed table.
struct NameKeyed {
  cff::Head head;
  std::string keptTopOperators;  // operands and operators, as they were
  cff::Index charStrings;
  std::string_view privateRegion;  // the Private DICT and its local Subrs
  std::size_t privateSize = 0;
  double nominalWidthX = 0;
};

// The Private DICT at [at, at + size) and the Subrs its offsets reach,
// as one region whose inner offsets still hold.
bool readPrivate(std::string_view data, std::size_t at, std::size_t size, NameKeyed& font) {
  if (at + size > data.size()) return false;
  std::size_t end = at + size;
  bool good = true;
  cff::forEachOperator(data, at, at + size, [&](unsigned op, std::size_t operands, std::size_t) {
    if (op == kNominalWidthX) font.nominalWidthX = cff::dictNumber(data, operands);
    if (op == kSubrs) {
      const std::optional<cff::Index> subrs =
          cff::readIndex(data, at + static_cast<std::size_t>(cff::dictNumber(data, operands)));
      good = subrs.has_value();
      if (subrs) end = std::max(end, subrs->end);
    }
    return true;
  });
  font.privateRegion = data.substr(at, end - at);
  font.privateSize = size;
  return good;
}

std::optional<NameKeyed> readNameKeyed(std::string_view data) {
  std::optional<cff::Head> head = cff::readHead(data);
  if (!head) return std::nullopt;
  NameKeyed font{*head, {}, {}, {}, 0, 0};
  std::size_t charStrings = 0, privateAt = 0, privateSize = 0;
  bool cidKeyed = false;
  cff::forEachOperator(data, head->topDicts.offsets[0], head->topDicts.offsets[1],
                       [&](unsigned op, std::size_t operands, std::size_t at) {
                         const std::vector<std::size_t> starts = cff::operandStarts(data, operands, at);
                         if (op == kRos) cidKeyed = true;
                         if (op == kCharStrings && starts.size() == 1) {
                           charStrings = static_cast<std::size_t>(cff::dictNumber(data, starts[0]));
                         }
                         if (op == kPrivate && starts.size() == 2) {
                           privateSize = static_cast<std::size_t>(cff::dictNumber(data, starts[0]));
                           privateAt = static_cast<std::size_t>(cff::dictNumber(data, starts[1]));
                         }
                         if (!droppedTopOperator(op)) {
                           font.keptTopOperators += data.substr(operands, at - operands);
                           appendOperator(font.keptTopOperators, op);
                         }
                         return true;
                       });
  if (cidKeyed || charStrings == 0 || privateAt == 0) return std::nullopt;
  const std::optional<cff::Index> glyphs = cff::readIndex(data, charStrings);
  if (!glyphs || glyphs->count() == 0 || !readPrivate(data, privateAt, privateSize, font)) return std::nullopt;
  font.charStrings = *glyphs;
  return font;
}

// The charstrings of the CID-keyed table: .notdef, then one per code.
std::optional<std::vector<std::string>> charStringsByCode(std::string_view data, const NameKeyed& font,
                                                          std::span<const CodeGlyph> codes) {
  std::vector<std::string> out{std::string(font.charStrings.object(data, 0))};
  for (const CodeGlyph& code : codes) {
    if (code.glyph >= font.charStrings.count()) return std::nullopt;
    std::string charstring(font.charStrings.object(data, code.glyph));
    if (code.width) {
      const int operand = *code.width - static_cast<int>(std::lround(font.nominalWidthX));
      if (std::optional<std::string> stated = withCharstringWidth(charstring, operand)) {
        charstring = *std::move(stated);
      }
    }
    out.push_back(std::move(charstring));
  }
  return out;
}

// Where each part of the CID-keyed table starts.
struct Layout {
  std::size_t charset = 0, fdSelect = 0, charStrings = 0, fdArray = 0, privateAt = 0;
};

std::string topDictOf(const NameKeyed& font, std::size_t glyphCount, const Layout& at) {
  const std::size_t strings = font.head.strings.count();
  std::string dict;
  appendDictInteger(dict, kFirstCustomSid + strings);      // Registry: "Adobe"
  appendDictInteger(dict, kFirstCustomSid + strings + 1);  // Ordering: "Identity"
  appendDictInteger(dict, 0);
  appendOperator(dict, kRos);
  dict += font.keptTopOperators;
  appendDictInteger(dict, glyphCount);
  appendOperator(dict, kCidCount);
  const std::array<std::pair<std::size_t, unsigned>, 4> offsets = {
      {{at.charset, kCharset}, {at.fdSelect, kFdSelect}, {at.charStrings, kCharStrings}, {at.fdArray, kFdArray}}};
  for (const auto& [offset, op] : offsets) {
    appendDictInteger(dict, offset);
    appendOperator(dict, op);
  }
  return dict;
}

}  // namespace

std::optional<std::string> cidKeyedByCode(std::string_view cff, std::span<const CodeGlyph> codes) {
  const std::optional<NameKeyed> font = readNameKeyed(cff);
  if (!font || codes.size() >= 0xFFFF) return std::nullopt;
  const std::optional<std::vector<std::string>> glyphs = charStringsByCode(cff, *font, codes);
  if (!glyphs) return std::nullopt;
  const std::size_t count = glyphs->size();

  std::vector<std::string> strings;
  for (std::size_t i = 0; i < font->head.strings.count(); ++i) {
    strings.emplace_back(font->head.strings.object(cff, i));
  }
  strings.emplace_back("Adobe");
  strings.emplace_back("Identity");
  // Header (version 1.0, four bytes, four-byte offsets), then the Name INDEX as it was.
  std::string start("\1\0\4\4", 4);
  start += cff.substr(byteAt(cff, 2), font->head.names.end - byteAt(cff, 2));
  // Every offset of the Top DICT takes five bytes, so its size is known
  // before the offsets are.
  const std::size_t topIndexSize = indexOf({topDictOf(*font, count, {})}).size();
  const std::string afterTop =
      indexOf(strings) +
      std::string(cff.substr(font->head.strings.end, font->head.globalSubrs.end - font->head.strings.end));
  Layout at;
  at.charset = start.size() + topIndexSize + afterTop.size();
  std::string charset(1, '\2');  // format 2: CIDs 1 up to count - 1 for the glyphs in order
  appendCard16(charset, 1);
  appendCard16(charset, count - 2);
  if (count == 1) charset = std::string(1, '\0');  // format 0, empty: .notdef alone
  at.fdSelect = at.charset + charset.size();
  std::string fdSelect(1, '\3');  // format 3: one range, every glyph in Font DICT 0
  appendCard16(fdSelect, 1);
  appendCard16(fdSelect, 0);
  fdSelect.push_back(0);
  appendCard16(fdSelect, count);
  at.charStrings = at.fdSelect + fdSelect.size();
  const std::string charStrings = indexOf(*glyphs);
  at.fdArray = at.charStrings + charStrings.size();
  const auto fontDictAt = [&](std::size_t privateAt) {
    std::string dict;
    appendDictInteger(dict, font->privateSize);
    appendDictInteger(dict, privateAt);
    appendOperator(dict, kPrivate);
    return dict;
  };
  at.privateAt = at.fdArray + indexOf({fontDictAt(0)}).size();
  const std::string fontDict = fontDictAt(at.privateAt);

  std::string out = start + indexOf({topDictOf(*font, count, at)}) + afterTop + charset + fdSelect +
                    charStrings + indexOf({fontDict});
  out += font->privateRegion;
  return out;
}

std::optional<std::string> withCharstringWidth(std::string_view charstring, int widthOperand) {
  std::vector<std::size_t> starts;
  std::size_t at = 0;
  while (at < charstring.size()) {
    const unsigned b = byteAt(charstring, at);
    if (b >= 32 || b == 28) {
      starts.push_back(at);
      at += b == 28 ? 3 : b <= 246 ? 1 : b <= 254 ? 2 : 5;
      continue;
    }
    break;
  }
  if (at >= charstring.size()) return std::nullopt;
  const unsigned op = byteAt(charstring, at);
  const std::size_t n = starts.size();
  bool hasWidth = false;
  if (op == 1 || op == 3 || op == 18 || op == 23 || op == 19 || op == 20) {
    hasWidth = n % 2 == 1;  // stem hints come in pairs
  } else if (op == 21) {
    hasWidth = n > 2;
  } else if (op == 4 || op == 22) {
    hasWidth = n > 1;
  } else if (op == 14) {
    hasWidth = n == 1 || n == 5;
  } else {
    return std::nullopt;
  }
  std::string width;
  if (widthOperand >= -107 && widthOperand <= 107) {
    width.push_back(static_cast<char>(widthOperand + 139));
  } else if (widthOperand >= -32768 && widthOperand <= 32767) {
    width.push_back(28);
    appendCard16(width, static_cast<std::uint16_t>(static_cast<std::int16_t>(widthOperand)));
  } else {
    return std::nullopt;
  }
  const std::size_t keepFrom = hasWidth ? (n > 1 ? starts[1] : at) : 0;
  return width + std::string(charstring.substr(keepFrom));
}

}  // namespace kolvo::fonts
