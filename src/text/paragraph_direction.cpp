#include "text/paragraph_direction.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <iterator>

#include "text/typed_text.hpp"

namespace kolvo {
namespace {

enum class Strength : unsigned char { Neutral, LeftToRight, RightToLeft };

struct Block {
  char32_t first;
  // cppcheck-suppress unusedStructMember ; read through the search's iterator
  char32_t last;
  // cppcheck-suppress unusedStructMember ; read through the search's iterator
  Strength strength;
};

// Ranges beyond ASCII, in order; a code point in none of them is a
// left-to-right letter. Neutral: punctuation, symbols, marks and digits
// of the left-to-right scripts, spaces, format characters.
constexpr std::array kBlocks = std::to_array<Block>({
    {0x0080, 0x00BF, Strength::Neutral},  // Latin-1 punctuation and signs
    {0x00D7, 0x00D7, Strength::Neutral},  // multiplication sign
    {0x00F7, 0x00F7, Strength::Neutral},  // division sign
    {0x02B9, 0x036F, Strength::Neutral},  // modifier letters, combining marks
    {0x0590, 0x05FF, Strength::RightToLeft},  // Hebrew
    {0x0600, 0x08FF, Strength::RightToLeft},  // Arabic, Syriac, Thaana, N'Ko, Samaritan, Mandaic
    {0x1680, 0x1680, Strength::Neutral},  // Ogham space
    {0x2000, 0x200D, Strength::Neutral},  // spaces, joiners
    {0x200F, 0x200F, Strength::RightToLeft},  // right-to-left mark
    {0x2010, 0x2BFF, Strength::Neutral},  // punctuation, symbols, arrows, boxes
    {0x2E00, 0x2E7F, Strength::Neutral},  // supplemental punctuation
    {0x2E80, 0x2FFF, Strength::Neutral},  // radicals, description characters
    {0x3000, 0x3004, Strength::Neutral},  // CJK space and punctuation
    {0x3008, 0x3020, Strength::Neutral},  // CJK brackets
    {0x3030, 0x3030, Strength::Neutral},  // wavy dash
    {0xFB1D, 0xFB4F, Strength::RightToLeft},  // Hebrew presentation forms
    {0xFB50, 0xFDCF, Strength::RightToLeft},  // Arabic presentation forms A
    {0xFDF0, 0xFDFF, Strength::RightToLeft},
    {0xFE00, 0xFE6F, Strength::Neutral},  // variation selectors, small and vertical forms
    {0xFE70, 0xFEFE, Strength::RightToLeft},  // Arabic presentation forms B
    {0xFEFF, 0xFF20, Strength::Neutral},  // byte order mark, fullwidth signs and digits
    {0xFF3B, 0xFF40, Strength::Neutral},
    {0xFF5B, 0xFF65, Strength::Neutral},
    {0xFFE0, 0xFFFF, Strength::Neutral},
    {0x10800, 0x10FFF, Strength::RightToLeft},  // Cypriot to Old Uyghur, Hanifi Rohingya
    {0x1D100, 0x1D24F, Strength::Neutral},      // musical symbols
    {0x1D300, 0x1D35F, Strength::Neutral},
    {0x1E800, 0x1EFFF, Strength::RightToLeft},  // Mende Kikakui, Adlam, Arabic mathematics
    {0x1F000, 0x1FBFF, Strength::Neutral},      // emoji, game pieces, symbols
    {0xE0000, 0xE0FFF, Strength::Neutral},      // tags, variation selectors
});

constexpr bool inOrder() {
  for (std::size_t i = 1; i < kBlocks.size(); ++i) {
    if (kBlocks[i].first <= kBlocks[i - 1].last || kBlocks[i].last < kBlocks[i].first) return false;
  }
  return true;
}
static_assert(inOrder(), "the blocks must be sorted and apart");

Strength strengthOf(char32_t c) {
  if (c < 0x80) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return letter ? Strength::LeftToRight : Strength::Neutral;
  }
  const auto block = std::upper_bound(kBlocks.begin(), kBlocks.end(), c,
                                      [](char32_t value, const Block& b) { return value < b.first; });
  if (block != kBlocks.begin() && c <= std::prev(block)->last) return std::prev(block)->strength;
  return Strength::LeftToRight;
}

// The first byte of `utf8` from D6 on, or its size: where there is none
// (Latin, Greek and Cyrillic text, and ASCII) every character is left to
// right or neutral. Sixteen bytes a step
// where the processor has SSE2 (every x86-64 one). A text's last bytes are taken as the sixteen that end
// it; where they overlap the step before, its bytes had none.
std::size_t firstFromD6(std::string_view utf8) {
  std::size_t at = 0;
#if defined(__SSE2__)
  if (utf8.size() >= 16) {
    const auto fromD6 = [&](std::size_t from) {
      return rightToLeftLeadBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(utf8.data() + from)));
    };
    for (; at + 16 <= utf8.size(); at += 16) {
      if (const unsigned found = fromD6(at); found != 0) {
        return at + static_cast<std::size_t>(std::countr_zero(found));
      }
    }
    if (at == utf8.size()) return at;
    const std::size_t last = utf8.size() - 16;
    const unsigned found = fromD6(last);
    return found == 0 ? utf8.size() : last + static_cast<std::size_t>(std::countr_zero(found));
  }
