// The checker finds the tags the conversion forms itself by following the
// rows in order (applyTagRows) with a watcher. It passes over lines on which
// it judges no tag can form; that judgement must never miss one, and what
// it replays must be the line the conversion writes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/line_context.hpp"
#include "markup/rows_in_order.hpp"
#include "markup/tag_table.hpp"
#include "support/document_generator.hpp"

namespace kolvo::check {
namespace {

using kolvo::test::DocumentGenerator;
using kolvo::test::LineMix;

// Lines dense in tags, near misses and the pieces that form tags once a
// neighbour is rewritten.
LineMix formingMix() {
  LineMix mix;
  mix.words = 10;
  mix.blanks = 5;
  mix.tags = 30;
  mix.nearMisses = 20;
  mix.tagFragments = 35;
  mix.delimiters = 0;
  mix.maxPieces = 9;
  return mix;
}

TEST(FormedTagsReplay, PassesOverNoLineOnWhichATagForms) {
  DocumentGenerator generator(20261207);
  const LineMix mix = formingMix();
  std::size_t linesWithFormedTags = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = generator.line(mix);
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      CheckOptions options;
      options.mode = mode;
      std::vector<Finding> findings;
      const LineContext line(text, 1, 1, options, findings);
      for (const FormatInfo& f : kFormats) {
        const FormedLine all = replayEveryTagRow(text, f.format, mode);
        const FormedLine& passed = line.formed(f.format);
        ASSERT_EQ(passed.tags.size(), all.tags.size()) << text << " in " << f.name;
        EXPECT_EQ(passed.rewritten, all.rewritten) << text << " in " << f.name;
        for (std::size_t k = 0; k < all.tags.size(); ++k) {
          EXPECT_EQ(passed.tags[k].byte, all.tags[k].byte) << text << " in " << f.name;
          EXPECT_EQ(passed.tags[k].row, all.tags[k].row) << text << " in " << f.name;
        }
        if (!all.tags.empty()) ++linesWithFormedTags;
      }
    }
  }
  // The mix must exercise what it is for.
  EXPECT_GT(linesWithFormedTags, 500u);
}

TEST(FormedTagsReplay, ReplaysTheLineTheRowsWrite) {
  DocumentGenerator generator(7);
  const LineMix mix = formingMix();
  for (int i = 0; i < 1000; ++i) {
    const std::string text = generator.line(mix);
    for (const FormatInfo& f : kFormats) {
      const FormedLine formed = replayEveryTagRow(text, f.format, TextMode::Markup);
      if (formed.tags.empty()) continue;
      std::string rewritten = text;
      LineMarks state;
      applyTagRows(rewritten, f.format, state, TextMode::Markup);
      EXPECT_EQ(formed.rewritten, rewritten) << text << " in " << f.name;
    }
  }
}

TEST(FormedTagsReplay, NamesTheFirstTypedByteOfEachFormedTag) {
  // DocBook has no text for %gG, so "%b" and "e" meet as "%be"; the percent
  // row's "%" (%ps) joins the "us" after it, as %us comes later in the table.
  const FormedLine joined = replayEveryTagRow("x %b%gGe", Format::DocBook, TextMode::Markup);
  ASSERT_EQ(joined.tags.size(), 1u);
  EXPECT_EQ(joined.tags[0].byte, 2u);
  EXPECT_EQ(kTagTable[joined.tags[0].row].tag, "%be");

  const FormedLine percent = replayEveryTagRow("%psus", Format::Html, TextMode::Markup);
  ASSERT_EQ(percent.tags.size(), 1u);
  EXPECT_EQ(percent.tags[0].byte, 3u);
  EXPECT_EQ(kTagTable[percent.tags[0].row].tag, "%us");

  EXPECT_TRUE(replayEveryTagRow("%bs plain %be", Format::Html, TextMode::Markup).tags.empty());
}

// As typed, a "%" that begins no tag is escaped before the rows run, so
// it joins nothing.
TEST(FormedTagsReplay, KnowsWhatTheTextLeavesAndWhatItEscapes) {
  for (const FormatInfo& f : kFormats) {
    EXPECT_TRUE(replayEveryTagRow("x%P%%Heis", f.format, TextMode::Typed).tags.empty()) << f.name;
  }
  const FormedLine markup = replayEveryTagRow("x%P%%Heis", Format::Latex, TextMode::Markup);
  ASSERT_EQ(markup.tags.size(), 1u);
  EXPECT_EQ(kTagTable[markup.tags[0].row].tag, "%is");
}

}  // namespace
}  // namespace kolvo::check
