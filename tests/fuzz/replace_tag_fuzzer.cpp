// Fuzzes replaceTag with arbitrary line, pattern and replacement bytes and
// checks its contract against a plain reference: the result is the line with
// every non-overlapping occurrence replaced, it is exactly L + k*(R - P)
// bytes long, a pattern that does not occur gives an equal copy and leaves
// every layout field but the PDF measures alone (which measurePdfMarks then
// reproduces), a pattern said to have no effects has none, and
// replaceTagInto agrees.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/replace_tag.hpp"

namespace {

using kolvo::Format;
using kolvo::LineMarks;

// Left-to-right, non-overlapping replacement by the most direct means.
std::string naiveReplace(const std::string& line, const std::string& pattern,
                         const std::string& replacement, std::size_t& count) {
  std::string result;
  count = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line.compare(i, pattern.size(), pattern) == 0) {
      result += replacement;
      i += pattern.size();
      ++count;
    } else {
      result += line[i];
      ++i;
    }
  }
  return result;
}

// The fields a call that replaces nothing may change: the PDF measures,
// which run once per call whether or not a mark was replaced.
LineMarks withoutMeasures(LineMarks s) {
  s.underline_start_index = s.underline_end_index = s.underline_length = s.underline_x = 0;
  s.highlight_start_index = s.highlight_end_index = s.highlight_length = s.highlight_x = 0;
  s.underline_start_offset = s.underline_end_offset = 0;
  s.highlight_start_offset = s.highlight_end_offset = 0;
  return s;
}

// libFuzzer reports the abort and keeps the input that caused it.
[[noreturn]] void fail(const char* what) {
  (void)std::fprintf(stderr, "replace_tag_fuzzer: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider fuzz(data, size);
  const Format format = kolvo::kAllFormats[fuzz.ConsumeIntegralInRange<std::size_t>(
      0, kolvo::kFormatCount - 1)];
  // Start from marks a run can reach: the flags and the start of the line
  // may be left over from an earlier line.
  LineMarks state;
  state.underline = fuzz.ConsumeBool() ? 1 : 0;
  state.highlight = fuzz.ConsumeBool() ? 1 : 0;
  state.line_x = fuzz.ConsumeIntegralInRange<std::int32_t>(-400, 325);

  // Short patterns find matches; a leading "%" plus two bytes from the fuzz
  // reaches every tag and every effect pair.
  std::string pattern = fuzz.ConsumeRandomLengthString(8);
  if (pattern.empty()) pattern = "%";
  const std::string replacement = fuzz.ConsumeRandomLengthString(64);
  const std::string line = fuzz.ConsumeRemainingBytesAsString();

  const LineMarks before = state;
  const std::string result = kolvo::replaceTag(line, pattern, replacement, state, format);

  std::size_t count = 0;
  const std::string expected = naiveReplace(line, pattern, replacement, count);
  if (result != expected) fail("result differs from the reference");
  const std::size_t expectedLength =
      line.size() + count * replacement.size() - count * pattern.size();
  if (result.size() != expectedLength) fail("length rule broken");
  if (count == 0) {
    if (result != line) fail("no match but not an equal copy");
    if (withoutMeasures(state) != withoutMeasures(before)) fail("effects without a match");
    // A caller that knows nothing matches may measure without the copy.
    LineMarks measured = before;
    kolvo::measurePdfMarks(line, pattern, measured, format);
    if (measured != state) fail("measurePdfMarks differs from a call that replaces nothing");
  }
  if (!kolvo::patternHasEffects(pattern) && state != before) {
    fail("a pattern without effects changed the line marks");
  }

  // The buffer-reusing form gives the same text and the same effects, also
  // into storage that already holds something.
  LineMarks again = before;
  std::string into = "left over from an earlier line";
  kolvo::replaceTagInto(into, line, pattern, replacement, again, format);
  if (into != result) fail("replaceTagInto differs");
  if (again != state) fail("replaceTagInto has other effects");
  return 0;
}
