#include "markup/replace_tag.hpp"

#include <cstdint>
#include <cstring>

namespace kolvo {
namespace {

// The occurrence effects look at the second and third characters of the
// pattern only, as the tag rows and clean-ups are built to guarantee.
bool pairIs(std::string_view pattern, const char (&pair)[3]) {
  return pattern.size() >= 3 && pattern[1] == pair[0] && pattern[2] == pair[1];
}

void applyOccurrenceEffects(std::string_view pattern, std::size_t bytesAfter,
                            LayoutState& state, Format format) {
  if (pairIs(pattern, "pg") && isPaged(format)) state.baseline = kBottomLimit;
  if (pairIs(pattern, "us")) state.underline = 1;
  if (pairIs(pattern, "hs")) state.highlight = 1;
  if (pairIs(pattern, "cs")) {
    state.center = 1;
    // Wraps like 32-bit arithmetic would rather than overflowing.
    const auto n = static_cast<std::uint32_t>(bytesAfter);
    state.line_x = static_cast<std::int32_t>(kCentreX - kHalfWidthPerByte * n);
  }
  if (pairIs(pattern, "ce")) state.center = 1;
  if (pairIs(pattern, "le") && state.large_text_baseline != state.baseline) state.line_spacing = kNormalLineSpacing;
  if (pairIs(pattern, "ls")) {
    state.line_spacing = kLargeLineSpacing;
    state.large_text_baseline = state.baseline;
  }
}

// Where the PDF writer's overprint starts and how long it is, from the first
// mark "_" and the first "%" (the still unreplaced end tag) of the result.
// A byte that is missing, or found at index 0, leaves its measure unchanged.
void measure(std::string_view result, std::int32_t& startCount, std::int32_t& endCount,
             std::int32_t& length, std::int32_t& ptStart) {
  const std::size_t u = result.find('_');
  if (u != std::string_view::npos && u >= 1) startCount = static_cast<std::int32_t>(u) - kMarkStartBytes;
  const std::size_t q = result.find('%');
  if (q != std::string_view::npos && q >= 1) endCount = static_cast<std::int32_t>(q) - kMarkEndBytes;
  length = endCount - startCount;
  ptStart = kPointsPerByte * startCount + kLeftMargin;
}

// The first occurrence of `pattern` (not empty) in `line` at `from` or
// later, or npos. Patterns are a few bytes long: memchr finds the first
// byte, the rest is compared in place.
std::size_t findFrom(std::string_view line, std::string_view pattern, std::size_t from) {
  const std::size_t p = pattern.size();
  if (line.size() < p) return std::string_view::npos;
  const char* const base = line.data();
  const std::size_t lastStart = line.size() - p;
  std::size_t at = from;
  while (at <= lastStart) {
    const void* hit = std::memchr(base + at, pattern[0], lastStart - at + 1);
    if (hit == nullptr) break;
    at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    std::size_t k = 1;
    while (k < p && base[at + k] == pattern[k]) ++k;
    if (k == p) return at;
    ++at;
  }
  return std::string_view::npos;
}

}  // namespace

void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, LayoutState& state, Format format) {
  out.clear();
  const std::size_t p = pattern.size();
  if (p == 0) {
    out.assign(line);
    return;
  }
  std::size_t in = 0;
  for (std::size_t hit = findFrom(line, pattern, 0); hit != std::string_view::npos;
       hit = findFrom(line, pattern, in)) {
    out.append(line.substr(in, hit - in));
    out.append(replacement);
    in = hit + p;
    applyOccurrenceEffects(pattern, line.size() - in, state, format);
  }
  out.append(line.substr(in));

  measurePdfMarks(out, pattern, state, format);
}

// Every pair that applyOccurrenceEffects looks at.
bool patternHasEffects(std::string_view pattern) {
  return pairIs(pattern, "pg") || pairIs(pattern, "us") || pairIs(pattern, "hs") ||
         pairIs(pattern, "cs") || pairIs(pattern, "ce") || pairIs(pattern, "le") ||
         pairIs(pattern, "ls");
}

bool patternMeasures(std::string_view pattern) {
  return pairIs(pattern, "us") || pairIs(pattern, "hs");
}

void measurePdfMarks(std::string_view result, std::string_view pattern, LayoutState& state,
                     Format format) {
  if (format != Format::Pdf) return;
  if (state.underline == 1 && pairIs(pattern, "us")) {
    measure(result, state.underline_start_index, state.underline_end_index, state.underline_length,
            state.underline_x);
  }
  if (state.highlight == 1 && pairIs(pattern, "hs")) {
    measure(result, state.highlight_start_index, state.highlight_end_index, state.highlight_length,
            state.highlight_x);
  }
}

std::string replaceTag(std::string_view line, std::string_view pattern,
                       std::string_view replacement, LayoutState& state, Format format) {
  // Counting pass, so that the result is allocated once at its final size.
  std::size_t count = 0;
  if (!pattern.empty()) {
    for (std::size_t pos = findFrom(line, pattern, 0); pos != std::string_view::npos;
         pos = findFrom(line, pattern, pos + pattern.size())) {
      ++count;
    }
  }
  std::string out;
  out.reserve(line.size() + count * replacement.size() - count * pattern.size());
  replaceTagInto(out, line, pattern, replacement, state, format);
  return out;
}

}  // namespace kolvo
