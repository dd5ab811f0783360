#include "fonts/bidi_order.hpp"

#include <fribidi.h>

#include <algorithm>
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

// What a character is to the rules the quick path follows: a strong
// letter of either way, a neutral (blanks, separators, terminators, other
// neutrals), a bracket, a European number, a mark that takes the type of
// the character before it; or something only FriBidi resolves (Arabic
// numbers, explicit embeddings, isolates, boundary neutrals, paragraph
// separators).
enum class QuickType : unsigned char { Left, Right, Neutral, Bracket, Number, Mark, Other };

QuickType classify(char32_t c) {
  switch (fribidi_get_bidi_type(c)) {
    case FRIBIDI_TYPE_LTR:
      return QuickType::Left;
    case FRIBIDI_TYPE_RTL:
    case FRIBIDI_TYPE_AL:
      return QuickType::Right;
    case FRIBIDI_TYPE_EN:
      return QuickType::Number;
    case FRIBIDI_TYPE_ON:
      return fribidi_get_bracket(c) == FRIBIDI_NO_BRACKET ? QuickType::Neutral : QuickType::Bracket;
    case FRIBIDI_TYPE_WS:
    case FRIBIDI_TYPE_SS:
    case FRIBIDI_TYPE_CS:
    case FRIBIDI_TYPE_ES:
    case FRIBIDI_TYPE_ET:
      return QuickType::Neutral;
    case FRIBIDI_TYPE_NSM:
      return QuickType::Mark;
    default:
      return QuickType::Other;
  }
}

// A character's QuickType, and whether it is a blank or a segment
// separator by its own type (what the levels' last rule looks at), kept in
// `known` for the first plane: lines say the same letters again and again.
constexpr std::uint8_t kNotClassified = 0xFF;
constexpr std::uint8_t kTypeBits = 0x0F;
constexpr std::uint8_t kBlankBit = 0x10;
constexpr std::uint8_t kSeparatorBit = 0x20;

std::uint8_t typeBitsOf(char32_t c) {
  const FriBidiCharType type = fribidi_get_bidi_type(c);
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(classify(c)) |
                                   (type == FRIBIDI_TYPE_WS ? kBlankBit : 0) |
                                   (type == FRIBIDI_TYPE_SS ? kSeparatorBit : 0));
}

std::uint8_t typeBits(char32_t c, std::vector<std::uint8_t>& known) {
  constexpr char32_t kFirstPlane = 0x10000;
  if (c >= kFirstPlane) return typeBitsOf(c);
  if (known.empty()) known.assign(kFirstPlane, kNotClassified);
  std::uint8_t& bits = known[c];
  if (bits == kNotClassified) bits = typeBitsOf(c);
  return bits;
}

// The levels of a paragraph of level `base` whose characters are only
// letters, neutrals and marks, by the rules FriBidi follows for them: a
// mark takes the type before it (the paragraph's at the start); a run of
// neutrals the way of the letters on both sides when they agree, else the
// paragraph's; a letter against the paragraph's way one level up; then
// segment separators, and the blanks before one or at the end, back at
// the paragraph's level. Two more are as simple where they stand: European
// numbers in a left-to-right paragraph with no right-to-left letter are
// left-to-right letters (with the separators and terminators beside them),
// and brackets where no letter runs against the paragraph take its level
// as everything does. False, with `levels` undefined, for anything else.
// Whether no letter of `text` runs against the paragraph's way (nor a
// number in a right-to-left one), as in most lines: every character then
// keeps the paragraph's level, as quickLevels() would find at more cost.
bool keepsParagraphLevel(std::u32string_view text, std::uint8_t base,
                         std::vector<std::uint8_t>& known) {
  const QuickType against = base == 0 ? QuickType::Right : QuickType::Left;
  for (const char32_t c : text) {
    const auto type = static_cast<QuickType>(typeBits(c, known) & kTypeBits);
    if (type == against || type == QuickType::Other || (type == QuickType::Number && base != 0)) {
      return false;
    }
  }
  return true;
}

