#pragma once
// One pass over a line that says whether its text step can have anything
// to do: whether decoding and the format's escaper (in markup mode, for
// AbiWord and DocBook, the keeping of well-formed XML) could change it.
// Most prose holds no byte that either of them acts on, and skips both.

#include <string_view>

namespace kolvo {

// The text steps, as far as the bytes they act on go.
enum class TextStep : unsigned char {
  XmlMarkup,  // decodeText, then keepWellFormedXml
  XmlText,    // decodeText, then escapeXmlText
  Rtf,        // decodeText, then escapeRtfText
  Latex,      // decodeText, then escapeLatexText
  Paged,      // decodeText, then escapePagedText
  PagedLinks, // the same where addresses become link annotations (PDF)
};

// Whether `step` acts on `byte` wherever it stands: decoding does on every
// byte beyond ASCII and most controls, each escaper on its own few.
bool textStepLooksAt(TextStep step, unsigned char byte);

// Whether `step` acts on the two bytes next to each other though on
// neither alone: for LaTeX "--" and ",,", which would form ligatures.
bool textStepLooksAtPair(TextStep step, char first, char second);

// False when `step` leaves `line` exactly as it is: no byte of it, and no
// two neighbours, are looked at. True when the step may change it.
bool textStepMayChange(std::string_view line, TextStep step);

// The ways textStepMayChange() can go, for tests that compare them. Each
// returns false when this build or this processor does not have it.
bool textStepMayChangeByteByByte(std::string_view line, TextStep step, bool& result);
bool textStepMayChangeSsse3(std::string_view line, TextStep step, bool& result);

}  // namespace kolvo
