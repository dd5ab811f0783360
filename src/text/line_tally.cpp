#include "text/line_tally.hpp"

#include <algorithm>
#include <bit>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_TALLY_SIMD 1
#endif

#include "markup/byte_scan.hpp"

namespace kolvo {
namespace {

constexpr unsigned kMostQuarter = 255;
// The class bits the AVX2 way looks for (TallyClass has no more).
constexpr unsigned kClassBits = 3;
static_assert(kTallyOffPlain < (1U << kClassBits));

// Two-byte sequences in a block's masks (a bit per byte, the last byte bit
// `last`): well-formed when every continuation follows a lead and nothing
// else lies beyond ASCII. `carry` says that the block before ended with a
// lead; it comes back saying whether this one did.
bool twoByteBlock(std::uint64_t high, std::uint64_t leads, std::uint64_t continuations,
                  unsigned last, std::uint64_t& carry) {
  const std::uint64_t block = last >= 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (last + 1U)) - 1U;
  const bool formed = (high & ~leads & ~continuations) == 0 &&
                      continuations == (((leads << 1U) | carry) & block);
  carry = (leads >> last) & 1U;
  return formed;
}

#if defined(KOLVO_TALLY_SIMD)
// The scans' answer on AVX2, and the bit instructions these ways use too.
bool detectAvx2() {
  return scan::cpuHasAvx2() && __builtin_cpu_supports("popcnt") != 0 &&
         __builtin_cpu_supports("bmi2") != 0;
}

bool detectAvx512() {
  __builtin_cpu_init();
  return detectAvx2() && __builtin_cpu_supports("avx512f") != 0 &&
         __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vbmi") != 0;
}

const bool kHaveAvx2 = detectAvx2();
const bool kHaveAvx512 = detectAvx512();
#endif

}  // namespace

LineTallier::LineTallier() : LineTallier(std::array<std::uint16_t, 256>{}, {}, true) {}

LineTallier::LineTallier(const std::array<std::uint16_t, 256>& weights,
                         const std::array<std::uint8_t, 128>& classes, bool countsBeyondAscii)
    : weights_(weights), countsBeyond_(countsBeyondAscii) {
  weighs_ = std::any_of(weights.begin(), weights.end(), [](std::uint16_t w) { return w != 0; });
  rowLeast_.fill(kMostQuarter);
  columnLeast_.fill(kMostQuarter);
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned up = (weights[b] + 3U) / 4U;
    const unsigned down = weights[b] / 4U;
    quartered_ = quartered_ && up <= kMostQuarter;
    quarters_[b] = static_cast<std::uint8_t>(std::min(up, kMostQuarter));
    rowMost_[b >> 4U] = std::max(rowMost_[b >> 4U], quarters_[b]);
    columnMost_[b & 0xFU] = std::max(columnMost_[b & 0xFU], quarters_[b]);
    const auto least = static_cast<std::uint8_t>(std::min(down, kMostQuarter));
    rowLeast_[b >> 4U] = std::min(rowLeast_[b >> 4U], least);
    columnLeast_[b & 0xFU] = std::min(columnLeast_[b & 0xFU], least);
  }
  classes_ = classes;
  for (unsigned b = 0; b < 128; ++b) {
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((classes[b] >> bit & 1U) != 0) {
        classRows_[bit][b & 0xFU] = static_cast<std::uint8_t>(classRows_[bit][b & 0xFU] | 1U << (b >> 4U));
        usedClasses_ |= 1U << bit;
      }
    }
  }
  way_ = fastestOf(&avx512Way, avx2WayWanted());
  quietWay_ = fastestOf(&quietAvx512Way, &quietAvx2Way);
  mostAscii_ = *std::max_element(weights.begin(), weights.begin() + 128);
  mostNarrow_ = weights['n'];
  for (unsigned b = 0; b < 128; ++b) {
    if (weights[b] > mostNarrow_) {
      wideRows_[b & 0xFU] = static_cast<std::uint8_t>(wideRows_[b & 0xFU] | 1U << (b >> 4U));
    }
  }
}

