#include "fonts/line_breaker.hpp"

#include <unicode/ubrk.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <array>
#include <string>

namespace kolvo::fonts {
namespace {

struct BreakIteratorCloser {
  void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
using BreakIteratorHandle = std::unique_ptr<UBreakIterator, BreakIteratorCloser>;

BreakIteratorHandle openIterator(UBreakIteratorType type) {
  UErrorCode status = U_ZERO_ERROR;
  // The root locale: the rules of the text itself, whatever the reader's.
  BreakIteratorHandle iterator(ubrk_open(type, "", nullptr, 0, &status));
  if (U_FAILURE(status)) return nullptr;
  return iterator;
}

void appendUtf16(char32_t c, std::u16string& out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  const char32_t rest = c - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (rest >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (rest & 0x3FF)));
}

// The characters that begin a grapheme cluster wherever they stand and
// that no character joins: Latin before the combining marks, and the CJK
// blocks less their combining marks (U+302A to U+302F, U+3099, U+309A,
// the halfwidth voicing marks U+FF9E and U+FF9F). A text of them alone has
// a cluster edge before every character, and needs no cluster iterator:
// most of Chinese and Japanese text, which the iterator would walk for
// nothing.
struct Range {
  char32_t first;
  char32_t last;
};
constexpr std::array<Range, 6> kLoneCharacters = {{{0x0000, 0x02FF},
                                                   {0x3000, 0x3029},
                                                   {0x3030, 0x3098},
                                                   {0x309B, 0x30FF},
                                                   {0x4E00, 0x9FFF},
                                                   {0xFF00, 0xFF9D}}};

bool everyCharacterAlone(std::u32string_view text) {
  return std::all_of(text.begin(), text.end(), [](char32_t c) {
    return std::any_of(kLoneCharacters.begin(), kLoneCharacters.end(),
                       [c](const Range& range) { return c >= range.first && c <= range.last; });
  });
}

}  // namespace

struct LineBreaker::Iterators {
  BreakIteratorHandle lines = openIterator(UBRK_LINE);
  BreakIteratorHandle clusters = openIterator(UBRK_CHARACTER);
};

LineBreaker::LineBreaker() = default;
LineBreaker::~LineBreaker() = default;

bool LineBreaker::breaks(std::u32string_view text, std::vector<BreakBefore>& out) {
  if (failed_) return false;
  if (!iterators_) iterators_ = std::make_unique<Iterators>();
  if (!iterators_->lines || !iterators_->clusters) {
    failed_ = true;
    return false;
  }
  utf16_.clear();
  characterOf_.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    appendUtf16(text[i], utf16_);
    characterOf_.resize(utf16_.size(), static_cast<std::uint32_t>(i));
  }
  out.assign(text.size(), BreakBefore::Never);
  const auto length = static_cast<std::int32_t>(utf16_.size());
  // Cluster edges first, then the line breaks among them: a break the
  // line rules allow inside a cluster (none should) stays Never.
  const auto mark = [&](UBreakIterator* iterator, BreakBefore rule) {
    UErrorCode status = U_ZERO_ERROR;
    ubrk_setText(iterator, utf16_.data(), length, &status);
    if (U_FAILURE(status)) return false;
    for (std::int32_t at = ubrk_next(iterator); at != UBRK_DONE && at < length;
         at = ubrk_next(iterator)) {
      BreakBefore& place = out[characterOf_[static_cast<std::size_t>(at)]];
      if (rule == BreakBefore::LastResort || place == BreakBefore::LastResort) place = rule;
    }
    return true;
  };
  if (everyCharacterAlone(text)) {
    // Before the first character there is nothing to break from.
    for (std::size_t i = 1; i < out.size(); ++i) out[i] = BreakBefore::LastResort;
  } else if (!mark(iterators_->clusters.get(), BreakBefore::LastResort)) {
    out.clear();
    return false;
  }
  if (!mark(iterators_->lines.get(), BreakBefore::Allowed)) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace kolvo::fonts
