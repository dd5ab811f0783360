#include "text/metadata_text.hpp"

#include <array>
#include <cstdint>

#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"

namespace kolvo {
namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void appendHex16(std::string& out, std::uint32_t unit) {
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
}

// The UTF-16 code units of `cp`: one, or a surrogate pair.
template <typename Take>
void forEachUtf16Unit(char32_t cp, Take take) {
  if (cp < 0x10000) return take(static_cast<std::uint32_t>(cp));
  const std::uint32_t offset = static_cast<std::uint32_t>(cp) - 0x10000;
  take(0xD800 + (offset >> 10));
  take(0xDC00 + (offset & 0x3FF));
}

}  // namespace

std::string metadataValue(std::string_view word) {
  std::string decoded;
  if (!decodeText(word, decoded)) decoded = word;
  for (char& c : decoded) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') c = ' ';
  }
  return decoded;
}

std::string pdfTextString(std::string_view text) {
  if (text.empty()) return "()";
  std::string out = "<FEFF";
  for (std::size_t at = 0; at < text.size();) {
    forEachUtf16Unit(nextCodePoint(text, at), [&](std::uint32_t unit) { appendHex16(out, unit); });
  }
  return out + ">";
}

std::string xmlEscaped(std::string_view text, bool asciiOnly) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else if (c == '\'') {
      out += "&apos;";
    } else if (asciiOnly && static_cast<unsigned char>(c) >= 0x80) {
      const char32_t cp = nextCodePoint(text, at);
      out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ';';
      continue;
    } else {
      out += c;
    }
    ++at;
  }
  return out;
}

std::string dscText(std::string_view text, std::size_t room) {
  std::string out = "(";
  for (std::size_t at = 0; at < text.size();) {
    std::string piece;
    const std::size_t start = at;
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      ++at;
      if (byte == '\\' || byte == '(' || byte == ')') piece += '\\';
      piece += static_cast<char>(byte);
    } else {
      (void)nextCodePoint(text, at);
      for (std::size_t i = start; i < at; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        piece += '\\';
        piece += static_cast<char>('0' + (b >> 6));
        piece += static_cast<char>('0' + ((b >> 3) & 7));
        piece += static_cast<char>('0' + (b & 7));
      }
    }
    if (out.size() + piece.size() + 1 > room) break;
    out += piece;
  }
  return out + ")";
}

std::string rtfInfoText(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (static_cast<unsigned char>(c) < 0x80) {
      if (c == '\\' || c == '{' || c == '}') out += '\\';
      out += c;
      ++at;
      continue;
    }
    forEachUtf16Unit(nextCodePoint(text, at), [&](std::uint32_t unit) {
      // RTF writes the unit as a signed 16-bit number.
      out += "\\u" + std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit))) +
             '?';
    });
  }
  return out;
}

std::string latexHyperrefText(std::string_view text) {
  struct Special {
    char c;
    std::string_view command;
  };
  static constexpr std::array<Special, 10> kSpecials = {{{'\\', "\\textbackslash{}"},
                                                          {'{', "\\{"},
                                                          {'}', "\\}"},
                                                          {'#', "\\#"},
                                                          {'%', "\\%"},
                                                          {'&', "\\&"},
                                                          {'$', "\\$"},
                                                          {'_', "\\_"},
                                                          {'~', "\\textasciitilde{}"},
                                                          {'^', "\\textasciicircum{}"}}};
  std::string out;
  for (const char c : text) {
    bool special = false;
    for (const Special& s : kSpecials) {
      if (s.c != c) continue;
      out += s.command;
      special = true;
    }
    if (!special) out += c;
  }
  return out;
}

}  // namespace kolvo
