#pragma once
// Helpers for showing the user's text as typed (--escape): the format
// escapers turn decoded UTF-8 text into each format's literal text, and
// leave the tags of the markup in place for the tag rows that follow.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kolvo {

namespace paged {
class FallbackContext;
}

// What the escapers of one run could not show: each such character is shown
// as "?" and counted, for one warning at the end of the run. The paged
// escaper also keeps the first few such characters, and draws what the
// standard fonts lack with the fallback fonts of `fallback` when it is set.
struct EscapeStats {
  static constexpr std::size_t kSampleCount = 4;

  std::uint64_t missingGlyphs = 0;
  std::array<char32_t, kSampleCount> samples{};  // distinct, in order of appearance
  std::size_t sampleCount = 0;
  paged::FallbackContext* fallback = nullptr;

  // Counts `c` as shown as "?" and keeps it among the samples.
  void missing(char32_t c);
};

// Whether a tag of the table ("%" and two bytes that are some row's tag,
// whether or not the row has a text for the format at hand) begins at `at`.
bool beginsTag(std::string_view text, std::size_t at);

// The code point that starts at `at` of `text`, which must be well-formed
// UTF-8 (as decoded text is); moves `at` past it.
char32_t nextCodePoint(std::string_view text, std::size_t& at);

}  // namespace kolvo
