#include "fonts/bidi_order.hpp"

#include <fribidi.h>

#include <numeric>
#include <type_traits>

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

// Whether FriBidi would resolve every character of `text` to the
// paragraph's own level: the strong characters all run its way, and the
// rest are neutrals and weak separators that resolve to it whatever
// stands around them. Numbers (which right to left rise a level, and
// after an Arabic letter become Arabic numbers), explicit embeddings,
// isolates and boundary neutrals are left to FriBidi; so is a paragraph
// that takes its direction from the text.
bool keepsParagraphLevel(std::u32string_view text, ParagraphDirection paragraph) {
  if (paragraph == ParagraphDirection::FromText) return false;
  const bool rightToLeft = paragraph == ParagraphDirection::RightToLeft;
  for (const char32_t c : text) {
    switch (fribidi_get_bidi_type(c)) {
      case FRIBIDI_TYPE_WS:
      case FRIBIDI_TYPE_ON:
      case FRIBIDI_TYPE_SS:
      case FRIBIDI_TYPE_CS:
      case FRIBIDI_TYPE_ES:
      case FRIBIDI_TYPE_ET:
      case FRIBIDI_TYPE_NSM:
        break;
      case FRIBIDI_TYPE_RTL:
      case FRIBIDI_TYPE_AL:
        if (!rightToLeft) return false;
        break;
      case FRIBIDI_TYPE_LTR:
      case FRIBIDI_TYPE_EN:  // after no Arabic letter, a number left to right is a letter's
        if (rightToLeft) return false;
        break;
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

void bidiOrder(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out) {
  if (!keepsParagraphLevel(text, paragraph)) {
    bidiOrderByFriBidi(text, paragraph, out);
    return;
  }
  const bool rightToLeft = paragraph == ParagraphDirection::RightToLeft;
  out.levels.assign(text.size(), rightToLeft ? 1U : 0U);
  out.visual.resize(text.size());
  if (rightToLeft) {
    std::iota(out.visual.rbegin(), out.visual.rend(), 0U);
  } else {
    std::iota(out.visual.begin(), out.visual.end(), 0U);
  }
  out.paragraph = paragraph;
}

void bidiOrderByFriBidi(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out) {
  const auto length = static_cast<FriBidiStrIndex>(text.size());
  const auto* chars = reinterpret_cast<const FriBidiChar*>(text.data());
  static_assert(sizeof(FriBidiChar) == sizeof(char32_t));
  // The run's buffers hold FriBidi's own types.
  static_assert(std::is_same_v<FriBidiCharType, std::uint32_t>);
  static_assert(std::is_same_v<FriBidiBracketType, std::uint32_t>);
  static_assert(std::is_same_v<FriBidiStrIndex, std::int32_t>);
  static_assert(sizeof(FriBidiLevel) == 1);
  std::vector<FriBidiCharType>& types = out.types;
  types.resize(text.size());
  out.brackets.resize(text.size());
  out.levels.assign(text.size(), 0);
  // FriBidi's levels are signed chars, which may stand for the unsigned ones.
  auto* const levels = reinterpret_cast<FriBidiLevel*>(out.levels.data());
  std::vector<FriBidiStrIndex>& map = out.map;
  map.resize(text.size());
  std::iota(map.begin(), map.end(), 0);
  fribidi_get_bidi_types(chars, length, types.data());
  fribidi_get_bracket_types(chars, length, types.data(), out.brackets.data());
  const FriBidiParType given = parTypeOf(paragraph);
  FriBidiParType resolved = given;
  if (length > 0 &&
      fribidi_get_par_embedding_levels_ex(types.data(), out.brackets.data(), length, &resolved,
                                          levels) != 0) {
    // No flags: marks stay where the algorithm puts them, beside their
    // letters, and HarfBuzz mirrors what a right-to-left run mirrors.
    // On failure (memory) the logical order stands.
    if (fribidi_reorder_line(0, types.data(), length, 0, resolved, levels, nullptr, map.data()) == 0) {
      std::iota(map.begin(), map.end(), 0);
    }
  }
  out.visual.assign(map.begin(), map.end());
  out.paragraph = settled(given, resolved, types);
}

}  // namespace kolvo::fonts