#endif
  for (; at < utf8.size(); ++at) {
    if (static_cast<unsigned char>(utf8[at]) >= kRightToLeftLeadFloor) return at;
  }
  return utf8.size();
}

}  // namespace

// The first two bytes of each sequence tell a right-to-left block: Hebrew
// to Arabic begin with D6 to DF, their extensions with E0 A0 to E0 A3, the
// mark with E2 80, the presentation forms with EF AC to EF BB, the blocks
// beyond the first plane with F0 90 and F0 9E. CJK, the Indic scripts,
// Thai and the rest begin otherwise, so their lines are passed over a
// sequence at a time, from the first byte from D6 on (no continuation byte
// is one).
bool mayHoldRightToLeftCharacter(std::string_view utf8) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  for (std::size_t at = firstFromD6(utf8); at < utf8.size();) {
    const unsigned lead = byte(at);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    if (lead < 0xE0) {
      if (lead >= kRightToLeftLeadFloor) return true;
      at += 2;
      continue;
    }
    const unsigned next = at + 1 < utf8.size() ? byte(at + 1) : 0;
    if ((lead == 0xE0 && next <= 0xA3) || (lead == 0xE2 && next == 0x80) ||
        (lead == 0xEF && next >= 0xAC && next <= 0xBB) ||
        (lead == 0xF0 && (next == 0x90 || next == 0x9E))) {
      return true;
    }
    at += lead < 0xF0 ? 3 : 4;
  }
  return false;
}

bool isStrongLeftToRight(char32_t c) { return strengthOf(c) == Strength::LeftToRight; }

bool isStrongRightToLeft(char32_t c) { return strengthOf(c) == Strength::RightToLeft; }

bool startsRightToLeft(std::string_view utf8) {
  std::size_t at = 0;
  while (at < utf8.size()) {
    // The markup's tags are no text: "%cs" centres, it says nothing of the way.
    if (utf8[at] == '%' && beginsTag(utf8, at)) {
      at += 3;
      continue;
    }
    const Strength strength = strengthOf(nextCodePoint(utf8, at));
    if (strength != Strength::Neutral) return strength == Strength::RightToLeft;
  }
  return false;
}

void levelsBetweenTags(std::string_view utf8, bool rightToLeft, std::vector<std::uint8_t>& levels) {
  levels.clear();
  if (utf8.find('%') == std::string_view::npos) return;
  // A left-to-right line with no right-to-left character has every
  // stretch at level 0: most typed lines with tags are settled by their
  // bytes, without reading a character.
  if (!rightToLeft && !mayHoldRightToLeftCharacter(utf8)) return;
  // First the way of each stretch, as a Strength: Neutral for no letter,
  // and the paragraph's for letters of both ways, as the shaper orders a
  // stretch that mixes them.
  const Strength paragraph = rightToLeft ? Strength::RightToLeft : Strength::LeftToRight;
  const auto way = [](Strength s) { return static_cast<std::uint8_t>(s); };
  bool anyTag = false;
  bool sawLeft = false;
  bool sawRight = false;
  const auto endStretch = [&] {
    levels.push_back(way(sawLeft && sawRight ? paragraph
                         : sawLeft           ? Strength::LeftToRight
                         : sawRight          ? Strength::RightToLeft
                                             : Strength::Neutral));
    sawLeft = sawRight = false;
  };
  for (std::size_t at = 0; at < utf8.size();) {
    if (utf8[at] == '%' && beginsTag(utf8, at)) {
      at += 3;
      anyTag = true;
      endStretch();
      continue;
    }
    const Strength strength = strengthOf(nextCodePoint(utf8, at));
    sawLeft = sawLeft || strength == Strength::LeftToRight;
    sawRight = sawRight || strength == Strength::RightToLeft;
  }
  endStretch();
  if (!anyTag) return levels.clear();
  // Stretches with no letter take the way of the letters on both sides
  // where these agree, else the paragraph's; the line's edges count as the
  // paragraph's way.
  const std::uint8_t neutral = way(Strength::Neutral);
  bool anyAbove = rightToLeft;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (levels[i] == neutral) {
      std::size_t end = i;
      while (end < levels.size() && levels[end] == neutral) ++end;
      const std::uint8_t before = i == 0 ? way(paragraph) : levels[i - 1];
      const std::uint8_t after = end == levels.size() ? way(paragraph) : levels[end];
      std::fill(levels.begin() + static_cast<std::ptrdiff_t>(i),
                levels.begin() + static_cast<std::ptrdiff_t>(end),
                before == after ? before : way(paragraph));
    }
    anyAbove = anyAbove || levels[i] == way(Strength::RightToLeft);
  }
  if (!anyAbove) return levels.clear();
  const std::uint8_t left = rightToLeft ? 2 : 0;
  for (std::uint8_t& level : levels) level = level == way(Strength::RightToLeft) ? 1 : left;
}

}  // namespace kolvo
