#include "markup/replace_tag.hpp"

#include <cstring>

#include "markup/run_marks.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

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

// The bytes after an occurrence as its effect counts them: a run drawn with
// a fallback font counts by its width for the centring estimate.
std::size_t bytesAfter(std::string_view rest, TagEffect effect) {
  if (effect != TagEffect::CentreStart || !holdsRuns(rest)) return rest.size();
  return measuredBytes(rest, 2 * kHalfWidthPerByte);
}

}  // namespace

void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, TagEffect effect, LayoutState& state,
                    Format format) {
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
    applyOccurrenceEffect(effect, bytesAfter(line.substr(in), effect), state, format);
  }
  out.append(line.substr(in));

  measurePdfMarks(out, effect, state, format);
}

void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, LayoutState& state, Format format) {
  replaceTagInto(out, line, pattern, replacement, effectOfPattern(pattern), state, format);
}

bool patternHasEffects(std::string_view pattern) {
  return changesLayoutState(effectOfPattern(pattern));
}

bool patternMeasures(std::string_view pattern) {
  return measuresPdfMarks(effectOfPattern(pattern));
}

void measurePdfMarks(std::string_view result, std::string_view pattern, LayoutState& state,
                     Format format) {
  measurePdfMarks(result, effectOfPattern(pattern), state, format);
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
