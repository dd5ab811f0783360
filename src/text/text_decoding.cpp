#include "text/text_decoding.hpp"

#include <array>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kolvo {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;
constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 0x80-0x9F; the bytes it leaves undefined read as U+FFFD. The
// bytes 0xA0-0xFF are the code points of the same number.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, kReplacement, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030,       0x0160, 0x2039, 0x0152, kReplacement, 0x017D, kReplacement,
    kReplacement, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122,       0x0161, 0x203A, 0x0153, kReplacement, 0x017E, 0x0178};

unsigned char byteAt(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

// The first byte at `from` or later that is neither printable ASCII, DEL,
// tab, line feed nor carriage return, or npos. Prose is all such bytes, so
// this scan is what a plain line costs.
std::size_t findUnusualByte(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    // As signed bytes, 0x80-0xFF are below the blank as well as the controls.
    const __m128i below = _mm_cmplt_epi8(v, blank);
    const __m128i allowed = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, lf)),
                                         _mm_cmpeq_epi8(v, cr));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(allowed, below)));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  for (; i < text.size(); ++i) {
    if (decodingLooksAt(byteAt(text, i))) return i;
  }
  return kNotFound;
}

// From `at`, the first character of a sequence, past every block of 16
// bytes that holds only what decoding leaves alone and is easy to see at
// once: printable ASCII, tab, line ends and two-byte sequences (Cyrillic,
// Greek, Hebrew, Arabic ...), none of which is a non-character. Returns
// where the first block that holds anything else starts; `at` itself when
// there is none (or no SSE2), so the byte-wise reading goes on from there.
std::size_t skipTwoByteBlocks(std::string_view text, std::size_t at) {
#if defined(__SSE2__)
  // Bytes compare unsigned once their top bit is flipped and they compare
  // signed: a byte is within [low, high] when it is neither below nor above.
  const auto within = [](__m128i v, unsigned char low, unsigned char high) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i value = _mm_xor_si128(v, flip);
    const __m128i below = _mm_cmplt_epi8(value, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(low)), flip));
    const __m128i above = _mm_cmpgt_epi8(value, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(high)), flip));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(below, above))) ^ 0xFFFFU;
  };
  // Each block is read with the byte after it, which a lead at its end needs.
  while (at + 17 <= text.size()) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + 1));
    const unsigned leads = within(v, 0xC2, 0xDF);
    const unsigned continuations = within(v, 0x80, 0xBF);
    const unsigned plain = within(v, 0x20, 0x7F) | within(v, '\t', '\t') | within(v, '\n', '\n') |
                           within(v, '\r', '\r');
    const bool wellFormed = (plain | leads | continuations) == 0xFFFFU &&
                            continuations == ((leads << 1U) & 0xFFFFU) &&
                            (leads & ~within(next, 0x80, 0xBF)) == 0;
    if (!wellFormed) break;
    at += 16 + (leads >> 15U);  // past the continuation of a lead at the end
  }
#endif
  return at;
}

}  // namespace

// The range of the second byte is what rules out overlong forms,
// surrogates and code points above U+10FFFF.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
  const unsigned lead = byteAt(text, at);
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // below: overlong
    if (lead == 0xED) high = 0x9F;  // above: surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // below: overlong
    if (lead == 0xF4) high = 0x8F;  // above: beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  const unsigned second = byteAt(text, at + 1);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byteAt(text, at + i) & 0xC0U) != 0x80) return 0;
  }
  return length;
}

namespace {

// U+FFFE and U+FFFF: EF BF BE and EF BF BF.
bool isNonCharacter(std::string_view text, std::size_t at, std::size_t length) {
  return length == 3 && byteAt(text, at) == 0xEF && byteAt(text, at + 1) == 0xBF &&
         (byteAt(text, at + 2) & 0xFEU) == 0xBE;
}

// The first byte at `from` or later from which the text must change, or npos.
// Text beyond ASCII comes in words of several characters with a blank or
// two between them, so the sequences and the odd ASCII byte between them
// are read here one by one; only a longer stretch of ASCII goes back to
// the scan, whose set-up would otherwise be paid for every character.
std::size_t firstChange(std::string_view text, std::size_t from) {
  std::size_t i = findUnusualByte(text, from);
  while (i < text.size()) {
    const unsigned char lead = byteAt(text, i);
    if (lead < 0x80) {
      if (decodingLooksAt(lead)) return i;  // a control
      const bool moreFollow = i + 1 < text.size() && byteAt(text, i + 1) >= 0x80;
      i = moreFollow ? i + 1 : findUnusualByte(text, i + 1);
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < text.size() && (byteAt(text, i + 1) & 0xC0U) == 0x80) {
      // Two bytes, as most letters beyond ASCII take: no other check
      // applies, and text of such letters goes by in blocks.
      const std::size_t after = skipTwoByteBlocks(text, i);
      i = after != i ? after : i + 2;
      continue;
    }
    const std::size_t length = utf8SequenceLength(text, i);
    if (length == 0 || isNonCharacter(text, i, length)) return i;
    i += length;
  }
  return kNotFound;
}


// Appends what the bytes at a change found by firstChange() become; returns
// how many bytes that took.
std::size_t appendDecoded(std::string& out, std::string_view text, std::size_t at) {
  const unsigned char lead = byteAt(text, at);
  if (lead < 0x80) {
    out.push_back(' ');
    return 1;
  }
  if (const std::size_t length = utf8SequenceLength(text, at); length != 0) {
    appendUtf8(out, kReplacement);  // a non-character
    return length;
  }
  appendUtf8(out, lead < 0xA0 ? kWindows1252High[lead - 0x80U] : char32_t{lead});
  return 1;
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
  const auto put = [&](char32_t bits) { out.push_back(static_cast<char>(bits)); };
  if (cp < 0x80) {
    put(cp);
  } else if (cp < 0x800) {
    put(0xC0 | cp >> 6);
    put(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    put(0xE0 | cp >> 12);
    put(0x80 | (cp >> 6 & 0x3F));
    put(0x80 | (cp & 0x3F));
  } else {
    put(0xF0 | cp >> 18);
    put(0x80 | (cp >> 12 & 0x3F));
    put(0x80 | (cp >> 6 & 0x3F));
    put(0x80 | (cp & 0x3F));
  }
}

bool isDecodedText(std::string_view in) { return firstChange(in, 0) == kNotFound; }

bool decodeText(std::string_view in, std::string& out) {
  std::size_t change = firstChange(in, 0);
  if (change == kNotFound) return false;
  out.clear();
  out.reserve(in.size() + 16);
  std::size_t run = 0;
  while (change != kNotFound) {
    out.append(in, run, change - run);
    run = change + appendDecoded(out, in, change);
    change = firstChange(in, run);
  }
  out.append(in, run);
  return true;
}

}  // namespace kolvo
