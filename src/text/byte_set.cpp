#include "text/byte_set.hpp"

#include <bit>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_BYTE_SET_SSSE3 1
#endif

namespace kolvo {
namespace {

#if defined(KOLVO_BYTE_SET_SSSE3)
// Whole blocks of sixteen; the caller counts the rest. A byte's low half
// picks the high values that are members, its high half the one bit of its
// own (none beyond ASCII, which its sign bit shows instead).
// The first `skip` bytes of each block are not counted.
__attribute__((target("ssse3,popcnt"))) std::size_t countBlocks(
    const char* text, std::size_t blocks, const std::uint8_t* byLowNibble, bool beyondAscii,
    std::size_t skip) {
  const __m128i byLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(byLowNibble));
  const __m128i highBit = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i zero = _mm_setzero_si128();
  std::size_t count = 0;
  for (std::size_t i = 0; i < blocks; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16 * i));
    const __m128i low = _mm_shuffle_epi8(byLow, _mm_and_si128(v, nibble));
    const __m128i high = _mm_shuffle_epi8(highBit, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
    auto members = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(low, high), zero))) ^ 0xFFFFU;
    if (beyondAscii) members |= static_cast<unsigned>(_mm_movemask_epi8(v));
    count += static_cast<std::size_t>(std::popcount(members >> skip));
  }
  return count;
}

// The members of one block: a mask of sixteen bits.
__attribute__((target("ssse3"))) inline unsigned blockMembers(__m128i v, __m128i byLow,
                                                              bool beyondAscii) {
  const __m128i highBit = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i low = _mm_shuffle_epi8(byLow, _mm_and_si128(v, nibble));
  const __m128i high = _mm_shuffle_epi8(highBit, _mm_and_si128(_mm_srli_epi16(v, 4), nibble));
  auto members = static_cast<unsigned>(_mm_movemask_epi8(
                     _mm_cmpeq_epi8(_mm_and_si128(low, high), _mm_setzero_si128()))) ^
                 0xFFFFU;
  if (beyondAscii) members |= static_cast<unsigned>(_mm_movemask_epi8(v));
  return members;
}

// Two sets over the same text of sixteen bytes or more, the last block
// overlapping the one before it (its bytes counted there masked off).
// `stop` (may be null): no counts once a byte is in it.
__attribute__((target("ssse3,popcnt"))) std::optional<std::pair<std::size_t, std::size_t>>
countTwo(std::string_view text, const std::uint8_t* firstLow, bool firstBeyond,
         const std::uint8_t* secondLow, bool secondBeyond, const std::uint8_t* stopLow,
         bool stopBeyond) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(firstLow));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(secondLow));
  const __m128i c = stopLow != nullptr ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(stopLow))
                                       : _mm_setzero_si128();
  std::size_t first = 0;
  std::size_t second = 0;
  for (std::size_t at = 0;; at += 16) {
    const bool last = at + 16 >= text.size();
    const std::size_t from = last ? text.size() - 16 : at;
    const unsigned skip = static_cast<unsigned>(at - from);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    if (stopLow != nullptr && blockMembers(v, c, stopBeyond) != 0) return std::nullopt;
    first += static_cast<std::size_t>(std::popcount(blockMembers(v, a, firstBeyond) >> skip));
    second += static_cast<std::size_t>(std::popcount(blockMembers(v, b, secondBeyond) >> skip));
    if (last) break;
  }
  return std::pair{first, second};
}

// Whether any byte of `text` (sixteen or more) is a member: the blocks'
// members or-ed together, the last block overlapping the one before it.
__attribute__((target("ssse3"))) bool anyBlocks(std::string_view text, const std::uint8_t* byLowNibble,
                                                bool beyondAscii) {
  const __m128i byLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(byLowNibble));
  for (std::size_t at = 0;; at += 16) {
    const bool last = at + 16 >= text.size();
    const char* from = text.data() + (last ? text.size() - 16 : at);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    if (blockMembers(v, byLow, beyondAscii) != 0) return true;
    if (last) return false;
  }
}

// Where the first member of the whole blocks of sixteen at the start of
// `text` lies, or the length of those blocks; the caller looks at the rest.
__attribute__((target("ssse3"))) std::size_t firstInBlocks(std::string_view text,
                                                            const std::uint8_t* byLowNibble,
                                                            bool beyondAscii) {
  const __m128i byLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(byLowNibble));
  std::size_t at = 0;
  for (; at + 16 <= text.size(); at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    if (const unsigned members = blockMembers(v, byLow, beyondAscii); members != 0) {
      return at + static_cast<std::size_t>(std::countr_zero(members));
    }
  }
  return at;
}