LineTally LineTallier::tallyOneByOne(std::string_view text) const {
  LineTally found;
  std::uint64_t sum = 0;
  bool afterLead = false;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    sum += weights_[b];
    if (b < 0x80) {
      found.classes |= classes_[b];
      found.onlyTwoByte = found.onlyTwoByte && !afterLead;
      afterLead = false;
      continue;
    }
    ++found.beyondAscii;
    const bool lead = b >= 0xC2 && b <= 0xDF;
    const bool continuation = b <= 0xBF;
    found.twoByteLeads += lead ? 1U : 0U;
    found.onlyTwoByte = found.onlyTwoByte && (continuation ? afterLead : (lead && !afterLead));
    afterLead = lead;
  }
  found.onlyTwoByte = found.onlyTwoByte && !afterLead;
  found.lower = found.upper = sum;
  return found;
}

#if defined(KOLVO_TALLY_SIMD)
namespace {

// Sixty-four bytes a step, the last step's load masked to the line: every
// weight looked up whole (VBMI's byte permutes of 128 entries), so the sum
// is exact in quarters.
// The sum of the eight lanes. (Stored and added up by hand: the
// compiler's reductions and casts warn of their own undefined lanes.)
__attribute__((target("avx512f"))) std::uint64_t sumOfLanes(__m512i sums) {
  std::array<std::uint64_t, 8> lanes{};
  _mm512_storeu_si512(lanes.data(), sums);
  std::uint64_t sum = 0;
  for (const std::uint64_t lane : lanes) sum += lane;
  return sum;
}

// The bytes of `seen` or-ed together.
__attribute__((target("avx512f,avx512bw"))) unsigned orOfBytes(__m512i seen) {
  std::array<std::uint64_t, 8> lanes{};
  _mm512_storeu_si512(lanes.data(), seen);
  std::uint64_t bits = 0;
  for (const std::uint64_t lane : lanes) bits |= lane;
  bits |= bits >> 32U;
  bits |= bits >> 16U;
  bits |= bits >> 8U;
  return static_cast<unsigned>(bits & 0xFFU);
}

// `Weigh`, `Beyond`, `Classes`: whether the weights, the bytes beyond
// ASCII and the classes are wanted at all (most runs want one or two).
template <bool Weigh, bool Beyond, bool Classes>
__attribute__((target("avx512f,avx512bw,avx512vbmi,popcnt,bmi2"))) void avx512(
    std::string_view text, const std::uint8_t* quarters, const std::uint8_t* classes,
    LineTally& tally) {
  const __m512i q0 = _mm512_loadu_si512(quarters);
  const __m512i q1 = _mm512_loadu_si512(quarters + 64);
  const __m512i q2 = _mm512_loadu_si512(quarters + 128);
  const __m512i q3 = _mm512_loadu_si512(quarters + 192);
  const __m512i c0 = _mm512_loadu_si512(classes);
  const __m512i c1 = _mm512_loadu_si512(classes + 64);
  const __m512i zero = _mm512_setzero_si512();
  __m512i sums = zero;
  __m512i seen = zero;
  tally = LineTally{};
  std::uint64_t carry = 0;
  for (std::size_t at = 0; at < text.size(); at += 64) {
    const std::size_t n = std::min<std::size_t>(64, text.size() - at);
    const __mmask64 inside = _bzhi_u64(~std::uint64_t{0}, static_cast<unsigned>(n));
    const __m512i v = _mm512_maskz_loadu_epi8(inside, text.data() + at);
    const __mmask64 high = _mm512_movepi8_mask(v);
    if constexpr (Weigh) {
      const __m512i weights = _mm512_mask_blend_epi8(high, _mm512_permutex2var_epi8(q0, v, q1),
                                                     _mm512_permutex2var_epi8(q2, v, q3));
      sums = _mm512_add_epi64(sums, _mm512_sad_epu8(_mm512_maskz_mov_epi8(inside, weights), zero));
    }
    if constexpr (Classes) {
      seen = _mm512_or_si512(seen, _mm512_maskz_permutex2var_epi8(inside & ~high, c0, v, c1));
    }
    if (!Beyond || (high | carry) == 0) continue;
    const __mmask64 continuations = _mm512_mask_cmple_epu8_mask(high, v, _mm512_set1_epi8(static_cast<char>(0xBF)));
    const __mmask64 leads = _mm512_mask_cmple_epu8_mask(
        _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xC2))), v,
        _mm512_set1_epi8(static_cast<char>(0xDF)));
    tally.beyondAscii += static_cast<std::uint32_t>(std::popcount(high));
    tally.twoByteLeads += static_cast<std::uint32_t>(std::popcount(leads));
    if (!twoByteBlock(high, leads, continuations, static_cast<unsigned>(n - 1), carry)) {
      tally.onlyTwoByte = false;
    }
  }
  tally.onlyTwoByte = tally.onlyTwoByte && carry == 0;
  if constexpr (Weigh) {
    tally.upper = 4 * sumOfLanes(sums);
    const std::uint64_t slack = 3 * static_cast<std::uint64_t>(text.size());
    tally.lower = tally.upper > slack ? tally.upper - slack : 0;
  }
  // Most lines have no byte of any class.
  if (Classes && _mm512_test_epi8_mask(seen, seen) != 0) tally.classes = orOfBytes(seen);
}

