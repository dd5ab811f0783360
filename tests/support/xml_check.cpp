#include "support/xml_check.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace kolvo::test {
namespace {

bool isXmlChar(std::uint32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// The offset of the first byte that is not part of well-formed UTF-8
// encoding a character XML allows, or npos.
std::size_t firstBadCharacter(std::string_view doc) {
  for (std::size_t at = 0; at < doc.size();) {
    const auto lead = static_cast<unsigned char>(doc[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4
                             : 0;
    if (length == 0 || at + length > doc.size()) return at;
    std::uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(doc[at + i]);
      if ((next & 0xC0) != 0x80) return at;
      cp = (cp << 6) | (next & 0x3F);
    }
    const std::uint32_t least = length == 1 ? 0 : length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < least || (cp >= 0xD800 && cp <= 0xDFFF) || !isXmlChar(cp)) return at;
    at += length;
  }
  return std::string_view::npos;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}
bool isNameByte(char c) {
  return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

class Checker {
 public:
  Checker(std::string_view doc, Nesting nesting) : doc_(doc), nesting_(nesting) {}

  std::string run() {
    const std::size_t bad = firstBadCharacter(doc_);
    if (bad != std::string_view::npos) return fault(bad, "not a character XML allows");
    if (!misc(true)) return fault_;
    if (at_ == doc_.size() || doc_[at_] != '<') return fault(at_, "no root element");
    if (!rootElement() || !misc(false)) return fault_;
    if (at_ != doc_.size()) return fault(at_, "more than one root element, or text after it");
    return {};
  }

 private:
  bool fail(std::size_t at, std::string_view what) {
    fault(at, what);
    return false;
  }
  std::string fault(std::size_t at, std::string_view what) {
    fault_ = "byte " + std::to_string(at) + ": " + std::string(what);
    return fault_;
  }
  bool startsWith(std::string_view s) const { return doc_.substr(at_).starts_with(s); }
  bool blanks() {
    const std::size_t from = at_;
    while (at_ < doc_.size() && isBlank(doc_[at_])) ++at_;
    return at_ > from;
  }
  bool name(std::string_view& out) {
    const std::size_t from = at_;
    if (at_ >= doc_.size() || !isNameStart(doc_[at_])) return fail(at_, "a name expected");
    while (at_ < doc_.size() && isNameByte(doc_[at_])) ++at_;
    out = doc_.substr(from, at_ - from);
    return true;
  }
  bool literal(std::string_view s) {
    if (!startsWith(s)) return fail(at_, "\"" + std::string(s) + "\" expected");
    at_ += s.size();
    return true;
  }

  // Comments, processing instructions and blanks outside the root; before
  // it also one DOCTYPE.
  bool misc(bool beforeRoot) {
    for (;;) {
      blanks();
      if (startsWith("<!--")) {
        if (!comment()) return false;
      } else if (startsWith("<?")) {
        if (!processingInstruction()) return false;
      } else if (beforeRoot && startsWith("<!DOCTYPE")) {
        if (doctypeSeen_) return fail(at_, "a second DOCTYPE");
        if (!doctype()) return false;
        doctypeSeen_ = true;
      } else {
        return true;
      }
    }
  }

  bool comment() {
    const std::size_t end = doc_.find("--", at_ + 4);
    if (end == std::string_view::npos) return fail(at_, "a comment never ends");
    if (end + 2 >= doc_.size() || doc_[end + 2] != '>') return fail(end, "\"--\" in a comment");
    at_ = end + 3;
    return true;
  }

  // The XML declaration is the one named "xml", and only at the very start.
  bool processingInstruction() {
    const std::size_t start = at_;
    at_ += 2;
    std::string_view target;
    if (!name(target)) return false;
    std::string lower(target);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(c | 0x20); });
    if (lower == "xml" && start != 0) return fail(start, "an XML declaration out of place");
    const std::size_t end = doc_.find("?>", at_);
    if (end == std::string_view::npos) return fail(start, "a processing instruction never ends");
    if (end != at_ && !isBlank(doc_[at_])) return fail(at_, "a blank expected after the target");
    at_ = end + 2;
    return true;
  }

  bool quoted() {
    const char quote = at_ < doc_.size() ? doc_[at_] : '\0';
    if (quote != '"' && quote != '\'') return fail(at_, "a quoted value expected");
    const std::size_t end = doc_.find(quote, at_ + 1);
    if (end == std::string_view::npos) return fail(at_, "a quoted value never ends");
    at_ = end + 1;
    return true;
  }

  bool doctype() {
    at_ += 9;
    std::string_view root;
    if (!blanks() || !name(root)) return fail(at_, "a DOCTYPE without a name");
    const bool spaced = blanks();
    if (spaced && startsWith("PUBLIC")) {
      at_ += 6;
      if (!blanks() || !quoted() || !blanks() || !quoted()) return fail(at_, "a bad PUBLIC id");
    } else if (spaced && startsWith("SYSTEM")) {
      at_ += 6;
      if (!blanks() || !quoted()) return fail(at_, "a bad SYSTEM id");
    }
    blanks();
    return literal(">");
  }

  bool reference() {
    const std::size_t start = at_;
    const std::size_t semicolon = doc_.find(';', at_);
    if (semicolon == std::string_view::npos) return fail(start, "an \"&\" without a \";\"");
    const std::string_view body = doc_.substr(at_ + 1, semicolon - at_ - 1);
    at_ = semicolon + 1;
    if (body == "amp" || body == "lt" || body == "gt" || body == "quot" || body == "apos") {
      return true;
    }
    const bool hex = body.starts_with("#x");
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (!body.starts_with('#') || digits.empty()) {
      return fail(start, "an \"&\" that begins no reference XML knows");
    }
    std::uint32_t cp = 0;
    for (const char c : digits) {
      const int d = c >= '0' && c <= '9' ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return fail(start, "a bad character reference");
      // Past the last character it stays past it, however many digits follow.
      cp = std::min<std::uint32_t>(cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), 0x110000);
    }
    if (!isXmlChar(cp)) return fail(start, "a reference to a character XML does not allow");
    return true;
  }

