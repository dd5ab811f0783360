#include "driver/text_warnings.hpp"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "io/message_text.hpp"
#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"

namespace kolvo {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Text of ASCII and two-byte sequences (Cyrillic, Greek, most accented
// letters) read sixteen bytes at a time, as the decoder's own fast path
// reads it: the characters beyond ASCII (their lead bytes) counted, or
// false at the first block of any other shape (a longer sequence, a byte
// that is not UTF-8, a control), which the caller then reads one by one.
#if defined(__SSE2__)
bool countTwoByteText(std::string_view text, std::uint64_t& characters) {
  const auto within = [](__m128i v, unsigned char low, unsigned char high) {
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i value = _mm_xor_si128(v, flip);
    const __m128i below = _mm_cmplt_epi8(value, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(low)), flip));
    const __m128i above = _mm_cmpgt_epi8(value, _mm_xor_si128(_mm_set1_epi8(static_cast<char>(high)), flip));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(below, above))) ^ 0xFFFFU;
  };
  std::uint64_t count = 0;
  std::size_t at = 0;
  // Each block is read with the byte after it, which a lead at its end needs.
  for (; at + 17 <= text.size(); at += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + 1));
    const unsigned leads = within(v, 0xC2, 0xDF);
    const unsigned continuations = within(v, 0x80, 0xBF);
    const unsigned plain = within(v, 0x20, 0x7E) | within(v, '\t', '\t') | within(v, '\n', '\n') |
                           within(v, '\r', '\r');
    const unsigned carried = at > 0 && static_cast<unsigned char>(text[at - 1]) >= 0xC2 &&
                                     static_cast<unsigned char>(text[at - 1]) <= 0xDF
                                 ? 1U
                                 : 0U;
    const bool wellFormed = (plain | leads | continuations) == 0xFFFFU &&
                            continuations == (((leads << 1U) | carried) & 0xFFFFU) &&
                            (leads & 0x8000U & ~within(next, 0x80, 0xBF)) == 0;
    if (!wellFormed) return false;
    count += static_cast<std::uint64_t>(std::popcount(leads));
  }
  // The rest, a byte at a time (past the continuation of a lead that
  // ended the last block, which that block's test saw).
  if (at > 0 && static_cast<unsigned char>(text[at - 1]) >= 0xC2 &&
      static_cast<unsigned char>(text[at - 1]) <= 0xDF) {
    ++at;
  }
  for (; at < text.size(); ++at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80) continue;
    const std::size_t length = utf8SequenceLength(text, at);
    if (length != 2) return false;
    ++count;
    ++at;
  }
  characters = count;
  return true;
}
#else
bool countTwoByteText(std::string_view, std::uint64_t&) { return false; }
#endif

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool followed(std::string_view text, std::size_t at, MarkupFollow follow) {
  const char next = at + 1 < text.size() ? text[at + 1] : '\0';
  switch (follow) {
    case MarkupFollow::Anything: return true;
    case MarkupFollow::NotAfterBlank: return at == 0 || text[at - 1] != ' ';
    case MarkupFollow::NotTag: return !beginsTag(text, at);
    case MarkupFollow::MarkupStart:
      return isAsciiLetter(next) || next == '/' || next == '!' || next == '?';
    case MarkupFollow::Reference: return isAsciiLetter(next) || next == '#';
  }
  return false;
}

// What the markup characters of a format do to its document.
std::string_view markupEffect(Format format) {
  return format == Format::Latex ? "which stops pdflatex or is not shown"
                                 : "which is not shown";
}

std::string plural(std::uint64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The markup characters of `format` but "%", which the tags hold too and
// which is looked for on its own (a line with tags has many).
std::array<bool, 128> markupBytes(Format format) {
  std::array<bool, 128> bytes{};
  for (const MarkupCharacter& c : kMarkupCharacters) {
    if (c.format == format && c.byte != '%') bytes[static_cast<unsigned char>(c.byte)] = true;
  }
  return bytes;
}

}  // namespace

BeyondAscii beyondAsciiIn(Format format) {
  switch (format) {
    case Format::PostScript:
    case Format::Pdf: return BeyondAscii::Every;
    case Format::Rtf: return BeyondAscii::Utf8Only;
    case Format::Latex: return BeyondAscii::NotUtf8Only;
    default: return BeyondAscii::Shown;
  }
}