using Avx512Way = void (*)(std::string_view, const std::uint8_t*, const std::uint8_t*, LineTally&);

// By what is wanted: weights 4, bytes beyond ASCII 2, classes 1.
constexpr std::array<Avx512Way, 8> kAvx512Ways = {
    &avx512<false, false, false>, &avx512<false, false, true>, &avx512<false, true, false>,
    &avx512<false, true, true>,   &avx512<true, false, false>, &avx512<true, false, true>,
    &avx512<true, true, false>,   &avx512<true, true, true>};

}  // namespace
#endif

#if defined(KOLVO_TALLY_SIMD)
namespace {

// What the AVX2 way looks bytes up in, by a byte's halves: the bounds of
// its weight and the bytes of each class (row bits by low half).
struct HalfTables {
  const std::uint8_t* rowMost;
  const std::uint8_t* columnMost;
  const std::uint8_t* rowLeast;
  const std::uint8_t* columnLeast;
  const std::array<std::uint8_t, 16>* classRows;
  const std::uint8_t* quarters;  // the 128 of ASCII, looked up whole
};

__attribute__((target("avx2"))) __m256i broadcast16(const std::uint8_t* table) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
}

__attribute__((target("avx2"))) std::uint64_t sumOf(__m256i sums) {
  const __m128i both = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(both)) +
         static_cast<std::uint64_t>(_mm_extract_epi64(both, 1));
}

// Bytes from 0x80 of a block that lie in [low, high] (both from 0x80).
__attribute__((target("avx2"))) std::uint32_t highWithin(__m256i v, char low, char high) {
  // Signed: 0x80 is the least byte, 0xFF the largest.
  const __m256i below = _mm256_cmpgt_epi8(_mm256_set1_epi8(low), v);
  const __m256i above = _mm256_cmpgt_epi8(v, _mm256_set1_epi8(high));
  return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(below, above))) &
         static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

// The bytes beyond ASCII of a block but its first `skip`.
inline __attribute__((always_inline, target("avx2,popcnt"))) void countBeyondAscii(__m256i v, unsigned skip,
                                                             std::uint64_t& carry, LineTally& tally) {
  const auto beyond = static_cast<std::uint32_t>(_mm256_movemask_epi8(v)) >> skip;
  if ((beyond | carry) == 0) return;
  const std::uint32_t leads = highWithin(v, static_cast<char>(0xC2), static_cast<char>(0xDF)) >> skip;
  const std::uint32_t continuations =
      highWithin(v, static_cast<char>(0x80), static_cast<char>(0xBF)) >> skip;
  tally.beyondAscii += static_cast<std::uint32_t>(std::popcount(beyond));
  tally.twoByteLeads += static_cast<std::uint32_t>(std::popcount(leads));
  if (!twoByteBlock(beyond, leads, continuations, 31 - skip, carry)) tally.onlyTwoByte = false;
}

