#include "markup/replace_tag.hpp"

#include <algorithm>
#include <cstring>
#include <optional>

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

// The bytes of `line` from `from` on as the effect of an occurrence ending
// there counts them: a run drawn with a fallback font counts by its width
// for the centring estimate. `runs` are those of `line`.
std::size_t bytesAfter(std::string_view line, std::size_t from, TagEffect effect,
                       const LineItems* runs) {
  if (effect != TagEffect::CentreStart || runs == nullptr || !runs->anyRunIn(from, line.size())) {
    return line.size() - from;
  }
  return runs->measuredBytes(from, line.size(), 2 * kHalfWidthPerByte);
}

// The bytes at the front and back of a replacement that equal the
// pattern's there: a tag row's text is all its own, other replacements
// keep what those bytes were.
struct KeptEnds {
  std::size_t front = 0;
  std::size_t back = 0;
};

KeptEnds keptEnds(std::string_view pattern, std::string_view replacement, InsertedText what) {
  KeptEnds kept;
  if (what.isItem && what.kind == ItemKind::TagText) return kept;
  const std::size_t most = std::min(pattern.size(), replacement.size());
  while (kept.front < most && pattern[kept.front] == replacement[kept.front]) ++kept.front;
  while (kept.front + kept.back < most &&
         pattern[pattern.size() - 1 - kept.back] == replacement[replacement.size() - 1 - kept.back]) {
    ++kept.back;
  }
  return kept;
}

}  // namespace

void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, TagEffect effect, LineMarks& marks,
                    Format format, LineItems* items, InsertedText what) {
  out.clear();
  const std::size_t p = pattern.size();
  if (p == 0) {
    out.assign(line);
    return;
  }
  // The effects measure the line as it came, its runs where they were.
  const std::optional<LineItems> before =
      items != nullptr && items->hasRuns() && effect == TagEffect::CentreStart
          ? std::optional<LineItems>(*items)
          : std::nullopt;
  LineItems::Editor mover(items);
  const KeptEnds kept = items != nullptr ? keptEnds(pattern, replacement, what) : KeptEnds{};
  std::size_t in = 0;
  for (std::size_t hit = findFrom(line, pattern, 0); hit != std::string_view::npos;
       hit = findFrom(line, pattern, in)) {
    out.append(line.substr(in, hit - in));
    out.append(replacement);
    in = hit + p;
    applyOccurrenceEffect(effect, bytesAfter(line, in, effect, before ? &*before : nullptr), marks,
                          format);
    mover.replaced(hit + kept.front, p - kept.front - kept.back,
                   replacement.size() - kept.front - kept.back, what);
  }
  out.append(line.substr(in));
  mover.finish();

  measurePdfMarks(out, effect, marks, format, items);
}

void replaceTagInto(std::string& out, std::string_view line, std::string_view pattern,
                    std::string_view replacement, LineMarks& marks, Format format,
                    LineItems* items, InsertedText what) {
  replaceTagInto(out, line, pattern, replacement, effectOfPattern(pattern), marks, format, items,
                 what);
}

bool patternHasEffects(std::string_view pattern) {
  return changesLineMarks(effectOfPattern(pattern));
}

bool patternMeasures(std::string_view pattern) {
  return measuresPdfMarks(effectOfPattern(pattern));
}

void measurePdfMarks(std::string_view result, std::string_view pattern, LineMarks& marks,
                     Format format, const LineItems* runs) {
  measurePdfMarks(result, effectOfPattern(pattern), marks, format, runs);
}

std::string replaceTag(std::string_view line, std::string_view pattern,
                       std::string_view replacement, LineMarks& marks, Format format,
                       LineItems* items, InsertedText what) {
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
  replaceTagInto(out, line, pattern, replacement, marks, format, items, what);
  return out;
}

}  // namespace kolvo
