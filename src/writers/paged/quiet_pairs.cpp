#include "writers/paged/quiet_pairs.hpp"

#include <bit>

#include "markup/byte_scan.hpp"
#include "writers/paged/glyph_place.hpp"
#include "writers/paged/run_characters.hpp"
#include "writers/paged/shaped_scripts.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_QUIET_AVX2 1
#endif

namespace kolvo::paged {
namespace {

constexpr std::size_t kBlock = 32;

enum class Quiet : unsigned char { No, Yes, WithoutBlankAfter };

// What escaping `c` in `style` asks: nothing when it is never asked for, or
// was, and its font's blank too; nothing but that blank when the blank was
// not asked for. A Symbol glyph returns to the body font: not quiet.
Quiet quietness(char32_t c, FallbackContext& context, FontStyle style) {
  const GlyphPlace place = glyphPlace(c);
  if (place.font == GlyphFont::Symbol) return Quiet::No;
  if (place.font == GlyphFont::Text || isOneOf(c, kInvisible)) return Quiet::Yes;
  // Shaping gives codes by the characters around: never quiet.
  if (needsShaping(c)) return Quiet::No;
  const FallbackContext::Glyph g = context.knownGlyphs(style)[c];
  if (!context.settled(g, false)) return Quiet::No;
  return g.glyph.code == 0 || context.blankAsked(g.glyph.font) ? Quiet::Yes : Quiet::WithoutBlankAfter;
}

#if defined(KOLVO_QUIET_AVX2)
const bool kHaveAvx2 = scan::cpuHasAvx2();

struct Tables {
  __m256i quiet;
  __m256i noBlankAfter;
  __m256i first;   // the two leads
  __m256i second;
};

// For each byte of `cur` (with `prev`, the bytes one before) that ends a
// pair under one of the leads: the bit of the pair in `table`, or 0.
// `afterSecond`: where `prev` is the second lead.
__attribute__((target("avx2"))) __m256i pairBits(__m256i cur, __m256i afterSecond, __m256i table) {
  const __m256i bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                        1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i which = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(cur, 4), _mm256_set1_epi8(3)),
                                       _mm256_and_si256(afterSecond, _mm256_set1_epi8(4)));
  return _mm256_and_si256(_mm256_shuffle_epi8(table, _mm256_and_si256(cur, _mm256_set1_epi8(0x0F))),
                          _mm256_shuffle_epi8(bits, which));
}

// The bytes the escaper sees as blanks: blanks, and the controls that
// decoding makes blanks (all below 0x20 but tab, line feed, carriage return).
__attribute__((target("avx2"))) __m256i blanks(__m256i cur) {
  const __m256i control =
      _mm256_cmpeq_epi8(_mm256_and_si256(cur, _mm256_set1_epi8(static_cast<char>(0xE0))), _mm256_setzero_si256());
  const __m256i kept = _mm256_or_si256(
      _mm256_or_si256(_mm256_cmpeq_epi8(cur, _mm256_set1_epi8('\t')), _mm256_cmpeq_epi8(cur, _mm256_set1_epi8('\n'))),
      _mm256_cmpeq_epi8(cur, _mm256_set1_epi8('\r')));
  return _mm256_or_si256(_mm256_cmpeq_epi8(cur, _mm256_set1_epi8(' ')), _mm256_andnot_si256(kept, control));
}