// The quarters of 32 ASCII bytes looked up whole: a lookup in each row of
// sixteen by the low half, then the rows picked by bits 4, 5 and 6.
inline __attribute__((always_inline, target("avx2"))) __m256i asciiQuarters(
    __m256i v, __m256i low, const std::uint8_t* quarters) {
  __m256i level[8];  // NOLINT(*-avoid-c-arrays)
  for (std::size_t row = 0; row < 8; ++row) {
    level[row] = _mm256_shuffle_epi8(broadcast16(quarters + 16 * row), low);
  }
  for (std::size_t bit = 4, count = 8; bit < 7; ++bit, count /= 2) {
    // Blends read each byte's top bit: the row's bit moved there.
    const __m256i pick = _mm256_slli_epi16(v, static_cast<int>(7 - bit));
    for (std::size_t i = 0; i < count / 2; ++i) {
      level[i] = _mm256_blendv_epi8(level[2 * i], level[2 * i + 1], pick);
    }
  }
  return level[0];
}

// Thirty-two bytes a step, the last block overlapping the one before it
// (its bytes counted there masked off); `text` is 32 bytes or more. A
// block of ASCII has its weights looked up whole (most text); one with
// bytes beyond it has them bounded by a byte's two halves.
template <bool Weigh, bool Classes>
__attribute__((target("avx2,popcnt,bmi2"))) void avx2(
    std::string_view text, const HalfTables& halves, LineTally& tally) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i rowBit = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                          1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i zero = _mm256_setzero_si256();
  // The tables are read where they are used: more than the registers hold,
  // they would otherwise be copied to the stack for every line.
  __m256i seen[kClassBits];  // NOLINT(*-avoid-c-arrays): a std::array drops the vector's alignment
  for (unsigned bit = 0; bit < kClassBits; ++bit) seen[bit] = zero;
  __m256i most = zero;
  __m256i least = zero;
  __m256i exact = zero;  // quarters of the ASCII blocks, rounded up
  std::uint64_t exactBytes = 0;
  tally = LineTally{};
  std::uint64_t carry = 0;
  for (std::size_t at = 0;; at += 32) {
    const bool last = at + 32 >= text.size();
    const std::size_t from = last ? text.size() - 32 : at;
    const auto skip = static_cast<unsigned>(at - from);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + from));
    // The bytes counted already (the overlap) weigh nothing here.
    const __m256i fresh = _mm256_cmpgt_epi8(
        _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                         20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31),
        _mm256_set1_epi8(static_cast<char>(skip - 1)));
    const __m256i low = _mm256_and_si256(v, nibble);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
    if constexpr (Weigh) {
      if (_mm256_movemask_epi8(v) == 0) {
        const __m256i quarters = asciiQuarters(v, low, halves.quarters);
        exact = _mm256_add_epi64(exact, _mm256_sad_epu8(_mm256_and_si256(quarters, fresh), zero));
        exactBytes += 32 - skip;
      } else {
        const __m256i up = _mm256_min_epu8(_mm256_shuffle_epi8(broadcast16(halves.rowMost), high),
                                           _mm256_shuffle_epi8(broadcast16(halves.columnMost), low));
        const __m256i down = _mm256_max_epu8(_mm256_shuffle_epi8(broadcast16(halves.rowLeast), high),
                                             _mm256_shuffle_epi8(broadcast16(halves.columnLeast), low));
        most = _mm256_add_epi64(most, _mm256_sad_epu8(_mm256_and_si256(up, fresh), zero));
        least = _mm256_add_epi64(least, _mm256_sad_epu8(_mm256_and_si256(down, fresh), zero));
      }
    }
    const __m256i rows = _mm256_and_si256(_mm256_shuffle_epi8(rowBit, high), fresh);
    for (unsigned bit = 0; Classes && bit < kClassBits; ++bit) {
      const __m256i members =
          _mm256_and_si256(_mm256_shuffle_epi8(broadcast16(halves.classRows[bit].data()), low), rows);
      seen[bit] = _mm256_or_si256(seen[bit], members);
    }
    countBeyondAscii(v, skip, carry, tally);
    if (last) break;
  }
  tally.onlyTwoByte = tally.onlyTwoByte && carry == 0;
  // A weight rounded up to quarters is at most 3 over.
  const std::uint64_t exactUnits = 4 * sumOf(exact);
  tally.upper = 4 * sumOf(most) + exactUnits;
  const std::uint64_t slack = 3 * exactBytes;
  tally.lower = 4 * sumOf(least) + (exactUnits > slack ? exactUnits - slack : 0);
  for (unsigned bit = 0; Classes && bit < kClassBits; ++bit) {
    if (!_mm256_testz_si256(seen[bit], seen[bit])) {
      tally.classes |= 1U << bit;
    }
  }
}

