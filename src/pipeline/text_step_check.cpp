// The check before the text step.
//
// Without it a plain line of prose paid for decodeText's scan and then the
// escaper's own: two for escapeXmlText, a byte at a time for LaTeX and RTF,
// a copy for PostScript and PDF. With it such a line costs one pass: on an
// 80-byte line 7 ns (XML text) to 10 ns (LaTeX, with its pairs) against
// 9 ns for decodeText and 16 ns for escapeXmlText; a thousand lines of
// prose through rewriteLine take 23-26 us in every format, typed or not,
// where typed took 60-84 us and AbiWord and DocBook 50 us (all others
// 22 us). The whole program, 50 MB of generated prose (bench/make_corpus),
// least user+sys CPU seconds of 7 runs, release build, 2-core 2.3 GHz Xeon:
//
//            before: default  --escape         after: default  --escape
//   AbiWord          0.105    0.109  1.04x            0.083    0.083  1.00x
//   DocBook          0.102    0.111  1.09x            0.078    0.078  1.00x
//   HTML             0.069    0.106  1.54x            0.069    0.074  1.07x
//   RTF              0.071    0.129  1.82x            0.071    0.078  1.10x
//   LaTeX            0.067    0.144  2.15x            0.066    0.075  1.14x
//   PostScript       0.080    0.127  1.59x            0.079    0.090  1.14x
//   PDF              0.090    0.134  1.49x            0.090    0.098  1.09x
//
// The pass looks a byte up by its two halves (SSSE3's pshufb), which
// decides membership of any set of ASCII bytes in a few instructions per
// sixteen bytes; every byte beyond ASCII counts, and shows in its sign bit.
// (A compare for each byte of the set would not do: LaTeX's has seventeen.)
// The sets are built from the byte rules the steps themselves use.

#include "pipeline/text_step_check.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

#include "text/latex_ascii.hpp"
#include "text/rtf_text.hpp"
#include "text/text_decoding.hpp"
#include "text/xml_text.hpp"
#include "writers/paged/paged_text.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_CHECK_SSSE3 1
#endif

namespace kolvo {
namespace {

// Typed text's addresses, which the steps of the formats with links make
// into links, have "//" or "@" (mayHoldLinks): a line with a "/" or "@"
// goes through the step, which looks closer.
constexpr bool linkLooksAt(unsigned char byte) { return byte == '/' || byte == '@'; }

constexpr bool looksAt(TextStep step, unsigned char byte) {
  if (decodingLooksAt(byte)) return true;
  switch (step) {
    case TextStep::XmlMarkup: return keepWellFormedXmlLooksAt(byte);
    case TextStep::XmlText: return escapeXmlTextLooksAt(byte) || linkLooksAt(byte);
    case TextStep::Rtf: return rtfTextLooksAt(byte) || linkLooksAt(byte);
    case TextStep::Latex: return latexTextLooksAt(byte) || linkLooksAt(byte);
    case TextStep::Paged: return pagedTextLooksAt(byte);
    case TextStep::PagedLinks: return pagedTextLooksAt(byte) || linkLooksAt(byte);
  }
  return true;
}

// The two bytes the SIMD pass compares with their right neighbour.
constexpr char kComma = ',';
constexpr char kHyphen = '-';
static_assert([] {
  int joining = 0;
  for (int c = 0; c < 256; ++c) joining += latexJoinsItself(static_cast<char>(c)) ? 1 : 0;
  return joining == 2 && latexJoinsItself(kComma) && latexJoinsItself(kHyphen);
}());

constexpr bool looksAtPair(TextStep step, char first, char second) {
  return step == TextStep::Latex && first == second && latexJoinsItself(first);
}

struct ByteRules {
  std::array<bool, 256> bytes{};
  // For the ASCII bytes: indexed by the low four bits, one bit for each
  // value of the high three (0-7) that makes a byte looked at.
  std::array<std::uint8_t, 16> byLowNibble{};
  bool pairs = false;
};

constexpr ByteRules makeRules(TextStep step) {
  ByteRules rules;
  for (unsigned b = 0; b < 256; ++b) {
    rules.bytes[b] = looksAt(step, static_cast<unsigned char>(b));
    if (b < 0x80 && rules.bytes[b]) {
      rules.byLowNibble[b & 0xFU] |= static_cast<std::uint8_t>(1U << (b >> 4));
    }
  }
  rules.pairs = looksAtPair(step, kComma, kComma) || looksAtPair(step, kHyphen, kHyphen);
  return rules;
}

// Indexed by TextStep.
constexpr std::array<ByteRules, 6> kRules = {
    makeRules(TextStep::XmlMarkup), makeRules(TextStep::XmlText), makeRules(TextStep::Rtf),
    makeRules(TextStep::Latex),     makeRules(TextStep::Paged),   makeRules(TextStep::PagedLinks)};

const ByteRules& rulesOf(TextStep step) { return kRules[static_cast<std::size_t>(step)]; }

// Every byte beyond ASCII is looked at, so the nibble tables need not cover
// them.
static_assert([] {
  for (const ByteRules& rules : kRules) {
    for (unsigned b = 0x80; b < 256; ++b) {
      if (!rules.bytes[b]) return false;
    }
  }
  return true;
}());

bool oneByOne(std::string_view line, const ByteRules& rules) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (rules.bytes[static_cast<unsigned char>(c)]) return true;
    if (rules.pairs && i + 1 < line.size() && line[i + 1] == c && latexJoinsItself(c)) return true;
  }
  return false;
}