bool quickLevels(std::u32string_view text, std::uint8_t base, std::vector<std::uint8_t>& known,
                 std::vector<std::uint8_t>& levels) {
  if (keepsParagraphLevel(text, base, known)) {
    levels.assign(text.size(), base);
    return true;
  }
  const QuickType way = base == 0 ? QuickType::Left : QuickType::Right;
  levels.resize(text.size());
  QuickType before = way;  // the strong type before the neutrals since `neutrals`
  std::size_t neutrals = 0;
  QuickType last = way;  // the resolved type of the character before
  bool numbers = false;
  bool brackets = false;
  bool against = false;  // a letter against the paragraph's way
  const auto settle = [&](std::size_t end, QuickType after) {
    const QuickType to = before == after ? before : way;
    for (std::size_t i = neutrals; i < end; ++i) levels[i] = to == way ? base : base + 1U;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto type = static_cast<QuickType>(typeBits(text[i], known) & kTypeBits);
    if (type == QuickType::Other || (type == QuickType::Number && base != 0)) return false;
    if (type == QuickType::Number) {
      numbers = true;
      type = QuickType::Left;
    } else if (type == QuickType::Bracket) {
      brackets = true;
      type = QuickType::Neutral;
    } else if (type == QuickType::Mark) {
      type = last;
    }
    against = against || (type != QuickType::Neutral && type != way);
    if ((numbers && against) || (brackets && against)) return false;
    last = type;
    if (type == QuickType::Neutral) continue;
    settle(i, type);
    levels[i] = type == way ? base : base + 1U;
    before = type;
    neutrals = i + 1;
  }
  settle(text.size(), way);
  // Back to the paragraph's level: separators, and the blanks before one
  // or at the end (by their own types, not as resolved).
  bool resetting = true;
  for (std::size_t i = text.size(); i-- > 0;) {
    const std::uint8_t bits = typeBits(text[i], known);
    if ((bits & kSeparatorBit) != 0) {
      levels[i] = base;
      resetting = true;
    } else if (resetting && (bits & kBlankBit) != 0) {
      levels[i] = base;
    } else {
      resetting = false;
    }
  }
  return true;
}

// The characters in the order they stand, from their levels: from the
// highest level down to the lowest odd one, every stretch at that level or
// above turned round.
void visualOrder(const std::vector<std::uint8_t>& levels, std::vector<std::uint32_t>& visual,
                 std::vector<std::uint8_t>& placedLevels) {
  visual.resize(levels.size());
  std::uint8_t highest = 0;
  std::uint8_t lowest = UINT8_MAX;
  std::uint8_t lowestOdd = UINT8_MAX;
  for (const std::uint8_t level : levels) {
    highest = std::max(highest, level);
    lowest = std::min(lowest, level);
    if ((level & 1U) != 0) lowestOdd = std::min(lowestOdd, level);
  }
  // One level, as most lines have: in order, or turned round whole.
  if (highest == lowest) {
    if ((highest & 1U) != 0) {
      std::iota(visual.rbegin(), visual.rend(), 0U);
    } else {
      std::iota(visual.begin(), visual.end(), 0U);
    }
    return;
  }
  std::iota(visual.begin(), visual.end(), 0U);
  placedLevels.assign(levels.begin(), levels.end());
  for (unsigned level = highest; level >= lowestOdd && level > 0; --level) {
    for (std::size_t i = 0; i < placedLevels.size();) {
      if (placedLevels[i] < level) {
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < placedLevels.size() && placedLevels[end] >= level) ++end;
      std::reverse(visual.begin() + static_cast<std::ptrdiff_t>(i), visual.begin() + static_cast<std::ptrdiff_t>(end));
      std::reverse(placedLevels.begin() + static_cast<std::ptrdiff_t>(i),
                   placedLevels.begin() + static_cast<std::ptrdiff_t>(end));
      i = end;
    }
  }
}

}  // namespace

void bidiOrder(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out) {
  // A paragraph that takes its way from the text is FriBidi's to settle.
  if (paragraph == ParagraphDirection::FromText) {
    bidiOrderByFriBidi(text, paragraph, out);
    return;
  }
  const std::uint8_t base = paragraph == ParagraphDirection::RightToLeft ? 1U : 0U;
  if (!quickLevels(text, base, out.quickTypes, out.levels)) {
    bidiOrderByFriBidi(text, paragraph, out);
    return;
  }
  std::vector<std::uint8_t>& placed = out.placedLevels;
  visualOrder(out.levels, out.visual, placed);
  out.paragraph = paragraph;
}

void bidiOrderByFriBidi(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out) {
  const auto length = static_cast<FriBidiStrIndex>(text.size());
  const auto* chars = reinterpret_cast<const FriBidiChar*>(text.data());
  static_assert(sizeof(FriBidiChar) == sizeof(char32_t));
  static_assert(std::is_same_v<FriBidiCharType, std::uint32_t> &&
                std::is_same_v<FriBidiBracketType, std::uint32_t> &&
                std::is_same_v<FriBidiStrIndex, std::int32_t> && sizeof(FriBidiLevel) == 1);
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