// The same, thirty-two bytes a step: a search that runs far ahead.
__attribute__((target("avx2,bmi"))) std::size_t firstInWideBlocks(std::string_view text,
                                                                  const std::uint8_t* byLowNibble,
                                                                  bool beyondAscii) {
  const __m256i byLow =
      _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(byLowNibble)));
  const __m256i highBit = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0,
                                           1, 2, 4, 8, 16, 32, 64, -128, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t at = 0;
  for (; at + 32 <= text.size(); at += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text.data() + at));
    const __m256i low = _mm256_shuffle_epi8(byLow, _mm256_and_si256(v, nibble));
    const __m256i high =
        _mm256_shuffle_epi8(highBit, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    auto members = ~static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(low, high), zero)));
    if (beyondAscii) members |= static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
    if (members != 0) return at + static_cast<std::size_t>(std::countr_zero(members));
  }
  return at;
}

bool detectAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi") != 0;
}

const bool kHaveAvx2 = detectAvx2();

bool detectSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") != 0 && __builtin_cpu_supports("popcnt") != 0;
}

const bool kHaveSsse3 = detectSsse3();
#endif

}  // namespace

ByteSet::ByteSet(const std::array<bool, 128>& members, bool beyondAscii)
    : beyondAscii_(beyondAscii) {
  for (unsigned b = 0; b < 128; ++b) {
    if (members[b]) byLowNibble_[b & 0xFU] |= static_cast<std::uint8_t>(1U << (b >> 4));
  }
}

std::size_t ByteSet::countOneByOne(std::string_view text) const {
  std::size_t count = 0;
  for (const char c : text) count += has(static_cast<unsigned char>(c)) ? 1U : 0U;
  return count;
}

bool ByteSet::countSsse3(std::string_view text, std::size_t& count) const {
#if defined(KOLVO_BYTE_SET_SSSE3)
  if (!kHaveSsse3) return false;
  if (text.size() < 16) {
    count = countOneByOne(text);
    return true;
  }
  // The last block ends with the text, overlapping the one before it; the
  // bytes counted there already are masked off.
  const std::size_t blocks = text.size() / 16;
  const std::size_t rest = text.size() % 16;
  count = countBlocks(text.data(), blocks, byLowNibble_.data(), beyondAscii_, 0);
  if (rest > 0) {
    count += countBlocks(text.data() + text.size() - 16, 1, byLowNibble_.data(), beyondAscii_,
                         16 - rest);
  }
  return true;
#else
  (void)text;
  (void)count;
  return false;
#endif
}

std::size_t ByteSet::countIn(std::string_view text) const {
  std::size_t count = 0;
  if (countSsse3(text, count)) return count;
  return countOneByOne(text);
}

bool ByteSet::anyIn(std::string_view text) const {
#if defined(KOLVO_BYTE_SET_SSSE3)
  if (kHaveSsse3 && text.size() >= 16) return anyBlocks(text, byLowNibble_.data(), beyondAscii_);
#endif
  for (const char c : text) {
    if (has(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

std::size_t ByteSet::firstIn(std::string_view text) const {
  std::size_t at = 0;
#if defined(KOLVO_BYTE_SET_SSSE3)
  if (kHaveAvx2) at = firstInWideBlocks(text, byLowNibble_.data(), beyondAscii_);
  if (kHaveSsse3) at += firstInBlocks(text.substr(at), byLowNibble_.data(), beyondAscii_);
#endif
  while (at < text.size() && !has(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

std::pair<std::size_t, std::size_t> ByteSet::countBothIn(const ByteSet& other,
                                                         std::string_view text) const {
#if defined(KOLVO_BYTE_SET_SSSE3)
  if (kHaveSsse3 && text.size() >= 16) {
    return *countTwo(text, byLowNibble_.data(), beyondAscii_, other.byLowNibble_.data(),
                     other.beyondAscii_, nullptr, false);
  }
#endif
  return {countOneByOne(text), other.countOneByOne(text)};
}

std::optional<std::pair<std::size_t, std::size_t>> ByteSet::countBothUnless(
    const ByteSet& other, const ByteSet& stop, std::string_view text) const {
#if defined(KOLVO_BYTE_SET_SSSE3)
  if (kHaveSsse3 && text.size() >= 16) {
    return countTwo(text, byLowNibble_.data(), beyondAscii_, other.byLowNibble_.data(),
                    other.beyondAscii_, stop.byLowNibble_.data(), stop.beyondAscii_);
  }
#endif
  if (stop.anyIn(text)) return std::nullopt;
  return countBothIn(other, text);
}

}  // namespace kolvo
