#include "writers/paged/advance_sum.hpp"

#include <algorithm>
#include <cstddef>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_ADVANCES_AVX2 1
#endif

#include "markup/byte_scan.hpp"

namespace kolvo::paged {
namespace {

// Four sums at once, so that the additions do not wait on one another.
std::uint64_t fourAtOnce(const unsigned char* bytes, std::size_t size, const GlyphWidths& table) {
  std::uint64_t sums[4] = {0, 0, 0, 0};
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    for (std::size_t k = 0; k < 4; ++k) sums[k] += table[bytes[i + k]];
  }
  for (; i < size; ++i) sums[0] += table[bytes[i]];
  return sums[0] + sums[1] + sums[2] + sums[3];
}

#if defined(KOLVO_ADVANCES_AVX2)
// Eight glyphs a step, in one gather of the 32-bit words at their 16-bit
// entries, whose low halves are the entries. The entry of code 255 is the
// table's last, with no entry after it to read, so a step that holds that
// byte is summed byte by byte. A block of kBlock bytes puts at most 8192
// glyphs of at most 65535 into each 32-bit lane: no overflow. (No lambdas
// in here: they would not inherit the target.) On a line of prose, a fifth
// of the instructions of the sum byte by byte.
constexpr std::size_t kStep = 8;
constexpr std::size_t kBlock = 65536;

__attribute__((target("avx2"))) std::uint64_t avx2(const unsigned char* bytes, std::size_t size,
                                                   const GlyphWidths& table) {
  const int* const entries = reinterpret_cast<const int*>(table.data());
  const __m256i lowHalf = _mm256_set1_epi32(0xFFFF);
  const __m256i lastCode = _mm256_set1_epi32(0xFF);
  std::uint64_t total = 0;
  std::size_t i = 0;
  while (i + kStep <= size) {
    const std::size_t blockEnd = std::min(size, i + kBlock);
    __m256i lanes = _mm256_setzero_si256();
    for (; i + kStep <= blockEnd; i += kStep) {
      const __m256i codes =
          _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i)));
      if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(codes, lastCode)) != 0) {
        total += fourAtOnce(bytes + i, kStep, table);
        continue;
      }
      const __m256i words = _mm256_i32gather_epi32(entries, codes, 2);
      lanes = _mm256_add_epi32(lanes, _mm256_and_si256(words, lowHalf));
    }
    alignas(32) std::uint32_t sums[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(sums), lanes);
    for (const std::uint32_t sum : sums) total += sum;
  }
  return total + fourAtOnce(bytes + i, size - i, table);
}

const bool kHaveAvx2 = scan::cpuHasAvx2();
#endif

}  // namespace

std::uint64_t sumAdvances(std::string_view bytes, const GlyphWidths& table) {
  const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
#if defined(KOLVO_ADVANCES_AVX2)
  if (bytes.size() >= kStep && kHaveAvx2) return avx2(data, bytes.size(), table);
#endif
  return fourAtOnce(data, bytes.size(), table);
}

std::uint64_t sumAdvancesOneByOne(std::string_view bytes, const GlyphWidths& table) {
  std::uint64_t sum = 0;
  for (const char c : bytes) sum += table[static_cast<unsigned char>(c)];
  return sum;
}

}  // namespace kolvo::paged
