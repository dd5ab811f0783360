#include "fonts/bidi_order.hpp"

#include <fribidi.h>

#include <numeric>

namespace kolvo::fonts {
namespace {

FriBidiParType parTypeOf(ParagraphDirection paragraph) {
  switch (paragraph) {
    case ParagraphDirection::LeftToRight:
      return FRIBIDI_PAR_LTR;
    case ParagraphDirection::RightToLeft:
      return FRIBIDI_PAR_RTL;
    case ParagraphDirection::FromText:
      break;
  }
  return FRIBIDI_PAR_ON;
}

// The direction FriBidi settled, or FromText when it found no strong
// character to settle it by.
ParagraphDirection settled(FriBidiParType given, FriBidiParType resolved,
                           const std::vector<FriBidiCharType>& types) {
  if (given != FRIBIDI_PAR_ON) return resolved == FRIBIDI_PAR_RTL ? ParagraphDirection::RightToLeft
                                                                  : ParagraphDirection::LeftToRight;
  for (const FriBidiCharType type : types) {
    if (FRIBIDI_IS_LETTER(type)) {
      return FRIBIDI_IS_RTL(type) ? ParagraphDirection::RightToLeft : ParagraphDirection::LeftToRight;
    }
  }
  return ParagraphDirection::FromText;
}

}  // namespace

void bidiOrder(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out) {
  const auto length = static_cast<FriBidiStrIndex>(text.size());
  const auto* chars = reinterpret_cast<const FriBidiChar*>(text.data());
  static_assert(sizeof(FriBidiChar) == sizeof(char32_t));
  std::vector<FriBidiCharType> types(text.size());
  std::vector<FriBidiBracketType> brackets(text.size());
  std::vector<FriBidiLevel> levels(text.size());
  std::vector<FriBidiStrIndex> map(text.size());
  std::iota(map.begin(), map.end(), 0);
  fribidi_get_bidi_types(chars, length, types.data());
  fribidi_get_bracket_types(chars, length, types.data(), brackets.data());
  const FriBidiParType given = parTypeOf(paragraph);
  FriBidiParType resolved = given;
  if (length > 0 &&
      fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &resolved,
                                          levels.data()) != 0) {
    // No flags: marks stay where the algorithm puts them, beside their
    // letters, and HarfBuzz mirrors what a right-to-left run mirrors.
    // On failure (memory) the logical order stands.
    if (fribidi_reorder_line(0, types.data(), length, 0, resolved, levels.data(), nullptr,
                             map.data()) == 0) {
      std::iota(map.begin(), map.end(), 0);
    }
  }
  out.levels.assign(levels.begin(), levels.end());
  out.visual.assign(map.begin(), map.end());
  out.paragraph = settled(given, resolved, types);
}

}  // namespace kolvo::fonts
