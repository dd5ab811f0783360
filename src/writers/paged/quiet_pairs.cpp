#include "writers/paged/quiet_pairs.hpp"

#include "writers/paged/glyph_place.hpp"
#include "writers/paged/run_characters.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_QUIET_AVX2 1
#endif

namespace kolvo::paged {
namespace {

constexpr std::size_t kBlock = 32;

// Whether escaping `c` in `style` asks nothing: it is never asked for, or
// it was (with its font's blank), and it leaves the font in force alone.
bool asksNothing(char32_t c, FallbackContext& context, FontStyle style) {
  const GlyphPlace place = glyphPlace(c);
  if (place.font == GlyphFont::Symbol) return false;  // returns to the body font
  if (place.font == GlyphFont::Text || isOneOf(c, kInvisible)) return true;
  const FallbackContext::Glyph g = context.knownGlyphs(style)[c];
  return context.settled(g, false) && (g.glyph.code == 0 || context.blankAsked(g.glyph.font));
}

#if defined(KOLVO_QUIET_AVX2)
bool detectAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}
const bool kHaveAvx2 = detectAvx2();

// The look itself. A byte fails when: it continues a character but the
// byte before is not one of the two leads, or the other way round; it
// starts a character of more than one byte under another lead; it is a
// "%"; or it ends a pair of the leads that the table does not take. (No
// lambdas in here: they would not inherit the target.)
__attribute__((target("avx2"))) std::size_t scanAvx2(const char* text, std::size_t size,
                                                     std::size_t at, const std::uint8_t* table,
                                                     unsigned char lead0, unsigned char lead1) {
  const __m256i lookup = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
  const __m256i bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                        1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i first = _mm256_set1_epi8(static_cast<char>(lead0));
  const __m256i second = _mm256_set1_epi8(static_cast<char>(lead1));
  const __m256i percent = _mm256_set1_epi8('%');
  const __m256i top = _mm256_set1_epi8(static_cast<char>(0xC0));
  const __m256i high = _mm256_set1_epi8(static_cast<char>(0x80));
  const __m256i lowNibble = _mm256_set1_epi8(0x0F);
  const __m256i three = _mm256_set1_epi8(3);
  const __m256i four = _mm256_set1_epi8(4);
  std::size_t p = at;
  for (; p + kBlock <= size; p += kBlock) {
    const __m256i cur = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + p));
    // Before the first byte of the text stands nothing that leads.
    const __m256i prev = p == 0 ? _mm256_setr_m128i(_mm_slli_si128(_mm256_castsi256_si128(cur), 1),
                                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 15)))
                                : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + p - 1));
    const __m256i tops = _mm256_and_si256(cur, top);
    const __m256i continues = _mm256_cmpeq_epi8(tops, high);
    const __m256i startsMany = _mm256_cmpeq_epi8(tops, top);
    const __m256i afterSecond = _mm256_cmpeq_epi8(prev, second);
    const __m256i afterLead = _mm256_or_si256(_mm256_cmpeq_epi8(prev, first), afterSecond);
    const __m256i isLead = _mm256_or_si256(_mm256_cmpeq_epi8(cur, first), _mm256_cmpeq_epi8(cur, second));
    const __m256i which = _mm256_add_epi8(_mm256_and_si256(_mm256_srli_epi16(cur, 4), three),
                                          _mm256_and_si256(afterSecond, four));
    const __m256i taken = _mm256_and_si256(_mm256_shuffle_epi8(lookup, _mm256_and_si256(cur, lowNibble)),
                                           _mm256_shuffle_epi8(bits, which));
    const __m256i notTaken = _mm256_and_si256(continues, _mm256_cmpeq_epi8(taken, _mm256_setzero_si256()));
    const __m256i fails = _mm256_or_si256(
        _mm256_or_si256(_mm256_xor_si256(continues, afterLead), _mm256_andnot_si256(isLead, startsMany)),
        _mm256_or_si256(_mm256_cmpeq_epi8(cur, percent), notTaken));
    if (!_mm256_testz_si256(fails, fails)) return p;
  }
  return p;
}
#endif

}  // namespace

bool QuietPairs::available() {
#if defined(KOLVO_QUIET_AVX2)
  return kHaveAvx2;
#else
  return false;
#endif
}

void QuietPairs::build(FallbackContext& context, FontStyle style, std::array<unsigned char, 2> leads) {
  leads_ = leads;
  table_.fill(0);
  for (std::size_t which = 0; which < leads.size(); ++which) {
    for (unsigned second = 0x80; second < 0xC0; ++second) {
      const char32_t c = (leads[which] & 0x1FU) << 6 | (second & 0x3FU);
      if (asksNothing(c, context, style)) {
        table_[second & 0x0FU] |= static_cast<std::uint8_t>(1U << ((second >> 4 & 3U) + 4 * which));
      }
    }
  }
}

std::size_t QuietPairs::firstUnquiet(std::string_view text, std::size_t at) const {
#if defined(KOLVO_QUIET_AVX2)
  if (kHaveAvx2) return scanAvx2(text.data(), text.size(), at, table_.data(), leads_[0], leads_[1]);
#endif
  return at;
}

}  // namespace kolvo::paged
