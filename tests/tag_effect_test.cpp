// Tag effects: which effect a pattern gets, and that what the fast path is
// told about an effect (whether it changes the state, whether it measures)
// agrees with what the effect does.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "markup/cleanups.hpp"
#include "markup/tag_effect.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

constexpr TagEffect kAllEffects[] = {
    TagEffect::None,           TagEffect::PageBreak,    TagEffect::CentreStart,
    TagEffect::CentreEnd,      TagEffect::UnderlineStart, TagEffect::UnderlineEnd,
    TagEffect::HighlightStart, TagEffect::HighlightEnd, TagEffect::LargeStart,
    TagEffect::LargeEnd};

// Marks a run can hold: fresh, with flags and a start left over from earlier
// lines, and with requests this line already made.
std::vector<LineMarks> someStates() {
  LineMarks used;
  used.underline = 1;
  used.highlight = 1;
  used.line_x = 100;
  LineMarks asked = used;
  asked.page.add(PageRequest::LargeSpacing);
  return {LineMarks{}, used, asked};
}

TEST(PatternEffect, EveryTagGetsTheEffectOfItsRow) {
  for (const TagRow& row : kTagTable) EXPECT_EQ(effectOfPattern(row.tag), row.effect) << row.tag;
}

TEST(PatternEffect, OnlyTheSecondAndThirdBytesCount) {
  EXPECT_EQ(effectOfPattern("xpg"), TagEffect::PageBreak);
  EXPECT_EQ(effectOfPattern("%usually"), TagEffect::UnderlineStart);
  EXPECT_EQ(effectOfPattern("%cS"), TagEffect::None);  // case matters
  EXPECT_EQ(effectOfPattern("%c"), TagEffect::None);
  EXPECT_EQ(effectOfPattern("%bs"), TagEffect::None);
  for (const CleanupRow& row : kCleanups) {
    EXPECT_EQ(effectOfPattern(row.pattern), TagEffect::None) << row.pattern;
  }
}

TEST(EffectFacts, ChangesLineMarksSaysWhetherAnOccurrenceCanChangeIt) {
  for (TagEffect effect : kAllEffects) {
    bool changedSome = false;
    for (Format f : kAllFormats) {
      for (const LineMarks& start : someStates()) {
        LineMarks state = start;
        applyOccurrenceEffect(effect, 5, state, f);
        if (!changesLineMarks(effect)) {
          EXPECT_EQ(state, start) << static_cast<int>(effect) << " in " << formatName(f);
        }
        changedSome = changedSome || state != start;
      }
    }
    EXPECT_EQ(changedSome, changesLineMarks(effect)) << static_cast<int>(effect);
  }
}

TEST(EffectFacts, OnlyTheMeasuringEffectsMeasureAndOnlyInPdf) {
  for (TagEffect effect : kAllEffects) {
    for (Format f : kAllFormats) {
      LineMarks state = someStates()[1];
      const LineMarks start = state;
      measurePdfMarks("ab_cd%ue\n", effect, state, f);
      const bool measured = state != start;
      EXPECT_EQ(measured, measuresPdfMarks(effect) && f == Format::Pdf)
          << static_cast<int>(effect) << " in " << formatName(f);
    }
  }
}

}  // namespace
}  // namespace kolvo