  // Name="value" pairs up to ">" or "/>"; the tag's name is read already.
  bool attributes(bool& empty) {
    std::vector<std::string_view> seen;
    for (;;) {
      const bool spaced = blanks();
      if (startsWith("/>") || startsWith(">")) {
        empty = doc_[at_] == '/';
        at_ += empty ? 2 : 1;
        return true;
      }
      std::string_view attribute;
      if (!spaced) return fail(at_, "a blank, \">\" or \"/>\" expected in a tag");
      if (!name(attribute)) return false;
      if (std::find(seen.begin(), seen.end(), attribute) != seen.end()) {
        return fail(at_, "an attribute given twice");
      }
      seen.push_back(attribute);
      blanks();
      if (!literal("=")) return false;
      blanks();
      if (!attributeValue()) return false;
    }
  }

  bool attributeValue() {
    const char quote = at_ < doc_.size() ? doc_[at_] : '\0';
    if (quote != '"' && quote != '\'') return fail(at_, "a quoted value expected");
    for (++at_; at_ < doc_.size() && doc_[at_] != quote;) {
      if (doc_[at_] == '<') return fail(at_, "a \"<\" in an attribute value");
      if (doc_[at_] == '&') {
        if (!reference()) return false;
      } else {
        ++at_;
      }
    }
    return literal(std::string_view(&quote, 1));
  }

  bool endTag(std::vector<std::string_view>& open) {
    const std::size_t start = at_;
    at_ += 2;
    std::string_view closed;
    if (!name(closed)) return false;
    blanks();
    if (!literal(">")) return false;
    const auto match = std::find(open.rbegin(), open.rend(), closed);
    if (match != open.rbegin() && nesting_ == Nesting::Checked) {
      return fail(start, "an end tag that does not close the innermost open element");
    }
    if (match != open.rend()) open.erase(std::prev(match.base()), open.end());
    return true;
  }

  bool text() {
    if (doc_[at_] == '&') return reference();
    if (startsWith("]]>")) return fail(at_, "\"]]>\" in text");
    ++at_;
    return true;
  }

  bool rootElement() {
    std::vector<std::string_view> open;
    do {
      if (at_ >= doc_.size()) return fail(at_, "the document ends inside an element");
      if (startsWith("<!--")) {
        if (!comment()) return false;
      } else if (startsWith("<?")) {
        if (!processingInstruction()) return false;
      } else if (startsWith("</")) {
        if (open.empty()) return fail(at_, "an end tag outside the root");
        if (!endTag(open)) return false;
      } else if (startsWith("<")) {
        ++at_;
        std::string_view element;
        bool empty = false;
        if (!name(element) || !attributes(empty)) return false;
        if (!empty) open.push_back(element);
      } else if (open.empty()) {
        return fail(at_, "text outside the root");
      } else if (!text()) {
        return false;
      }
    } while (!open.empty());
    return true;
  }

  std::string_view doc_;
  Nesting nesting_;
  std::size_t at_ = 0;
  bool doctypeSeen_ = false;
  std::string fault_;
};

}  // namespace

std::string xmlFault(std::string_view doc, Nesting nesting) {
  return Checker(doc, nesting).run();
}

}  // namespace kolvo::test
