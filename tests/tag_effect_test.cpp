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

// States a run can be in: fresh, and with flags, spacing and baselines left
// over from earlier lines.
std::vector<LayoutState> someStates() {
  LayoutState used;
  used.underline = 1;
  used.highlight = 1;
  used.line_spacing = kLargeLineSpacing;
  used.large_text_baseline = 700;
  used.baseline = 640;
  used.line_x = 100;
  LayoutState sameBaseline = used;
  sameBaseline.large_text_baseline = sameBaseline.baseline;
  return {LayoutState{}, used, sameBaseline};
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

TEST(EffectFacts, ChangesLayoutStateSaysWhetherAnOccurrenceCanChangeIt) {
  for (TagEffect effect : kAllEffects) {
    bool changedSome = false;
    for (Format f : kAllFormats) {
      for (const LayoutState& start : someStates()) {
        LayoutState state = start;
        applyOccurrenceEffect(effect, 5, state, f);
        if (!changesLayoutState(effect)) {
          EXPECT_EQ(state, start) << static_cast<int>(effect) << " in " << formatName(f);
        }
        changedSome = changedSome || state != start;
      }
    }
    EXPECT_EQ(changedSome, changesLayoutState(effect)) << static_cast<int>(effect);
  }
}

TEST(EffectFacts, OnlyTheMeasuringEffectsMeasureAndOnlyInPdf) {
  for (TagEffect effect : kAllEffects) {
    for (Format f : kAllFormats) {
      LayoutState state = someStates()[1];
      const LayoutState start = state;
      measurePdfMarks("ab_cd%ue\n", effect, state, f);
      const bool measured = state != start;
      EXPECT_EQ(measured, measuresPdfMarks(effect) && f == Format::Pdf)
          << static_cast<int>(effect) << " in " << formatName(f);
    }
  }
}

}  // namespace
}  // namespace kolvo