#if defined(KOLVO_CHECK_SSSE3)
// Sixteen bytes at a time, the last block overlapping the one before it;
// `size` is 16 or more. A byte's low four bits pick a mask of the high
// values that are looked at, its high four bits pick the one bit of its
// own value (none beyond ASCII): the byte is looked at when they share it.
// A pair compares each byte with the next, loaded one further on (in the
// last block shifted in, with a zero at the end, which joins nothing).
// (No lambdas in here: they would not inherit the target.)
template <bool kPairs>
__attribute__((target("ssse3"))) bool ssse3(const char* text, std::size_t size,
                                            const ByteRules& rules) {
  const __m128i byLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rules.byLowNibble.data()));
  const __m128i highBit = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i comma = _mm_set1_epi8(kComma);
  const __m128i hyphen = _mm_set1_epi8(kHyphen);
  __m128i seen = _mm_setzero_si128();
  __m128i signs = _mm_setzero_si128();
  for (std::size_t i = 0;; i += 16) {
    const bool last = i + 16 >= size;
    const char* at = text + (last ? size - 16 : i);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i low = _mm_shuffle_epi8(byLow, _mm_and_si128(v, nibble));
    const __m128i high = _mm_shuffle_epi8(highBit, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
    seen = _mm_or_si128(seen, _mm_and_si128(low, high));
    signs = _mm_or_si128(signs, v);
    if constexpr (kPairs) {
      const __m128i next =
          last ? _mm_srli_si128(v, 1) : _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
      const __m128i joins = _mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, hyphen));
      seen = _mm_or_si128(seen, _mm_and_si128(joins, _mm_cmpeq_epi8(v, next)));
    }
    if (last) break;
  }
  const int none = _mm_movemask_epi8(_mm_cmpeq_epi8(seen, _mm_setzero_si128()));
  return _mm_movemask_epi8(signs) != 0 || none != 0xFFFF;
}

bool ssse3(std::string_view line, const ByteRules& rules) {
  return rules.pairs ? ssse3<true>(line.data(), line.size(), rules)
                     : ssse3<false>(line.data(), line.size(), rules);
}

bool detectSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0;
}

const bool kHaveSsse3 = detectSsse3();
#endif

}  // namespace

bool textStepLooksAt(TextStep step, unsigned char byte) { return rulesOf(step).bytes[byte]; }

bool textStepLooksAtPair(TextStep step, char first, char second) {
  return looksAtPair(step, first, second);
}

bool textStepMayChange(std::string_view line, TextStep step) {
#if defined(KOLVO_CHECK_SSSE3)
  if (line.size() >= 16 && kHaveSsse3) return ssse3(line, rulesOf(step));
#endif
  return oneByOne(line, rulesOf(step));
}

bool textStepMayChangeByteByByte(std::string_view line, TextStep step, bool& result) {
  result = oneByOne(line, rulesOf(step));
  return true;
}

bool textStepMayChangeSsse3(std::string_view line, TextStep step, bool& result) {
#if defined(KOLVO_CHECK_SSSE3)
  if (!kHaveSsse3) return false;
  result = line.size() >= 16 ? ssse3(line, rulesOf(step)) : oneByOne(line, rulesOf(step));
  return true;
#else
  (void)line;
  (void)step;
  (void)result;
  return false;
#endif
}

}  // namespace kolvo
