#pragma once
// A name-keyed CFF table made CID-keyed, so that it embeds as Noto CJK's
// CID-keyed tables do (PDF's CIDFontType0C, PostScript's CIDFont): CID k is
// code k, one charstring per code.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kolvo::fonts {

struct CodeGlyph {
  std::uint16_t glyph = 0;  // in the name-keyed table
  // In the font's units, for a code drawn at another advance than the
  // glyph's own (a shaped glyph placed otherwise): the width its copy of
  // the charstring then states.
  std::optional<int> width;
};

// `cff` (name-keyed) as a CID-keyed table whose CID k (from 1) draws glyph
// codes[k - 1]; CID 0 is its .notdef. Nothing when `cff` does not read.
std::optional<std::string> cidKeyedByCode(std::string_view cff, std::span<const CodeGlyph> codes);

// `charstring` (Type 2) stating `width` minus the Private DICT's
// nominalWidthX as its width; nothing where the width is not stated before
// a subroutine call or an unknown operator.
std::optional<std::string> withCharstringWidth(std::string_view charstring, int widthOperand);

}  // namespace kolvo::fonts
