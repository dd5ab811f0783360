#include "text/latex_font_scripts.hpp"

#include <algorithm>
#include <iterator>

#include "text/latex_scripts.hpp"
#include "text/latex_unicode.hpp"

namespace kolvo {
namespace {

struct FontScriptBlock {
  char32_t first;
  char32_t last;
  // cppcheck-suppress unusedStructMember ; read by latexFontScriptOf through std::prev
  std::size_t row;  // in kLatexFontScripts
};

// The names of kLatexFontScripts' rows, as indexes.
enum Row : std::size_t {
  kHebrew, kArabic, kSyriac, kThaana, kNko, kArmenian, kGeorgian, kDevanagari, kBengali,
  kGurmukhi, kGujarati, kOriya, kTamil, kTelugu, kKannada, kMalayalam, kSinhala, kThai,
  kLao, kTibetan, kMyanmar, kEthiopic, kKhmer,
};

// The scripts' Unicode blocks, in order and apart.
constexpr std::array<FontScriptBlock, 32> kBlocks = {{
    {0x0530, 0x058F, kArmenian},   {0x0590, 0x05FF, kHebrew},     {0x0600, 0x06FF, kArabic},
    {0x0700, 0x074F, kSyriac},     {0x0750, 0x077F, kArabic},     {0x0780, 0x07BF, kThaana},
    {0x07C0, 0x07FF, kNko},        {0x0860, 0x086F, kSyriac},     {0x0870, 0x08FF, kArabic},
    {0x0900, 0x097F, kDevanagari}, {0x0980, 0x09FF, kBengali},    {0x0A00, 0x0A7F, kGurmukhi},
    {0x0A80, 0x0AFF, kGujarati},   {0x0B00, 0x0B7F, kOriya},      {0x0B80, 0x0BFF, kTamil},
    {0x0C00, 0x0C7F, kTelugu},     {0x0C80, 0x0CFF, kKannada},    {0x0D00, 0x0D7F, kMalayalam},
    {0x0D80, 0x0DFF, kSinhala},    {0x0E00, 0x0E7F, kThai},       {0x0E80, 0x0EFF, kLao},
    {0x0F00, 0x0FFF, kTibetan},    {0x1000, 0x109F, kMyanmar},    {0x10A0, 0x10FF, kGeorgian},
    {0x1200, 0x139F, kEthiopic},   {0x1780, 0x17FF, kKhmer},      {0x1C90, 0x1CBF, kGeorgian},
    {0x2D00, 0x2D2F, kGeorgian},   {0xA8E0, 0xA8FF, kDevanagari}, {0xFB1D, 0xFB4F, kHebrew},
    {0xFB50, 0xFDFF, kArabic},     {0xFE70, 0xFEFF, kArabic},
}};

constexpr bool blocksInOrder() {
  for (std::size_t i = 1; i < kBlocks.size(); ++i) {
    if (kBlocks[i].first <= kBlocks[i - 1].last || kBlocks[i].last < kBlocks[i].first) return false;
  }
  return true;
}
static_assert(blocksInOrder(), "the blocks must be sorted and apart");

bool isNoncharacter(char32_t cp) { return (cp & 0xFFFEU) == 0xFFFEU || (cp >= 0xFDD0 && cp <= 0xFDEF); }

}  // namespace

std::size_t latexFontScriptOf(char32_t cp) {
  const auto block = std::upper_bound(kBlocks.begin(), kBlocks.end(), cp,
                                      [](char32_t value, const FontScriptBlock& b) { return value < b.first; });
  if (block != kBlocks.begin() && cp <= std::prev(block)->last) return std::prev(block)->row;
  return kOtherFontScript;
}

bool latexShowsOnlyBeyondPdftex(char32_t cp) {
  return cp >= 0xA0 && !isNoncharacter(cp) && latexScriptOf(cp) == LatexScript::None && !latexCanSet(cp);
}

}  // namespace kolvo