// The weights alone of a text of 32 ASCII bytes or more, looked up whole
// as avx2() looks up a block of ASCII, so the bounds are the same; the
// last block overlaps the one before it.
__attribute__((target("avx2"))) void weighAscii(std::string_view text, const std::uint8_t* quarters,
                                                LineTally& tally) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i zero = _mm256_setzero_si256();
  __m256i sums = zero;
  for (std::size_t at = 0;; at += 32) {
    const bool last = at + 32 >= text.size();
    const std::size_t from = last ? text.size() - 32 : at;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + from));
    __m256i weights = asciiQuarters(v, _mm256_and_si256(v, nibble), quarters);
    if (last) {
      // The bytes weighed already (the overlap) weigh nothing here.
      const auto skip = static_cast<char>(at - from);
      weights = _mm256_and_si256(
          weights, _mm256_cmpgt_epi8(_mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                                                      15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
                                                      27, 28, 29, 30, 31),
                                     _mm256_set1_epi8(static_cast<char>(skip - 1))));
    }
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(weights, zero));
    if (last) break;
  }
  tally = LineTally{};
  tally.upper = 4 * sumOf(sums);
  const std::uint64_t slack = 3 * static_cast<std::uint64_t>(text.size());
  tally.lower = tally.upper > slack ? tally.upper - slack : 0;
}

// How many ASCII bytes of a text of 32 bytes or more are in the set whose
// row bits `rows` holds by low half; the last block overlaps the one
// before it, its bytes counted there shifted out.
__attribute__((target("avx2,popcnt"))) std::uint64_t countMembers(std::string_view text,
                                                                 const std::uint8_t* rows) {
  const __m256i byLow = broadcast16(rows);
  const __m256i rowBit = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                          1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i zero = _mm256_setzero_si256();
  std::uint64_t count = 0;
  for (std::size_t at = 0;; at += 32) {
    const bool last = at + 32 >= text.size();
    const std::size_t from = last ? text.size() - 32 : at;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + from));
    const __m256i low = _mm256_shuffle_epi8(byLow, _mm256_and_si256(v, nibble));
    const __m256i high = _mm256_shuffle_epi8(rowBit, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    const auto members = ~static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(low, high), zero)));
    count += static_cast<std::uint64_t>(std::popcount(members >> (at - from)));
    if (last) break;
  }
  return count;
}

}  // namespace
#endif

void LineTallier::oneByOneWay(const LineTallier& tallier, std::string_view text, LineTally& tally) {
  tally = tallier.tallyOneByOne(text);
}

