#include "text/rtf_text.hpp"

#include <array>
#include <charconv>

#include "text/control_chars.hpp"
#include "text/special_bytes.hpp"

namespace kolvo {
namespace {

// rtfTextLooksAt(), as a table.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> special{};
  for (std::size_t c = 0; c < 256; ++c) {
    special[c] = rtfTextLooksAt(static_cast<unsigned char>(c));
  }
  return special;
}();

std::size_t nextSpecial(std::string_view text, std::size_t from) {
  while (from < text.size() && !kSpecial[static_cast<unsigned char>(text[from])]) ++from;
  return from;
}

// One UTF-16 unit as "\uN" and its stand-in "?": RTF reads N as a signed
// 16-bit number, and a reader without Unicode shows the stand-in, which the
// others skip. The stand-in is written "\'3f": some readers skip the whole
// word after "\uN" rather than one character, and a hex escape is a word
// of its own.
void appendUnit(std::string& out, char32_t unit) {
  const int value = unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
  std::array<char, 8> digits{};
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  out.append("\\u");
  out.append(digits.data(), end);
  out.append("\\'3f");
}

void appendCodePoint(std::string& out, char32_t cp, EscapeStats& stats) {
  if (isUnshowableControl(cp)) {
    out.push_back('?');
    ++stats.missingGlyphs;
  } else if (cp > 0xFFFF) {
    const char32_t offset = cp - 0x10000;
    appendUnit(out, 0xD800 + (offset >> 10));
    appendUnit(out, 0xDC00 + (offset & 0x3FF));
  } else {
    appendUnit(out, cp);
  }
}

// Writes the special character at `at` and moves `at` past what it used.
void appendSpecial(std::string& out, std::string_view text, std::size_t& at,
                   EscapeStats& stats) {
  const char c = text[at];
  switch (c) {
    case '\\':
    case '{':
    case '}':
      out.push_back('\\');
      out.push_back(c);
      break;
    case '%':
      if (beginsTag(text, at)) {
        out.append(text.substr(at, 3));
        at += 3;
        return;
      }
      out.append("\\'25");
      break;
    case '_':
      out.append("\\'5f");
      break;
    case '\t':
      out.append("\\tab ");  // the blank ends the control word and is not shown
      break;
    default:
      appendCodePoint(out, nextCodePoint(text, at), stats);
      return;
  }
  ++at;
}

}  // namespace

bool escapeRtfText(std::string_view utf8, std::string& out, EscapeStats& stats) {
  return copyWithSpecials(utf8, out, utf8.size() / 4 + 16, nextSpecial,
                          [&stats](std::string& to, std::string_view text, std::size_t& at) {
                            appendSpecial(to, text, at, stats);
                          });
}

}  // namespace kolvo
