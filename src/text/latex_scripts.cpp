#include "text/latex_scripts.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "text/latex_font_scripts.hpp"
#include "text/link_finder.hpp"
#include "text/typed_text.hpp"

namespace kolvo {
namespace {

struct ScriptRange {
  char32_t first;
  char32_t last;
  LatexScript script;
};

// What each encoding's UTF-8 definitions (t2aenc.dfu, lgrenc.dfu,
// t5enc.dfu) declare in the script's own blocks, and the CJK blocks that
// the CJK package's fonts have subfonts for (cjkFamilyFor says which).
// Characters T1 and TS1 already set (punctuation these files declare too,
// U+1EF2, U+1EF3, U+3008, U+3009) are left out, so that they keep the text
// they had; a test holds the table to latexCanSet. In order, not overlapping.
constexpr std::array<ScriptRange, 53> kScriptRanges = {{
    {0x01A0, 0x01A1, LatexScript::Vietnamese}, {0x01AF, 0x01B0, LatexScript::Vietnamese},
    {0x0374, 0x0375, LatexScript::Greek},      {0x037A, 0x037A, LatexScript::Greek},
    {0x037E, 0x037E, LatexScript::Greek},      {0x0384, 0x038A, LatexScript::Greek},
    {0x038C, 0x038C, LatexScript::Greek},      {0x038E, 0x03A1, LatexScript::Greek},
    {0x03A3, 0x03CE, LatexScript::Greek},      {0x03D0, 0x03D2, LatexScript::Greek},
    {0x03D5, 0x03D6, LatexScript::Greek},      {0x03D8, 0x03DD, LatexScript::Greek},
    {0x03DF, 0x03E1, LatexScript::Greek},      {0x03F0, 0x03F1, LatexScript::Greek},
    {0x03F4, 0x03F5, LatexScript::Greek},      {0x0400, 0x045F, LatexScript::Cyrillic},
    {0x0490, 0x0493, LatexScript::Cyrillic},   {0x0496, 0x049D, LatexScript::Cyrillic},
    {0x04A0, 0x04A5, LatexScript::Cyrillic},   {0x04AA, 0x04AB, LatexScript::Cyrillic},
    {0x04AE, 0x04B3, LatexScript::Cyrillic},   {0x04B6, 0x04BB, LatexScript::Cyrillic},
    {0x04C0, 0x04C2, LatexScript::Cyrillic},   {0x04D0, 0x04DF, LatexScript::Cyrillic},
    {0x04E2, 0x04E9, LatexScript::Cyrillic},   {0x04EC, 0x04F5, LatexScript::Cyrillic},
    {0x04F8, 0x04F9, LatexScript::Cyrillic},   {0x1EA0, 0x1EF1, LatexScript::Vietnamese},
    {0x1EF4, 0x1EF9, LatexScript::Vietnamese},
    {0x1F00, 0x1F15, LatexScript::Greek},      {0x1F18, 0x1F1D, LatexScript::Greek},
    {0x1F20, 0x1F45, LatexScript::Greek},      {0x1F48, 0x1F4D, LatexScript::Greek},
    {0x1F50, 0x1F57, LatexScript::Greek},      {0x1F59, 0x1F59, LatexScript::Greek},
    {0x1F5B, 0x1F5B, LatexScript::Greek},      {0x1F5D, 0x1F5D, LatexScript::Greek},
    {0x1F5F, 0x1F7D, LatexScript::Greek},      {0x1F80, 0x1FB4, LatexScript::Greek},
    {0x1FB6, 0x1FC4, LatexScript::Greek},      {0x1FC6, 0x1FD3, LatexScript::Greek},
    {0x1FD6, 0x1FDB, LatexScript::Greek},      {0x1FDD, 0x1FEF, LatexScript::Greek},
    {0x1FF2, 0x1FF4, LatexScript::Greek},      {0x1FF6, 0x1FFE, LatexScript::Greek},
    {0x3000, 0x3007, LatexScript::Cjk},        {0x300A, 0x33FF, LatexScript::Cjk},        {0x4E00, 0x9FFF, LatexScript::Cjk},
    {0xAC00, 0xD7A3, LatexScript::Cjk},        {0xF900, 0xFAFF, LatexScript::Cjk},
    {0xFE30, 0xFE4F, LatexScript::Cjk},        {0xFF01, 0xFF60, LatexScript::Cjk},
    {0xFFE0, 0xFFE6, LatexScript::Cjk},
}};

constexpr bool rangesInOrder() {
  for (std::size_t i = 1; i < kScriptRanges.size(); ++i) {
    if (kScriptRanges[i].first <= kScriptRanges[i - 1].last) return false;
  }
  return true;
}
static_assert(rangesInOrder(), "kScriptRanges must be in order and apart");

// kScriptRanges by code point (all lie in the Basic Multilingual Plane): the
// escaper asks for every character of a run, so it is one look.
constexpr std::array<LatexScript, 0x10000> kScriptOfBmp = [] {
  std::array<LatexScript, 0x10000> scripts{};
  for (const ScriptRange& range : kScriptRanges) {
    for (char32_t cp = range.first; cp <= range.last && cp < scripts.size(); ++cp) scripts[cp] = range.script;
  }
  return scripts;
}();

// The pages of 256 code points that each family has a subfont for (the
// .tfm files of latex-cjk-chinese-arphic-gbsn00lp, latex-cjk-japanese-wadalab
// and texlive-lang-korean): a character on another page would stop pdflatex.
struct PageRange {
  unsigned char first;
  unsigned char last;
};
constexpr std::array<PageRange, 4> kChinesePages = {{{0x30, 0x32}, {0x4E, 0x9C}, {0x9E, 0x9F}, {0xFE, 0xFF}}};
constexpr std::array<PageRange, 3> kJapanesePages = {{{0x30, 0x30}, {0x4E, 0x9F}, {0xFF, 0xFF}}};
constexpr std::array<PageRange, 5> kKoreanPages = {{{0x30, 0x33}, {0x4E, 0x9F}, {0xAC, 0xD7}, {0xF9, 0xFA}, {0xFF, 0xFF}}};

template <std::size_t N>
bool onPages(const std::array<PageRange, N>& pages, char32_t cp) {
  const auto page = static_cast<unsigned>(cp >> 8);
  return cp <= 0xFFFF && std::any_of(pages.begin(), pages.end(), [page](const PageRange& r) {
           return page >= r.first && page <= r.last;
         });
}

bool familyHas(CjkFamily family, char32_t cp) {
  switch (family) {
    case CjkFamily::Chinese: return onPages(kChinesePages, cp);
    case CjkFamily::Japanese: return onPages(kJapanesePages, cp);
    case CjkFamily::Korean: return onPages(kKoreanPages, cp);
  }
  return false;
}

bool isKana(char32_t cp) { return (cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x31F0 && cp <= 0x31FF); }
bool isHangul(char32_t cp) { return (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0x3130 && cp <= 0x318F); }

// The letters latex_text.cpp sets as math symbols or Latin capitals.
bool isBasicGreek(char32_t cp) {
  return (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) || (cp >= 0x3B1 && cp <= 0x3C9);
}

// The length of the UTF-8 sequence a lead byte starts (1 for any other byte).
std::size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF5) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  return 1;
}

