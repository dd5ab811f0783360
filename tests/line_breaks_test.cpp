// Line breaking by the Unicode rules for lines with fallback runs: the
// module's answers (LineBreaks: CJK punctuation, clusters, Thai words,
// Latin), and the layout that follows them with this machine's fonts
// (LineBreakLayout: no piece starts with closing punctuation or ends with
// opening punctuation at any width, no cluster cut, and a line of Latin
// and Cyrillic words cut exactly where it was without the rules). Tests
// that need a font skip, saying so, where this machine has none.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fonts/font_finder.hpp"
#include "fonts/line_breaker.hpp"
#include "fonts/system_fallback_fonts.hpp"
#include "markup/line_marks.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/page_description_reader.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/line_layout.hpp"

namespace kolvo::test {
namespace {

using Rules = std::vector<BreakBefore>;

Rules rulesOf(std::u32string_view text) {
  fonts::LineBreaker breaker;
  Rules rules;
  EXPECT_TRUE(breaker.breaks(text, rules));
  EXPECT_EQ(rules.size(), text.size());
  return rules;
}

constexpr std::u32string_view kClosing = U"、。，．」』）〕］｝〉》】！？";
constexpr std::u32string_view kOpening = U"「『（〔［｛〈《【";

bool isClosing(char32_t c) { return kClosing.find(c) != std::u32string_view::npos; }
bool isOpening(char32_t c) { return kOpening.find(c) != std::u32string_view::npos; }

TEST(LineBreaks, CjkPunctuationNeverStartsOrEndsALineWhereTheRulesForbid) {
  const std::u32string text = U"東京の会議は、来週です。「はい」と言った（本当に）。中文，标点！";
  const Rules rules = rulesOf(text);
  EXPECT_EQ(rules[0], BreakBefore::Never);  // nothing stands before the first
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (isClosing(text[i])) {
      EXPECT_NE(rules[i], BreakBefore::Allowed) << "before " << i;
    }
    if (isOpening(text[i - 1])) {
      EXPECT_NE(rules[i], BreakBefore::Allowed) << "after " << i - 1;
    }
    // Every place is a cluster's edge: CJK has no marks.
    EXPECT_NE(rules[i], BreakBefore::Never) << i;
  }
  EXPECT_EQ(rules[1], BreakBefore::Allowed);           // 東|京
  EXPECT_EQ(rules[text.find(U'「')], BreakBefore::Allowed);  // before opening punctuation
}

TEST(LineBreaks, ClustersAreNeverCut) {
  // e and a combining acute; Devanagari with a virama and vowel signs;
  // Thai with marks above and below; a flag of two regional indicators.
  const std::u32string text = U"ne\u0301e \u0928\u092E\u0938\u094D\u0924\u0947 \u0E01\u0E34\u0E19\u0E02\u0E49\u0E32\u0E27 \U0001F1EF\U0001F1F5";
  const Rules rules = rulesOf(text);
  for (const std::size_t mark : {2U, 8U, 9U, 10U, 13U, 16U, 21U}) {
    EXPECT_EQ(rules[mark], BreakBefore::Never) << "before " << mark;
  }
  // Kana with a combining voiced mark, and a halfwidth one: the marks
  // join the kana before them, inside the CJK blocks.
  const Rules kana = rulesOf(U"\u304B\u3099\u304D\uFF76\uFF9E");
  EXPECT_EQ(kana[1], BreakBefore::Never);
  EXPECT_EQ(kana[2], BreakBefore::Allowed);
  EXPECT_EQ(kana[4], BreakBefore::Never);
  // After a blank: allowed; between two Devanagari letters of one word
  // (a cluster's edge): a last resort only.
  EXPECT_EQ(rules[5], BreakBefore::Allowed);
  EXPECT_EQ(rules[6], BreakBefore::LastResort);
}

TEST(LineBreaks, ThaiBreaksBetweenItsWords) {
  // กินข้าว ("eat rice"): two words and no blank between them.
  const std::u32string text = U"\u0E01\u0E34\u0E19\u0E02\u0E49\u0E32\u0E27";
  const Rules rules = rulesOf(text);
  EXPECT_EQ(rules[3], BreakBefore::Allowed);
  EXPECT_EQ(rules[2], BreakBefore::LastResort);  // inside กิน
  EXPECT_EQ(rules[5], BreakBefore::LastResort);  // inside ข้าว
}

TEST(LineBreaks, LatinBreaksAfterBlanksAndHyphensOnly) {
  const std::u32string text = U"two words, well-known";
  const Rules rules = rulesOf(text);
  for (std::size_t i = 1; i < text.size(); ++i) {
    const bool afterBreak = text[i - 1] == U' ' || text[i - 1] == U'-';
    EXPECT_EQ(rules[i], afterBreak ? BreakBefore::Allowed : BreakBefore::LastResort) << i;
  }
  Rules none{BreakBefore::Allowed};
  EXPECT_TRUE(fonts::LineBreaker().breaks(U"", none));
  EXPECT_TRUE(none.empty());
}

// The layout with this machine's fonts.
bool fontFor(char32_t sample) {
  return !fonts::FontFinder().candidates(sample, FontStyle::Regular).empty();
}

// A source of the same widths that knows no breaking rules: the layout as
// it is for fonts without them.
class WithoutRules final : public paged::WidthSource {
 public:
  explicit WithoutRules(const paged::WidthSource& widths) : widths_(widths) {}
  const paged::GlyphWidths* widths(std::string_view font) const override { return widths_.widths(font); }
  paged::HexFont hexFont(std::string_view font) const override { return widths_.hexFont(font); }
  std::optional<paged::HexGlyph> hexGlyph(const paged::HexFont& font, std::uint32_t code) const override {
    return widths_.hexGlyph(font, code);
  }

