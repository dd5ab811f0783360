#pragma once
// A document's title, author, subject and keywords, given on the command
// line, made safe for the places formats keep them: PDF text strings, XML
// attribute and element text, PostScript comments, RTF and LaTeX values.
// Every function but metadataValue takes what metadataValue returns: UTF-8
// without control characters.

#include <cstddef>
#include <string>
#include <string_view>

namespace kolvo {

// A command-line word as a metadata value: well-formed UTF-8 kept, any other
// byte read as Windows-1252 (as in the text), every control character a
// blank, since no format keeps a line break in its title.
std::string metadataValue(std::string_view word);

// A PDF text string for any Unicode text: UTF-16BE after a byte-order mark,
// in a hex string ("<FEFF0041>"); "()" when empty.
std::string pdfTextString(std::string_view text);

// Text for XML content or a quoted attribute: "&", "<", ">", '"' and "'"
// as references. With `asciiOnly` every character beyond ASCII is a
// numeric reference too, for a document that declares no encoding.
std::string xmlEscaped(std::string_view text, bool asciiOnly = false);

// The longest comment line the structuring conventions allow, in bytes.
inline constexpr std::size_t kDscLineLength = 255;

// A PostScript string "(...)" for a structuring comment, which a reader
// takes whole: "\", "(" and ")" escaped, bytes beyond printable ASCII as
// octal escapes; cut (at a character) so that it takes at most `room`
// bytes, its parentheses always balanced.
std::string dscText(std::string_view text, std::size_t room);

// Text inside an RTF destination: "\", "{" and "}" escaped, characters
// beyond ASCII as \uN? (signed 16-bit units, a surrogate pair beyond the
// first plane).
std::string rtfInfoText(std::string_view text);

// A value of hyperref's \hypersetup, inside braces: LaTeX's special
// characters as the commands hyperref turns into PDF text; characters
// beyond ASCII as they are (hyperref reads them as Unicode, its default).
std::string latexHyperrefText(std::string_view text);

}  // namespace kolvo
