// The fast rewrite path against the reference path (every tag row and every
// clean-up through replaceTag, in order): same bytes and same line marks,
// line after line, with the marks carried over as a conversion carries it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/replace_tag.hpp"
#include "markup/tag_table.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/document_generator.hpp"
#include "pipeline/text_step.hpp"

namespace kolvo {
namespace {

// Shows control bytes, so that a failing line can be read and pasted back.
std::string visible(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// Rewrites `lines` one after another on both paths, starting from `start`.
// Between lines `betweenLines(fast, reference)` may change both states the
// way a writer would, the same way on both sides.
template <typename BetweenLines>
void expectSameAsReference(const std::vector<std::string>& lines, Format format,
                           const LineMarks& start, BetweenLines&& betweenLines,
                           TextMode mode = TextMode::Markup) {
  LineMarks fastState = start;
  LineMarks referenceState = start;
  // Left-over content in the scratch buffer must not matter.
  std::string scratch = "left over from an earlier line %bs (x) _";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string fast = lines[i];
    std::string reference = lines[i];
    fastState.startLine();
    referenceState.startLine();
    EscapeStats fastStats;
    EscapeStats referenceStats;
    rewriteLine(fast, scratch, format, fastState, mode, fastStats);
    rewriteLineReference(reference, format, referenceState, mode, referenceStats);
    ASSERT_EQ(fastStats.missingGlyphs, referenceStats.missingGlyphs);
    ASSERT_EQ(visible(fast), visible(reference))
        << formatName(format) << ", line " << i << ": '" << visible(lines[i]) << "'";
    ASSERT_TRUE(fastState == referenceState)
        << formatName(format) << ", line " << i << ": '" << visible(lines[i]) << "'";
    ASSERT_TRUE(fastStats.lineItems == referenceStats.lineItems)
        << formatName(format) << ", line " << i << ": '" << visible(lines[i]) << "'";
    betweenLines(fastState, referenceState);
  }
}

void expectSameAsReference(const std::vector<std::string>& lines, Format format,
                           const LineMarks& start = LineMarks{}) {
  expectSameAsReference(lines, format, start, [](LineMarks&, LineMarks&) {});
}

TEST(FastPath, TagsFormedWhileTheLineIsRewritten) {
  const std::vector<std::string> lines = {
      // The percent row's "%" completes later tags only.
      "%psrs", "%psrsx%pse", "%psus%ue\n", "%pshs", "%psbs", "%psg1", "%psrt", "%ps%ps",
      // Empty replacements join their neighbours into a later tag.
      "%P%g1e", "%b%Als", "%%Alus", "%u%gls%ue", "%%pgcs", "%c%pge", "%%bs", "%p", "%P%",
      // Near misses and tags cut off by the end of the line.
      "%", "%%", "50% off", "%zz % %cS", "%b", "%u\n", "ends in %", "%P%g1", "%%%%%"};
  for (Format f : kAllFormats) expectSameAsReference(lines, f);
}

TEST(FastPath, CleanupsInOnePassKeepTheirOrder) {
  const std::vector<std::string> lines = {
      " _", "x _y", "x __y", " _ _", "  __", "_start", "a\r_b", "a\n_b", "\r\n", "\r _\n",
      "#", "\\#", "a#b ##", "<c></c>", "<c></c><c></c>", "<c><c></c></c>", "<c></c", "<c> </c>",
      "#<c></c>#", " _<c></c> _", "<c></c>\r\n", " _#_ #", "<c></c>_ <c></c>", "\n\n\n"};
  for (Format f : kAllFormats) expectSameAsReference(lines, f);
}

// A line with no byte the clean-ups look for runs them only where a tag's
// text can give one to a match: tags side by side, apart, and with the
// user's half of an empty AbiWord run between them, in every format and
// mode, whatever rows meet.
TEST(FastPath, CleanupsOfTagTextsAlone) {
  const std::string_view between[] = {"", " ", "c>", "/c>", "c", "x"};
  for (std::size_t i = 0; i < 2 * kFormatCount; ++i) {
    const Format f = kAllFormats[i % kFormatCount];
    const TextMode mode = i < kFormatCount ? TextMode::Markup : TextMode::Typed;
    SCOPED_TRACE(std::string(formatName(f)) + (mode == TextMode::Typed ? ", typed" : ""));
    test::Random random(static_cast<unsigned>(i) + 5u);
    std::vector<std::string> lines;
    for (int n = 0; n < 400; ++n) {
      std::string line;
      for (std::size_t tags = 1 + random.below(6); tags > 0; --tags) {
        line += kTagTable[random.below(kTagTable.size())].tag;
        line += between[random.below(std::size(between))];
      }
      lines.push_back(line);
    }
    expectSameAsReference(lines, f, LineMarks{}, [](LineMarks&, LineMarks&) {}, mode);
  }
}

TEST(FastPath, StringDelimitersAndMeasures) {
  const std::vector<std::string> lines = {
      "(a)\\%hsz%he%pg", "\\%bsx", "%cs(a)\n",   "(%us)x%ue\n", "\\\\((", ")%hs(%he",
      "x %usa(b)c%ue\n", "%cs%bsA\n", "%cs%cs%ceT", "%ls%le\n",   "%le\n", "%pg%pg"};
  for (Format f : kAllFormats) expectSameAsReference(lines, f);
}

TEST(FastPath, PdfMeasuresWithFlagsLeftFromEarlierLines) {
  // A drawing line leaves the underline and highlight flags set; the next
  // lines measure on the "%hs" and "%us" rows even without any tag, and a
  // missing "_" or "%" leaves the measure as it was.
  const std::vector<std::string> lines = {
      "plain text\n", "under_score\n",    "_first\n",  "a%b_c\n",   "50% and a_b\n",
      "",             "(x)_y%z\n",        "a _b %\n",  "%psx_%\n",  "%g1_%Al\n",
      "%us\n",        "%hsx%usy_%ue%he\n", "%\n",      "%%us\n",    "__%%\n"};
  for (int flags = 0; flags < 4; ++flags) {
    LineMarks start;
    start.underline = flags & 1;
    start.highlight = (flags >> 1) & 1;
    start.underline_start_index = 7;
    start.highlight_end_index = -3;
    SCOPED_TRACE(flags);
    // The flags stay set from line to line, as after drawing lines.
    expectSameAsReference(lines, Format::Pdf, start);
  }
}

TEST(FastPath, PatternsSaidToHaveNoEffectsLeaveTheLayoutAlone) {
  // The fast path replaces such tags without replaceTag; if replaceTag gave
  // one of them an effect, these would have to agree again.
  LineMarks varied;
  varied.underline = 1;
  varied.highlight = 1;
  varied.line_x = 200;
  varied.page.add(PageRequest::LargeSpacing);
  for (const TagRow& row : kTagTable) {
    for (Format f : kAllFormats) {
      const Replacement text = row.replacement(f);
      if (!text) continue;
      for (const LineMarks& start : {LineMarks{}, varied}) {
        LineMarks state = start;
        const std::string line = "a_b " + std::string(row.tag) + "c%d" + std::string(row.tag);
        replaceTag(line, row.tag, *text, state, f);
        const bool measured = f == Format::Pdf && patternMeasures(row.tag);
        if (!patternHasEffects(row.tag) && !measured) {
          EXPECT_TRUE(state == start) << row.tag << " in " << formatName(f);
        }
        if (!patternMeasures(row.tag)) {
          // Without an occurrence nothing may happen at all.
          LineMarks untouched = start;
          replaceTag("no tag here_%", row.tag, *text, untouched, f);
          EXPECT_TRUE(untouched == start) << row.tag << " in " << formatName(f);
        }
      }
    }
  }
}

// Lines from the test generator, weighted to what this path treats apart:
// every tag, near misses and pieces that form a tag only once a neighbour is
// rewritten, the clean-up patterns, line ends inside a line, string
// delimiters, "_" and "%" for the PDF measures, bytes that are not ASCII.
// A third of the lines hold no "%" at all, for the path without tags, and
// some more are plain prose, for the text steps' check.
std::vector<std::string> generatedLines(std::uint64_t seed) {
  test::LineMix withTags;
  withTags.maxPieces = 23;
  withTags.words = 4;
  withTags.blanks = 3;
  withTags.tags = 60;
  withTags.nearMisses = 8;
  withTags.tagFragments = 12;
  withTags.delimiters = 12;
  withTags.rawMarkup = 5;
  withTags.otherBytes = 1;
  withTags.lineEnds = 2;
  test::LineMix withoutTags = withTags;
  withoutTags.tags = withoutTags.nearMisses = withoutTags.tagFragments = 0;
  test::DocumentGenerator generator(seed);
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    std::string line = generator.line(generator.random().below(3) == 0 ? withoutTags : withTags);
    if (generator.random().below(8) != 0) line += '\n';
    lines.push_back(std::move(line));
  }
  // And prose, most of which no text step needs to look at.
  test::LineMix prose;
  prose.tags = prose.nearMisses = prose.delimiters = 0;
  prose.lineEnds = 1;
  prose.maxPieces = 30;
  for (int i = 0; i < 500; ++i) lines.push_back(generator.line(prose) + '\n');
  return lines;
}

TEST(FastPath, GeneratedLinesInEveryFormatAndMode) {
  for (std::size_t i = 0; i < 2 * kFormatCount; ++i) {
    const Format f = kAllFormats[i % kFormatCount];
    const TextMode mode = i < kFormatCount ? TextMode::Markup : TextMode::Typed;
    SCOPED_TRACE(std::string(formatName(f)) + (mode == TextMode::Typed ? ", typed" : ""));
    const std::vector<std::string> lines = generatedLines(20260607u + static_cast<unsigned>(i));
    test::Random between(i);
    // Between lines, play the writers' part: most lines are text lines that
    // (in PDF) draw and clear the overprints; some are drawing lines that
    // leave everything as it is.
    expectSameAsReference(lines, f, LineMarks{}, [&between, f](LineMarks& a, LineMarks& b) {
      if (between.below(3) == 0) return;
      for (LineMarks* state : {&a, &b}) {
        state->line_x = 30;
        if (f == Format::Pdf) {
          state->underline = 0;
          state->highlight = 0;
        }
      }
    }, mode);
  }
}

// The generated lines must hold what the comparison above relies on.
TEST(FastPath, GeneratedLinesHoldEveryCaseThePathTreatsApart) {
  const std::vector<std::string> lines = generatedLines(20260607u);
  std::string all;
  std::size_t withoutPercent = 0, measured = 0, innerLineEnds = 0, notAscii = 0;
  for (const std::string& line : lines) {
    all += line;
    withoutPercent += line.find('%') == std::string::npos;
    measured += line.find('_') != std::string::npos && line.find('%') != std::string::npos;
    const std::size_t lineEnd = line.find_first_of("\r\n");
    innerLineEnds += lineEnd != std::string::npos && lineEnd + 1 < line.size();
    notAscii += std::any_of(line.begin(), line.end(),
                            [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  }
  for (const TagRow& row : kTagTable) EXPECT_NE(all.find(row.tag), std::string::npos) << row.tag;
  for (std::string_view formed : {"%psrs", "%P%g1e", "%b%Als", "<c></c>", "\\("}) {
    EXPECT_NE(all.find(formed), std::string::npos) << formed;
  }
  EXPECT_GT(withoutPercent, 500u);
  EXPECT_GT(measured, 500u);
  EXPECT_GT(innerLineEnds, 100u);
  EXPECT_GT(notAscii, 50u);
  for (Format f : kAllFormats) {
    const TextStep step = textStepOf(f, TextMode::Typed);
    const auto passed = std::count_if(lines.begin(), lines.end(), [step](const std::string& line) {
      return !textStepMayChange(line, step);
    });
    EXPECT_GT(passed, 300) << formatName(f);
  }
}

}  // namespace
}  // namespace kolvo