 private:
  const paged::WidthSource& widths_;
};

class LineBreakLayout : public ::testing::TestWithParam<Format> {
 protected:
  void SetUp() override {
    fonts_ = fonts::makeSystemFallbackFonts({}, {.useFontconfig = true, .preferMonospace = false});
    context_ = std::make_unique<paged::FallbackContext>(*fonts_, GetParam());
    widths_ = std::make_unique<paged::FallbackWidths>(GetParam(), TextMode::Typed, fonts_.get());
  }

  std::string escaped(std::string input) {
    EscapeStats stats;
    LineMarks marks;
    std::string scratch;
    rewriteLine(input, scratch, GetParam(), marks, TextMode::Typed, stats, context_.get());
    return input;
  }

  paged::LineLayout lay(const std::string& line, double width, const paged::WidthSource& widths) {
    return paged::layoutLine(line, GetParam(), paged::initialTextStyle(GetParam()), width, widths);
  }

  // The character of the code that starts at `at` in a hex string of `font`.
  char32_t characterAt(const std::string& line, std::size_t at, std::string_view font) const {
    const std::size_t digits = GetParam() == Format::Pdf ? 4 : 2;
    const paged::HexFont hex = widths_->hexFont(font);
    return widths_->hexCharacter(hex, paged::hexValue(line.substr(at, digits))).value_or(0);
  }

  // The characters on either side of each cut inside a hex string.
  std::vector<std::pair<char32_t, char32_t>> cutsInHex(const std::string& line,
                                                       const paged::LineLayout& layout) const {
    const std::size_t digits = GetParam() == Format::Pdf ? 4 : 2;
    std::vector<std::pair<char32_t, char32_t>> cuts;
    for (std::size_t i = 1; i < layout.pieces.size(); ++i) {
      const paged::LinePiece& piece = layout.pieces[i];
      if (!piece.startsInHex || !layout.pieces[i - 1].endsInHex) continue;
      const std::string_view font = piece.start.font;
      cuts.emplace_back(characterAt(line, layout.pieces[i - 1].end - digits, font),
                        characterAt(line, piece.begin, font));
    }
    return cuts;
  }