// The code point of the well-formed sequence at `at` of `bytes`, or none.
bool decodeAt(std::string_view bytes, std::size_t at, std::size_t length, char32_t& cp) {
  if (length < 2 || at + length > bytes.size()) return false;
  cp = static_cast<unsigned char>(bytes[at]) & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[at + i]);
    if ((next & 0xC0U) != 0x80) return false;
    cp = cp << 6 | (next & 0x3FU);
  }
  return true;
}

// Whether the eight bytes from `at` are all ASCII.
bool asciiWordAt(std::string_view bytes, std::size_t at) {
  if (at + 8 > bytes.size()) return false;
  std::uint64_t word = 0;
  std::memcpy(&word, bytes.data() + at, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

}  // namespace

LatexScript latexScriptOf(char32_t cp) {
  return cp < kScriptOfBmp.size() ? kScriptOfBmp[cp] : LatexScript::None;
}

bool latexNeedsOwnFont(char32_t cp) {
  const LatexScript script = latexScriptOf(cp);
  if (script == LatexScript::Greek) return !isBasicGreek(cp);
  CjkFamily family{};
  return script != LatexScript::None && (script != LatexScript::Cjk || cjkFamilyFor(cp, CjkFamily::Chinese, family));
}

bool cjkFamilyFor(char32_t cp, CjkFamily preferred, CjkFamily& family) {
  if (isKana(cp)) preferred = CjkFamily::Japanese;
  if (isHangul(cp)) preferred = CjkFamily::Korean;
  for (unsigned step = 0; step < 3; ++step) {
    const auto candidate = static_cast<CjkFamily>((static_cast<unsigned>(preferred) + step) % 3);
    if (familyHas(candidate, cp)) {
      family = candidate;
      return true;
    }
  }
  return false;
}

CjkFamily preferredCjkFamily(std::string_view utf8, CjkFamily documentLeaning) {
  bool hangul = false;
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t cp = nextCodePoint(utf8, at);
    if (isKana(cp)) return CjkFamily::Japanese;
    hangul = hangul || isHangul(cp);
  }
  return hangul ? CjkFamily::Korean : documentLeaning;
}