template <bool Weigh, bool Classes>
void LineTallier::avx2Way(const LineTallier& tallier, std::string_view text, LineTally& tally) {
#if defined(KOLVO_TALLY_SIMD)
  if (text.size() < 32) {
    tally = tallier.tallyOneByOne(text);
    return;
  }
  const HalfTables halves{tallier.rowMost_.data(),    tallier.columnMost_.data(),
                          tallier.rowLeast_.data(),   tallier.columnLeast_.data(),
                          tallier.classRows_.data(),  tallier.quarters_.data()};
  avx2<Weigh, Classes>(text, halves, tally);
#else
  tally = tallier.tallyOneByOne(text);
#endif
}

LineTallier::Way LineTallier::avx2WayWanted() const {
  const bool classes = usedClasses_ != 0;
  if (weighs_) return classes ? &avx2Way<true, true> : &avx2Way<true, false>;
  return classes ? &avx2Way<false, true> : &avx2Way<false, false>;
}

void LineTallier::avx512Way(const LineTallier& tallier, std::string_view text, LineTally& tally) {
#if defined(KOLVO_TALLY_SIMD)
  const unsigned way = (tallier.weighs_ ? 4U : 0U) | (tallier.countsBeyond_ ? 2U : 0U) |
                       (tallier.usedClasses_ != 0 ? 1U : 0U);
  kAvx512Ways[way](text, tallier.quarters_.data(), tallier.classes_.data(), tally);
#else
  tally = tallier.tallyOneByOne(text);
#endif
}

void LineTallier::quietAvx2Way(const LineTallier& tallier, std::string_view text, LineTally& tally) {
#if defined(KOLVO_TALLY_SIMD)
  if (text.size() < 32) {
    tally = tallier.tallyOneByOne(text);
    return;
  }
  weighAscii(text, tallier.quarters_.data(), tally);
#else
  tally = tallier.tallyOneByOne(text);
#endif
}

void LineTallier::quietAvx512Way(const LineTallier& tallier, std::string_view text, LineTally& tally) {
#if defined(KOLVO_TALLY_SIMD)
  avx512<true, false, false>(text, tallier.quarters_.data(), tallier.classes_.data(), tally);
#else
  tally = tallier.tallyOneByOne(text);
#endif
}

std::uint64_t LineTallier::countWide(std::string_view text) const {
#if defined(KOLVO_TALLY_SIMD)
  if (kHaveAvx2 && text.size() >= 32) return countMembers(text, wideRows_.data());
#endif
  std::uint64_t count = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    count += b < 0x80 && ((wideRows_[b & 0xFU] >> (b >> 4U)) & 1U) != 0 ? 1U : 0U;
  }
  return count;
}

bool LineTallier::tallyQuietAvx2(std::string_view text, LineTally& tally) const {
#if defined(KOLVO_TALLY_SIMD)
  if (!kHaveAvx2 || !quartered_) return false;
  quietAvx2Way(*this, text, tally);
  return true;
#else
  (void)text;
  (void)tally;
  return false;
#endif
}

LineTallier::Way LineTallier::fastestOf(Way avx512, Way avx2) const {
#if defined(KOLVO_TALLY_SIMD)
  if (quartered_ && kHaveAvx512) return avx512;
  if (quartered_ && kHaveAvx2) return avx2;
#else
  (void)avx512;
  (void)avx2;
#endif
  return &oneByOneWay;
}

bool LineTallier::tallyAvx2(std::string_view text, LineTally& tally) const {
#if defined(KOLVO_TALLY_SIMD)
  if (!kHaveAvx2 || !quartered_) return false;
  avx2WayWanted()(*this, text, tally);
  return true;
#else
  (void)text;
  (void)tally;
  return false;
#endif
}

bool LineTallier::tallyAvx512(std::string_view text, LineTally& tally) const {
#if defined(KOLVO_TALLY_SIMD)
  if (!kHaveAvx512 || !quartered_) return false;
  avx512Way(*this, text, tally);
  return true;
#else
  (void)text;
  (void)tally;
  return false;
#endif
}

}  // namespace kolvo