  std::unique_ptr<FallbackFonts> fonts_;
  std::unique_ptr<paged::FallbackContext> context_;
  std::unique_ptr<paged::FallbackWidths> widths_;
};

TEST_P(LineBreakLayout, CjkPunctuationStaysWithItsWordAtEveryWidth) {
  if (!fontFor(U'東')) GTEST_SKIP() << "no CJK font (fonts-wqy-zenhei or fonts-noto-cjk)";
  const std::string line = escaped(
      "東京の会議は来週の木曜日です。「はい」と彼は言った、しかし誰も来なかった。"
      "（本当に）『そうか』と、私は思った。中文的标点，也一样！");
  // From three glyphs of 12 points up: "に）。" is the longest stretch the
  // rules keep together, and a narrower area cuts it as a last resort.
  std::size_t cutsSeen = 0;
  for (double width = 37; width < 400; width += 3.5) {
    const paged::LineLayout layout = lay(line, width, *widths_);
    for (const auto& [before, after] : cutsInHex(line, layout)) {
      ++cutsSeen;
      EXPECT_FALSE(isClosing(after)) << "a piece starts with U+" << std::hex << +after << " at " << width;
      EXPECT_FALSE(isOpening(before)) << "a piece ends with U+" << std::hex << +before << " at " << width;
    }
    // Nothing is lost: the pieces cover the line in order.
    for (std::size_t i = 1; i < layout.pieces.size(); ++i) {
      EXPECT_EQ(layout.pieces[i].begin, layout.pieces[i - 1].end);
    }
    EXPECT_EQ(layout.pieces.back().end, line.size());
  }
  EXPECT_GT(cutsSeen, 100u);
  // Without the rules the same line did start pieces with punctuation.
  bool plainCutsPunctuation = false;
  for (double width = 37; width < 400; width += 3.5) {
    for (const auto& cut : cutsInHex(line, lay(line, width, WithoutRules(*widths_)))) {
      plainCutsPunctuation = plainCutsPunctuation || isClosing(cut.second);
    }
  }
  EXPECT_TRUE(plainCutsPunctuation);
}

TEST_P(LineBreakLayout, ThaiIsCutBetweenClustersAndMostlyBetweenWords) {
  if (!fontFor(U'\u0E01')) GTEST_SKIP() << "no Thai font (fonts-noto-core)";
  // ภาษาไทยเป็นภาษาที่สวยงามและมีประวัติศาสตร์ยาวนาน: no blanks.
  const std::string line = escaped(
      "\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22\u0E40\u0E1B\u0E47\u0E19\u0E20\u0E32\u0E29\u0E32"
      "\u0E17\u0E35\u0E48\u0E2A\u0E27\u0E22\u0E07\u0E32\u0E21\u0E41\u0E25\u0E30\u0E21\u0E35\u0E1B"
      "\u0E23\u0E30\u0E27\u0E31\u0E15\u0E34\u0E28\u0E32\u0E2A\u0E15\u0E23\u0E4C\u0E22\u0E32\u0E27"
      "\u0E19\u0E32\u0E19");
  const auto isMark = [](char32_t c) {
    return c == 0x0E31 || (c >= 0x0E34 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
  };
  std::size_t cutsSeen = 0;
  for (double width = 30; width < 200; width += 2.5) {
    for (const auto& cut : cutsInHex(line, lay(line, width, *widths_))) {
      ++cutsSeen;
      EXPECT_FALSE(isMark(cut.second)) << "a cluster cut at " << width;
      // Every word is far narrower than 30 points: a cut never needs a
      // last resort, so it falls before a word, never before ไ's vowel.
      EXPECT_NE(cut.first, U'\u0E44');
      EXPECT_NE(cut.first, U'\u0E40');
      EXPECT_NE(cut.first, U'\u0E41');
    }
  }
  EXPECT_GT(cutsSeen, 10u);
}

TEST_P(LineBreakLayout, LatinAndCyrillicWordsBreakAsWithoutTheRules) {
  if (!fontFor(U'\u0416')) GTEST_SKIP() << "no Cyrillic font (fonts-dejavu-core)";
  const std::string line = escaped(
      "Plain words and \u041F\u0438\u0441\u044C\u043C\u043E \u0434\u043B\u044F "
      "\u0434\u0440\u0443\u0433\u0430, then %bsbold%be text and a "
      "verylongwordthatmustbecutsomewhereinthemiddle \u043F\u0440\u0438\u0432\u0435\u0442!");
  for (double width = 15; width < 500; width += 1.5) {
    const paged::LineLayout ruled = lay(line, width, *widths_);
    const paged::LineLayout plain = lay(line, width, WithoutRules(*widths_));
    ASSERT_EQ(ruled.pieces.size(), plain.pieces.size()) << width;
    for (std::size_t i = 0; i < ruled.pieces.size(); ++i) {
      EXPECT_EQ(ruled.pieces[i].begin, plain.pieces[i].begin) << width;
      EXPECT_EQ(ruled.pieces[i].end, plain.pieces[i].end) << width;
      EXPECT_EQ(ruled.pieces[i].width, plain.pieces[i].width) << width;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(PagedFormats, LineBreakLayout,
                         ::testing::Values(Format::PostScript, Format::Pdf),
                         [](const ::testing::TestParamInfo<Format>& format) {
                           return format.param == Format::Pdf ? "Pdf" : "PostScript";
                         });

}  // namespace
}  // namespace kolvo::test