std::string_view latexScriptEncoding(LatexScript script) {
  return script == LatexScript::Cyrillic ? "T2A" : script == LatexScript::Greek ? "LGR" : "T5";
}

std::string_view cjkFamilyName(CjkFamily family) {
  switch (family) {
    case CjkFamily::Chinese: return "gbsn";
    case CjkFamily::Japanese: return "min";
    case CjkFamily::Korean: return "mj";
  }
  return "gbsn";
}

void LatexScriptScan::read(std::string_view bytes) {
  if (bytes.empty()) return;
  if (!links_) links_ = mayHoldLinks(bytes) || (lastByte_ == '/' && bytes.front() == '/');
  lastByte_ = bytes.back();
  if (!carried_.empty()) {
    const std::size_t length = sequenceLength(static_cast<unsigned char>(carried_[0]));
    const std::size_t take = std::min(length - carried_.size(), bytes.size());
    carried_.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (carried_.size() < length) return;
    readWhole(carried_);
    carried_.clear();
  }
  // A lead byte among the last three whose sequence the block cuts short.
  std::size_t cut = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    const std::size_t at = bytes.size() - back;
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) break;
    if (byte >= 0xC0) {
      if (sequenceLength(byte) > back) cut = at;
      break;
    }
  }
  readWhole(bytes.substr(0, cut));
  carried_.assign(bytes.substr(cut));
}

void LatexScriptScan::readWhole(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    // Most text is ASCII: passed over eight bytes at a time.
    if (asciiWordAt(bytes, at)) {
      while (asciiWordAt(bytes, at)) at += 8;
      afterGreek_ = false;
      if (at == bytes.size()) break;
    }
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = sequenceLength(lead);
    char32_t cp = 0;
    if (!decodeAt(bytes, at, length, cp)) {
      afterGreek_ = false;
      continue;
    }
    const LatexScript script = latexScriptOf(cp);
    if (script == LatexScript::None && latexShowsOnlyBeyondPdftex(cp)) {
      scripts_.addFontScript(latexFontScriptOf(cp));
    }
    const bool greek = script == LatexScript::Greek;
    if (latexNeedsOwnFont(cp) || (greek && afterGreek_)) scripts_.add(script);
    afterGreek_ = greek;
    kana_ = kana_ || isKana(cp);
    hangul_ = hangul_ || isHangul(cp);
    at += length - 1;
  }
}

LatexScripts LatexScriptScan::scripts() const {
  LatexScripts scripts = scripts_;
  scripts.mayHoldLinks = links_;
  scripts.cjkLeaning = kana_ ? CjkFamily::Japanese : hangul_ ? CjkFamily::Korean : CjkFamily::Chinese;
  return scripts;
}

LatexScripts latexScriptsIn(std::string_view utf8) {
  LatexScriptScan scan;
  scan.read(utf8);
  return scan.scripts();
}

}  // namespace kolvo