// The bytes of one block that are not quiet. A byte fails when: it
// continues a character but the byte before is not one of the two leads,
// or the other way round; it starts a character of more than one byte
// under another lead; it is a "%" or the `stop` byte; it ends a pair the
// quiet table does not take; or it is a blank after a pair that wants
// none (looked for only `withBlanks`, when the table has such pairs). (No
// lambdas in here: they would not inherit the target.)
template <bool withBlanks>
__attribute__((target("avx2"))) unsigned failsIn(const char* at, const Tables& t, __m256i stop) {
  const __m256i cur = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  const __m256i prev = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 1));
  const __m256i top = _mm256_set1_epi8(static_cast<char>(0xC0));
  const __m256i tops = _mm256_and_si256(cur, top);
  const __m256i continues = _mm256_cmpeq_epi8(tops, _mm256_set1_epi8(static_cast<char>(0x80)));
  const __m256i startsMany = _mm256_cmpeq_epi8(tops, top);
  const __m256i afterSecond = _mm256_cmpeq_epi8(prev, t.second);
  const __m256i afterLead = _mm256_or_si256(_mm256_cmpeq_epi8(prev, t.first), afterSecond);
  const __m256i isLead = _mm256_or_si256(_mm256_cmpeq_epi8(cur, t.first), _mm256_cmpeq_epi8(cur, t.second));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i notTaken = _mm256_and_si256(continues, _mm256_cmpeq_epi8(pairBits(cur, afterSecond, t.quiet), zero));
  __m256i fails = _mm256_or_si256(
      _mm256_or_si256(_mm256_xor_si256(continues, afterLead), _mm256_andnot_si256(isLead, startsMany)),
      _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(cur, _mm256_set1_epi8('%')), _mm256_cmpeq_epi8(cur, stop)),
                      notTaken));
  if constexpr (withBlanks) {
    // The pair that ends one byte before, with the byte before that as its lead.
    const __m256i prev2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 2));
    const __m256i prevAfterSecond = _mm256_cmpeq_epi8(prev2, t.second);
    const __m256i prevAfterLead = _mm256_or_si256(_mm256_cmpeq_epi8(prev2, t.first), prevAfterSecond);
    const __m256i wantsNoBlank = _mm256_andnot_si256(
        _mm256_cmpeq_epi8(pairBits(prev, prevAfterSecond, t.noBlankAfter), zero), prevAfterLead);
    fails = _mm256_or_si256(fails, _mm256_and_si256(wantsNoBlank, blanks(cur)));
  }
  return static_cast<unsigned>(_mm256_movemask_epi8(fails));
}

// The last line feed of the block at `at` among the bytes `below` marks.
__attribute__((target("avx2"))) void noteFeeds(const char* text, std::size_t at, unsigned below,
                                               std::size_t& lastFeed) {
  const __m256i cur = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at));
  const unsigned feeds = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(cur, _mm256_set1_epi8('\n')))) & below;
  if (feeds != 0) lastFeed = at + static_cast<std::size_t>(31 - std::countl_zero(feeds));
}

template <bool withBlanks>
__attribute__((target("avx2"))) QuietPairs::Stop scanBlocks(std::string_view text, std::size_t at,
                                                            const Tables& tables, __m256i stops) {
  std::size_t lastFeed = std::string_view::npos;
  std::size_t p = at;
  for (; p + kBlock <= text.size(); p += kBlock) {
    const unsigned fails = failsIn<withBlanks>(text.data() + p, tables, stops);
    if (fails != 0) {
      const auto first = static_cast<unsigned>(std::countr_zero(fails));
      noteFeeds(text.data(), p, (1U << first) - 1U, lastFeed);
      return {p + first, lastFeed};
    }
    noteFeeds(text.data(), p, ~0U, lastFeed);
  }
  return {p, lastFeed};
}

__attribute__((target("avx2"))) __m256i broadcast(const std::array<std::uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

__attribute__((target("avx2"))) QuietPairs::Stop scanAvx2(std::string_view text, std::size_t at,
                                                     const std::array<std::uint8_t, 16>& quiet,
                                                     const std::array<std::uint8_t, 16>& noBlankAfter,
                                                     std::array<unsigned char, 2> leads, char stop) {
  const Tables tables{broadcast(quiet), broadcast(noBlankAfter), _mm256_set1_epi8(static_cast<char>(leads[0])),
                      _mm256_set1_epi8(static_cast<char>(leads[1]))};
  const __m256i stops = _mm256_set1_epi8(stop);
  const bool withBlanks = noBlankAfter != std::array<std::uint8_t, 16>{};
  return withBlanks ? scanBlocks<true>(text, at, tables, stops) : scanBlocks<false>(text, at, tables, stops);
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
  quiet_.fill(0);
  noBlankAfter_.fill(0);
  for (std::size_t which = 0; which < leads.size(); ++which) {
    for (unsigned second = 0x80; second < 0xC0; ++second) {
      const char32_t c = (leads[which] & 0x1FU) << 6 | (second & 0x3FU);
      const Quiet q = quietness(c, context, style);
      const auto bit = static_cast<std::uint8_t>(1U << ((second >> 4 & 3U) + 4 * which));
      if (q != Quiet::No) quiet_[second & 0x0FU] |= bit;
      if (q == Quiet::WithoutBlankAfter) noBlankAfter_[second & 0x0FU] |= bit;
    }
  }
}

QuietPairs::Stop QuietPairs::firstUnquiet(std::string_view text, std::size_t at, bool feedsStop) const {
#if defined(KOLVO_QUIET_AVX2)
  if (kHaveAvx2 && at >= 2) return scanAvx2(text, at, quiet_, noBlankAfter_, leads_, feedsStop ? '\n' : '%');
#endif
  (void)feedsStop;
  return {at, std::string_view::npos};
}

}  // namespace kolvo::paged