TextWarningCounter::TextWarningCounter(Format format, TextMode mode)
    : beyondAscii_(beyondAsciiIn(format)), active_(mode == TextMode::Markup),
      markupSet_(markupBytes(format), false),
      beyondAsciiSet_(std::array<bool, 128>{}, true) {
  for (std::size_t i = 0; i < kMarkupCharacters.size(); ++i) {
    if (kMarkupCharacters[i].format != format) continue;
    markupRow_[static_cast<unsigned char>(kMarkupCharacters[i].byte)] =
        static_cast<unsigned char>(i + 1);
    hasMarkup_ = true;
    if (kMarkupCharacters[i].byte == '%') percentRow_ = static_cast<unsigned>(i + 1);
  }
  // A format that shows every character as typed has nothing to count.
  if (!hasMarkup_ && beyondAscii_ == BeyondAscii::Shown) active_ = false;
}

void TextWarningCounter::count(std::string_view text) {
  if (!active_) return;
  if (percentRow_ != 0) countStrayPercent(text);
  if (beyondAscii_ != BeyondAscii::Shown && beyondAsciiSet_.anyIn(text)) countBeyondAscii(text);
  if (hasMarkup_ && markupSet_.anyIn(text)) countMarkup(text);
}

// A "%" that begins no tag.
void TextWarningCounter::countStrayPercent(std::string_view text) {
  for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
    if (beginsTag(text, at)) {
      at += 2;
    } else if (followed(text, at, kMarkupCharacters[percentRow_ - 1].follow)) {
      ++counts_.markup[percentRow_ - 1];
    }
  }
}

// A well-formed line (most text beyond ASCII is) has a character for each
// byte that begins one; any other is read one sequence at a time.
void TextWarningCounter::countBeyondAscii(std::string_view text) {
  std::uint64_t characters = 0;
  if (countTwoByteText(text, characters)) {
    // Every one of them is UTF-8.
    if (beyondAscii_ != BeyondAscii::NotUtf8Only) counts_.beyondAscii += characters;
    return;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    if (at + 8 <= text.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, sizeof word);
      if ((word & kHighBits) == 0) {
        at += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = utf8SequenceLength(text, at);
    const bool counted = beyondAscii_ == BeyondAscii::Every ||
                         (beyondAscii_ == BeyondAscii::Utf8Only) == (length != 0);
    if (counted) ++counts_.beyondAscii;
    at += length != 0 ? length : 1;
  }
}

void TextWarningCounter::countMarkup(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    const unsigned row = markupRow_[static_cast<unsigned char>(text[at])];
    // (No other byte than "%" begins a tag: the tags need no passing over.)
    if (row == 0 || row == percentRow_) continue;
    if (followed(text, at, kMarkupCharacters[row - 1].follow)) ++counts_.markup[row - 1];
  }
}

std::vector<std::string> textWarnings(Format format, const TextWarningCounts& counts) {
  std::vector<std::string> warnings;
  const std::string name(formatName(format));
  if (counts.beyondAscii > 0) {
    warnings.push_back(plural(counts.beyondAscii, "character", "characters") +
                       " beyond ASCII " + (counts.beyondAscii == 1 ? "is" : "are") +
                       " not shown as typed in " + name + "; --escape shows them");
  }
  std::uint64_t total = 0;
  std::string each;
  for (std::size_t i = 0; i < kMarkupCharacters.size(); ++i) {
    if (kMarkupCharacters[i].format != format || counts.markup[i] == 0) continue;
    total += counts.markup[i];
    if (!each.empty()) each += ", ";
    each += std::to_string(counts.markup[i]) + " " +
            quoted(std::string_view(&kMarkupCharacters[i].byte, 1));
  }
  if (total > 0) {
    warnings.push_back(plural(total, "character", "characters") + " of the text " +
                       (total == 1 ? "is " : "are ") + name + " markup, " +
                       std::string(markupEffect(format)) + ": " + each + "; --escape shows them");
  }
  return warnings;
}

}  // namespace kolvo
