// The typed line: what each byte of a rewritten line is (the user's text, a
// tag row's text, a clean-up's, a fallback run), carried through every
// replacement without a byte of the line standing for it.
#include "markup/line_items.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/rows_in_order.hpp"
#include "markup/tag_table.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/document_generator.hpp"

namespace kolvo {
namespace {

LineItem tagItem(std::size_t begin, std::size_t end, std::size_t row) {
  return {begin, end, 0, static_cast<std::uint16_t>(row), ItemKind::TagText};
}

TEST(LineItems, AReplacementCutsTheItemsItOverlapsAndKeepsTheirEnds) {
  LineItems items;
  {
    // "%ps" became "%" at 2, "%bs" became 5 bytes at 6: "ab%c<b>d".
    LineItems::Editor editor(&items);
    editor.replaced(2, 3, 1, InsertedText::tagRow(67));
    editor.replaced(6, 3, 3, InsertedText::tagRow(36));
    editor.finish();
  }
  ASSERT_EQ(items.all().size(), 2u);
  EXPECT_EQ(items.all()[0], tagItem(2, 3, 67));
  EXPECT_EQ(items.all()[1], tagItem(4, 7, 36));
  {
    // The "%" and the "c<" after it formed a tag: the percent row's text is
    // gone, the other one keeps its last two bytes.
    LineItems::Editor editor(&items);
    editor.replaced(2, 3, 0, InsertedText::tagRow(40));
    editor.finish();
  }
  ASSERT_EQ(items.all().size(), 2u);
  EXPECT_EQ(items.all()[0], tagItem(2, 2, 40));  // a tag with no text still marks its place
  EXPECT_EQ(items.all()[1], tagItem(2, 4, 36));
  {
    // A byte put in inside an item splits it; one put in at a place of no
    // bytes goes after it.
    LineItems::Editor editor(&items);
    editor.replaced(2, 0, 1, InsertedText::cleanup());
    editor.replaced(3, 0, 1, InsertedText::text());
    editor.finish();
  }
  ASSERT_EQ(items.all().size(), 4u);
  EXPECT_EQ(items.all()[0], tagItem(2, 2, 40));
  EXPECT_EQ(items.all()[1], (LineItem{2, 3, 0, 0, ItemKind::CleanupText}));
  EXPECT_EQ(items.all()[2], tagItem(3, 4, 36));
  EXPECT_EQ(items.all()[3], tagItem(5, 6, 36));
}

TEST(LineItems, APassWithoutReplacementsLeavesThemAlone) {
  LineItems items;
  items.addRun(3, 9, 40);
  {
    LineItems::Editor editor(&items);
    editor.finish();
  }
  EXPECT_TRUE(items.hasRuns());
  EXPECT_EQ(items.all().size(), 1u);
  EXPECT_EQ(items.measuredBytes(0, 12, 10), 6u + 4u);
}

// A run that lays no line out from its items records only the fallback
// runs, which the measures need, and moves them as the full record does.
TEST(LineItems, WithoutTheTextsOnlyTheRunsAreKeptAndMoved) {
  LineItems items;
  items.recordTexts(false);
  items.addSymbolRun(0, 2);
  items.addRun(6, 9, 40);
  EXPECT_EQ(items.all().size(), 1u);
  {
    // "%bs" at 1 became 3 bytes, a clean-up put one in at 4: the run moves by one.
    LineItems::Editor editor(&items);
    editor.replaced(1, 3, 3, InsertedText::tagRow(36));
    editor.replaced(4, 0, 1, InsertedText::cleanup());
    editor.finish();
  }
  ASSERT_EQ(items.all().size(), 1u);
  EXPECT_EQ(items.all()[0], (LineItem{7, 10, 40, 0, ItemKind::FallbackRun}));
  items.clear();
  {
    LineItems::Editor editor(&items);
    editor.replaced(1, 3, 3, InsertedText::tagRow(36));
    editor.finish();
  }
  EXPECT_TRUE(items.empty());
  EXPECT_FALSE(items.recordsTexts());  // a new line keeps the setting
}

// The same generated lines in every format and mode, rewritten with and
// without the texts recorded: the same bytes and layout state.
TEST(LineItems, LeavingTheTextsOutChangesNoByteOfTheLine) {
  const std::vector<std::string> lines = test::tagHeavyLines(20261208u, 300);
  for (const Format format : kAllFormats) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      LineMarks recordedState;
      LineMarks bareState;
      EscapeStats recorded;
      EscapeStats bare;
      bare.lineItems.recordTexts(false);
      std::string scratch;
      for (const std::string& input : lines) {
        std::string withItems = input;
        std::string without = input;
        recordedState.startLine();
        bareState.startLine();
        rewriteLine(withItems, scratch, format, recordedState, mode, recorded);
        rewriteLine(without, scratch, format, bareState, mode, bare);
        ASSERT_EQ(withItems, without) << input;
        ASSERT_TRUE(recordedState == bareState) << input;
        ASSERT_TRUE(bare.lineItems.empty()) << input;
      }
    }
  }
}

// Generated lines with every tag, near misses and fragments that form tags,
// string delimiters and clean-up patterns, in every format and mode: the
// items are in order and inside the line, each whole tag item holds its
// row's text for the format (or a part of it that a later tag left).
TEST(LineItems, EveryTagTextOfARewrittenLineIsItsRowsItem) {
  const std::vector<std::string> lines = test::tagHeavyLines(20261207u, 600);
  std::size_t tagItems = 0;
  for (const Format format : kAllFormats) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      LineMarks state;
      std::string scratch;
      for (const std::string& input : lines) {
        std::string line = input;
        EscapeStats stats;
        state.startLine();
        rewriteLine(line, scratch, format, state, mode, stats);
        std::size_t end = 0;
        for (const LineItem& item : stats.lineItems.all()) {
          ASSERT_LE(end, item.begin) << input;
          ASSERT_LE(item.begin, item.end) << input;
          ASSERT_LE(item.end, line.size()) << input;
          end = item.end;
          if (item.kind != ItemKind::TagText) continue;
          const Replacement text = rowText(kTagTable[item.row], format, mode);
          ASSERT_TRUE(text.has_value()) << input;
          const std::string_view bytes(line.data() + item.begin, item.end - item.begin);
          // A whole text, or what a later tag or clean-up left of it.
          if (bytes.size() == text->size()) {
            EXPECT_EQ(bytes, *text) << input;
          }
          EXPECT_NE(text->find(bytes), std::string_view::npos) << input;
          ++tagItems;
        }
      }
    }
  }
  EXPECT_GT(tagItems, 10000u);
}

}  // namespace
}  // namespace kolvo
