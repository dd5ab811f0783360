#include "text/link_finder.hpp"

#include <array>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define KOLVO_LINKS_AVX2 1
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "markup/byte_scan.hpp"
#include "text/typed_text.hpp"

namespace kolvo {
namespace {

#if defined(KOLVO_LINKS_AVX2)
const bool kHaveAvx2 = scan::cpuHasAvx2();

// mayHoldLinks() thirty-two bytes a step, for long texts (LaTeX's look at
// the whole input for hyperref); `size` is 32 or more. The last bytes are
// the thirty-two that end the text.
__attribute__((target("avx2"))) bool holdsLinkMarksAvx2(const char* bytes, std::size_t size) {
  const __m256i atSign = _mm256_set1_epi8('@');
  const __m256i slash = _mm256_set1_epi8('/');
  for (std::size_t at = 0;; at += 32) {
    const std::size_t from = at + 32 <= size ? at : size - 32;
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + from));
    const auto ats = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, atSign)));
    const auto slashes = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, slash)));
    if (ats != 0 || (slashes & (slashes >> 1)) != 0) return true;
    if ((slashes & 0x80000000U) != 0 && from + 32 < size && bytes[from + 32] == '/') return true;
    if (from + 32 == size) return false;
  }
}
#endif

constexpr std::array<std::string_view, 5> kSchemes = {"https://", "http://", "ftps://", "ftp://",
                                                      "mailto:"};

constexpr bool isAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// What an address may hold unencoded (RFC 3986), less the brackets of a
// host name: a link in running text does not take them.
constexpr bool isAddressByte(char c) {
  constexpr std::string_view kMarks = "-._~:/?#@!$&'()*+,;=%";
  return isAlnum(c) || kMarks.find(c) != std::string_view::npos;
}

constexpr bool isLocalPartByte(char c) {
  return isAlnum(c) || c == '.' || c == '_' || c == '+' || c == '-';
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The end of an address from `from`: its bytes, not a tag's, less the
// punctuation after it.
std::size_t addressEnd(std::string_view text, std::size_t begin, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && isAddressByte(text[end]) &&
         !(text[end] == '%' && beginsTag(text, end))) {
    ++end;
  }
  while (end > from) {
    const char last = text[end - 1];
    if (last == ')') {
      std::ptrdiff_t depth = 0;
      for (std::size_t i = begin; i < end; ++i) depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
      if (depth >= 0) break;
    } else if (std::string_view(".,;:!?'*").find(last) == std::string_view::npos) {
      break;
    }
    --end;
  }
  return end;
}

// Whether a word starts at `at`: after a byte that is no letter or
// digit, or after a tag.
bool startsWord(std::string_view text, std::size_t at) {
  return at == 0 || !isAlnum(text[at - 1]) || (at >= 3 && beginsTag(text, at - 3));
}

// A web address whose scheme starts at `at`, or none (end == begin).
FoundLink schemeLink(std::string_view text, std::size_t at) {
  for (const std::string_view scheme : kSchemes) {
    if (!startsWithNoCase(text, at, scheme)) continue;
    const std::size_t end = addressEnd(text, at, at + scheme.size());
    // Something must follow the scheme: a host, or the mailbox of mailto.
    if (end > at + scheme.size() && isAlnum(text[at + scheme.size()])) return {at, end, false};
    return {at, at, false};
  }
  return {at, at, false};
}

// A bare e-mail address around the "@" at `at`, or none: a local part of
// letters, digits and ". _ + -", and a domain of two or more labels, the
// last of letters alone.
FoundLink emailLink(std::string_view text, std::size_t at, std::size_t after) {
  std::size_t begin = at;
  while (begin > after && isLocalPartByte(text[begin - 1])) --begin;
  // A tag just before the address is the markup's, not the address's.
  if (begin > 0 && text[begin - 1] == '%' && beginsTag(text, begin - 1)) begin += 2;
  while (begin < at && !isAlnum(text[begin])) ++begin;
  if (begin == at) return {at, at, true};
  std::size_t end = at + 1;
  std::size_t lastDot = 0;
  while (end < text.size() && (isAlnum(text[end]) || text[end] == '-' ||
                               (text[end] == '.' && end + 1 < text.size() && isAlnum(text[end + 1]) &&
                                text[end - 1] != '.'))) {
    if (text[end] == '.') lastDot = end;
    ++end;
  }
  if (lastDot <= at + 1) return {at, at, true};
  for (std::size_t i = lastDot + 1; i < end; ++i) {
    if (!isAlnum(text[i]) || (text[i] >= '0' && text[i] <= '9')) return {at, at, true};
  }
  if (end - lastDot < 3) return {at, at, true};  // a top-level domain has two letters or more
  return {begin, end, true};
}

}  // namespace

// One pass for both marks, sixteen bytes at a time where the processor
// can: typed PDF asks this of every line, and most lines have neither.
bool mayHoldLinks(std::string_view text) {
  const char* const bytes = text.data();
  const std::size_t size = text.size();
  std::size_t at = 0;
#if defined(KOLVO_LINKS_AVX2)
  // A line is mostly a few blocks of sixteen; a long text gains from more.
  if (size >= 256 && kHaveAvx2) return holdsLinkMarksAvx2(bytes, size);
#endif
#if defined(__SSE2__)
  const __m128i atSign = _mm_set1_epi8('@');
  const __m128i slash = _mm_set1_epi8('/');
  const auto blockHolds = [&](std::size_t from) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, atSign)) != 0) return true;
    const auto slashes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, slash)));
    // "//" inside the block, or across its end.
    if ((slashes & (slashes >> 1)) != 0) return true;
    return (slashes & 0x8000U) != 0 && from + 16 < size && bytes[from + 16] == '/';
  };
  if (size >= 16) {
    for (; at + 16 <= size; at += 16) {
      if (blockHolds(at)) return true;
    }
    // The last bytes as the sixteen that end the text, overlapping the
    // block before: a pair found twice is still one pair.
    return at < size && blockHolds(size - 16);
  }
#endif
  for (; at < size; ++at) {
    if (bytes[at] == '@') return true;
    if (bytes[at] == '/' && at + 1 < size && bytes[at + 1] == '/') return true;
  }
  return false;
}

void findLinks(std::string_view text, std::vector<FoundLink>& links) {
  links.clear();
  if (!mayHoldLinks(text)) return;
  std::size_t after = 0;  // the end of the last link
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if ((c == 'h' || c == 'H' || c == 'f' || c == 'F' || c == 'm' || c == 'M') &&
        startsWord(text, at)) {
      const FoundLink link = schemeLink(text, at);
      if (link.end > link.begin) {
        links.push_back(link);
        after = link.end;
        at = link.end - 1;
        continue;
      }
    }
    if (c == '@') {
      const FoundLink link = emailLink(text, at, after);
      if (link.end > link.begin) {
        links.push_back(link);
        after = link.end;
        at = link.end - 1;
      }
    }
  }
}

std::string linkTarget(std::string_view text, const FoundLink& link) {
  const std::string_view address = text.substr(link.begin, link.end - link.begin);
  return link.email ? "mailto:" + std::string(address) : std::string(address);
}

}  // namespace kolvo
