#include "text/xml_markup.hpp"

#include <algorithm>
#include <array>

namespace kolvo::xml {
namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentEnd = "--";
constexpr std::string_view kXmlPrefix = "xml:";
constexpr std::array<std::string_view, 5> kEntities = {"&amp;", "&lt;", "&gt;", "&quot;",
                                                       "&apos;"};
constexpr char32_t kLastCodePoint = 0x10FFFF;

constexpr bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isNameStart(char c) { return isLetter(c) || c == '_'; }
constexpr bool isNameChar(char c) {
  return isNameStart(c) || isDigit(c) || c == '.' || c == '-';
}
constexpr bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a tag from left to right; each step either moves past what it
// reads or reports that it is not there.
class TagReader {
 public:
  TagReader(std::string_view text, std::size_t at) : text_(text), at_(at) {}

  std::size_t at() const { return at_; }
  bool skip(char c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool skipBlanks() {
    const std::size_t from = at_;
    while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
    return at_ != from;
  }
  // A Name, or empty.
  std::string_view name() {
    const std::size_t from = at_;
    if (at_ < text_.size() && isNameStart(text_[at_])) {
      while (++at_ < text_.size() && isNameChar(text_[at_])) {
      }
    }
    return text_.substr(from, at_ - from);
  }
  // A Name or "xml:" Name, or empty.
  std::string_view attributeName() {
    const std::size_t from = at_;
    if (text_.substr(at_).starts_with(kXmlPrefix)) {
      at_ += kXmlPrefix.size();
      if (name().empty()) return {};
      return text_.substr(from, at_ - from);
    }
    return name();
  }
  // "=" and a quoted value, with optional blanks around the "=".
  bool assignment() {
    skipBlanks();
    if (!skip('=')) return false;
    skipBlanks();
    if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return false;
    const char quote = text_[at_++];
    for (; at_ < text_.size() && text_[at_] != '<'; ++at_) {
      if (text_[at_] == quote) {
        ++at_;
        return true;
      }
    }
    return false;
  }

 private:
  std::string_view text_;
  std::size_t at_;
};

bool hasDuplicate(std::vector<std::string_view>& names) {
  std::sort(names.begin(), names.end());
  return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// The attributes and the close of a start or empty-element tag, from just
// after its name.
bool readTagRest(TagReader& reader, Markup& markup, std::vector<std::string_view>& names) {
  names.clear();
  for (;;) {
    const bool blanks = reader.skipBlanks();
    if (reader.skip('>')) {
      markup.kind = MarkupKind::StartTag;
      break;
    }
    if (reader.skip('/')) {
      if (!reader.skip('>')) return false;
      markup.kind = MarkupKind::EmptyElementTag;
      break;
    }
    if (!blanks) return false;
    const std::string_view attribute = reader.attributeName();
    if (attribute.empty() || !reader.assignment()) return false;
    names.push_back(attribute);
  }
  markup.end = reader.at();
  return !hasDuplicate(names);
}

bool readComment(std::string_view text, std::size_t at, Markup& markup) {
  const std::size_t dashes = text.find(kCommentEnd, at + kCommentOpen.size());
  if (dashes == std::string_view::npos || dashes + 2 >= text.size() || text[dashes + 2] != '>') {
    return false;
  }
  markup = {MarkupKind::Comment, at, dashes + 3, {}};
  return true;
}

// The value of the digits at `at` in base 16 or 10, moving `at` past them;
// anything above the last code point reads as one more than it.
char32_t readDigits(std::string_view text, std::size_t& at, bool hex) {
  char32_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    unsigned digit = 0;
    if (isDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      break;
    }
    const char32_t next = value * (hex ? 16U : 10U) + digit;
    value = next > kLastCodePoint ? kLastCodePoint + 1 : next;
  }
  return value;
}

}  // namespace

bool readMarkup(std::string_view text, std::size_t at, Markup& markup,
                std::vector<std::string_view>& names) {
  if (text.substr(at).starts_with(kCommentOpen)) return readComment(text, at, markup);
  TagReader reader(text, at + 1);
  const bool endTag = reader.skip('/');
  markup.begin = at;
  markup.name = reader.name();
  if (markup.name.empty()) return false;
  if (!endTag) return readTagRest(reader, markup, names);
  reader.skipBlanks();
  if (!reader.skip('>')) return false;
  markup.kind = MarkupKind::EndTag;
  markup.end = reader.at();
  return true;
}

std::size_t referenceLength(std::string_view text, std::size_t at) {
  const std::string_view rest = text.substr(at);
  for (std::string_view entity : kEntities) {
    if (rest.starts_with(entity)) return entity.size();
  }
  if (!rest.starts_with("&#")) return 0;
  std::size_t i = 2;
  const bool hex = i < rest.size() && rest[i] == 'x';
  if (hex) ++i;
  const std::size_t digits = i;
  const char32_t cp = readDigits(rest, i, hex);
  if (i == digits || i >= rest.size() || rest[i] != ';' || !isXmlChar(cp)) return 0;
  return i + 1;
}

bool isXmlChar(char32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= kLastCodePoint);
}

}  // namespace kolvo::xml
