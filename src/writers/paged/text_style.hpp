#pragma once
// The state of the text in a PostScript or PDF line that the tags change
// and that outlasts a line break: font, size, colour and (PDF) rise.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstddef>
#include <stdexcept>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo::paged {

// One word of a style ("Times-Roman", "12", "1 0 0"), held in place rather
// than on the heap: a laid-out line copies and compares its styles for
// every piece and string it paints, and with strings that was most of the
// cost of laying it out. The bytes after the word are zero, so that two
// words compare as two blocks. Every font name, size, colour and rise the
// texts write, and the fallback fonts' names, fit.
class StyleWord {
 public:
  static constexpr std::size_t kCapacity = 23;

  constexpr StyleWord() = default;
  // cppcheck-suppress noExplicitConstructor ; a literal is a word
  constexpr StyleWord(const char* text) { assign(text); }  // NOLINT: a literal is a word
  constexpr explicit StyleWord(std::string_view text) { assign(text); }
  constexpr StyleWord& operator=(std::string_view text) {
    assign(text);
    return *this;
  }
  constexpr StyleWord& operator=(const char* text) { return *this = std::string_view(text); }

  constexpr operator std::string_view() const { return {bytes_.data(), size_}; }  // NOLINT
  constexpr std::string_view view() const { return *this; }
  constexpr bool empty() const { return size_ == 0; }
  constexpr std::size_t size() const { return size_; }
  constexpr const char* data() const { return bytes_.data(); }

  // Three eight-byte words each, compared without a call.
  friend constexpr bool operator==(const StyleWord& a, const StyleWord& b) {
    using Blocks = std::array<std::uint64_t, 3>;
    return std::bit_cast<Blocks>(a) == std::bit_cast<Blocks>(b);
  }

 private:
  constexpr void assign(std::string_view text) {
    if (text.size() > kCapacity) throw std::length_error("a style word longer than any we write");
    bytes_.fill('\0');
    std::copy(text.begin(), text.end(), bytes_.begin());
    size_ = static_cast<unsigned char>(text.size());
  }

  std::array<char, kCapacity> bytes_{};
  unsigned char size_ = 0;
};
static_assert(sizeof(StyleWord) == 24);

struct TextStyle {
  StyleWord font;    // the PostScript font name, or the PDF font resource without "/"
  StyleWord size;    // in points, as the tag text wrote it
  StyleWord colour;  // operands of the last colour operator; empty while none was given
  StyleWord rise;    // operand of the last PDF "Ts"; empty while none was given

  bool operator==(const TextStyle&) const = default;
};

// What the writers select before a document's first line: Times-Roman 12.
constexpr TextStyle initialTextStyle(Format format) {
  return {format == Format::Pdf ? "F1" : "Times-Roman", "12", "", ""};
}

// PDF's body font, as a constant the compiler reads from memory: built in
// place it was stored in parts and read back whole, a stall every line.
extern const TextStyle kPdfBodyStyle;

// The style a line starts in after a line that ended in `end`: PostScript
// keeps all of it; a PDF line starts in its body font, keeping colour and
// rise.
inline TextStyle nextLineStyle(Format format, TextStyle end) {
  if (format != Format::Pdf) return end;
  end.font = kPdfBodyStyle.font;
  end.size = kPdfBodyStyle.size;
  return end;
}

// The size in points (0 for a size that is not a number).
double parsePointSize(const TextStyle& style);
// Every size the tags write is two digits: those read inline, as every
// string of every laid-out line asks.
inline double pointSize(const TextStyle& style) {
  const std::string_view digits = style.size;
  if (digits.size() == 2 && digits[0] >= '0' && digits[0] <= '9' && digits[1] >= '0' &&
      digits[1] <= '9') {
    return (digits[0] - '0') * 10 + (digits[1] - '0');
  }
  return parsePointSize(style);
}

// The PostScript name of the font the style selects ("F2" in PDF is
// "Times-Bold"); empty for a PDF resource the writer does not define.
std::string_view fontName(Format format, const TextStyle& style);

}  // namespace kolvo::paged
