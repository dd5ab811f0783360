#pragma once
// The XML markup a user may type in a line, read as XML 1.0 reads it: the
// comments and tags that are well-formed on their own, and the entity and
// character references. Whether start and end tags pair up is for the
// caller to decide.

#include <cstddef>
#include <string_view>
#include <vector>

namespace kolvo::xml {

enum class MarkupKind { Comment, StartTag, EndTag, EmptyElementTag };

// A piece of markup: the bytes [begin, end) of the line, and for a tag the
// name of its element.
struct Markup {
  MarkupKind kind = MarkupKind::Comment;
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view name;
};

// Reads the comment or tag that begins at the "<" at `at` of `text` into
// `markup`, or returns false when none does. `names` is room for the
// attribute names of a tag, kept by the caller so that it is reused. Never
// reads past the next "<" but for a comment, which ends at the first "--".
//   - Comment: "<!--", then text without "--", then "-->".
//   - Tag: "<" or "</", a Name; a start tag then has attributes, each after
//     blanks: a Name or "xml:" Name, "=" with optional blanks around it, and
//     a value in quotes holding neither "<" nor its own quote, no attribute
//     twice. Then optional blanks and ">" (or "/>" for an empty-element
//     tag). An end tag has no attributes.
//   - Name: an ASCII letter or "_", then ASCII letters, digits, ".", "-",
//     "_". Blanks: space, tab, carriage return, line feed.
bool readMarkup(std::string_view text, std::size_t at, Markup& markup,
                std::vector<std::string_view>& names);

// The length of the reference at the "&" at `at` of `text`: "&amp;",
// "&lt;", "&gt;", "&quot;", "&apos;", or "&#" digits ";" or "&#x" hex digits
// ";" naming a character XML allows. 0 when there is no such reference.
std::size_t referenceLength(std::string_view text, std::size_t at);

// Whether XML 1.0 allows the character `cp` in a document.
bool isXmlChar(char32_t cp);

}  // namespace kolvo::xml
