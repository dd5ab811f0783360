#pragma once
// The user's decoded text as XML character data, for AbiWord and DocBook
// (and HTML when shown as typed). Both functions follow decodeText(): they
// put the result into `out` and return true, or return false and leave `out`
// alone when the text needs no change. `out` must not be the storage `in`
// views.

#include <span>
#include <string>
#include <string_view>

namespace kolvo {

// Keeps the markup the user typed where it is well-formed within the line
// and makes everything else text, so that the line is well-formed inside
// any element:
//   - Comments are kept, but for one holding both a tag of the markup and
//     a "-" (the tag's text may join two dashes). Start and end tags are
//     kept where they pair up, left to right with a stack: an end tag that
//     does not close the innermost open element, and a start tag still open
//     at the end of the line, are not. Empty-element tags are kept on their
//     own. Any other "<" becomes "&lt;".
//   - Outside kept comments, an "&" that does not begin a reference XML
//     allows (the five entities, or a character reference to a character
//     XML allows) becomes "&amp;", inside attribute values too.
//   - In text, a ">" after "]]" becomes "&gt;".
// A tag whose later rewriting would change it is not kept: one holding a
// tag of the markup, or an underscore after a blank (see keptMarkup). With
// `tagsSplitElements` (AbiWord, whose tag texts end and begin runs) an
// element holding a tag of the markup is not kept either.
// `textNames` are elements never kept, whatever their pairing: those of the
// format's own document structure that its reader refuses inside a
// paragraph (kAbiWordDocumentElements).
bool keepWellFormedXml(std::string_view in, std::string& out, bool tagsSplitElements = false,
                       std::span<const std::string_view> textNames = {});

// The elements of AbiWord's document structure that AbiWord will not open a
// file for when they stand inside a paragraph (a nested <p>, <table>, <m> of
// minified JavaScript): a user's such element is text in AbiWord. Found by
// opening one of each with AbiWord; an element it does not know, and those
// that may stand in a run (<c>, <a>, <br/>, <field/>, <image/>, <math>...),
// it takes.
inline constexpr std::string_view kAbiWordDocumentElements[] = {
    "abiword", "bookmark", "cell",     "d",      "data",    "frame",       "history",
    "ignoredwords", "iw",  "l",        "lists",  "m",       "metadata",    "p",
    "pagesize", "r",       "rdf",      "revisions", "s",    "section",     "styles",
    "table",   "toc",      "version"};

// Shows the text as typed: "&", "<" and ">" become their entities. So that
// no byte of it can be taken for markup by the tag rows and clean-ups that
// follow, a "%" that does not begin a tag becomes "&#37;" and every "_"
// becomes "&#95;". Tags are copied as they are.
bool escapeXmlText(std::string_view in, std::string& out);

// The bytes each of the two looks at: a text without any comes back
// unchanged.
constexpr bool keepWellFormedXmlLooksAt(unsigned char byte) {
  return byte == '<' || byte == '&' || byte == '>';
}
constexpr bool escapeXmlTextLooksAt(unsigned char byte) {
  return byte == '&' || byte == '<' || byte == '>' || byte == '%' || byte == '_';
}

}  // namespace kolvo
