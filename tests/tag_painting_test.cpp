// The PostScript and PDF cells as operations: their bytes, what they paint
// (paintedBy), and the font each tag leaves in force (FontSwitches). What
// paintedBy says is held to what the page description does, as
// readShownText runs it, for every cell in both modes.

#include "writers/paged/tag_painting.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "markup/paged_cell_texts.hpp"
#include "markup/paged_cells.hpp"
#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"
#include "writers/paged/font_in_force.hpp"
#include "support/page_description_reader.hpp"

namespace kolvo::paged {
namespace {

using namespace std::string_view_literals;

std::string bytesOf(const PagedOp& op, Format format) {
  std::string out;
  auto append = [&out](std::string_view text) { out += text; };
  writePagedOp(op, format, append);
  return out;
}

std::string_view tagText(std::size_t row, Format format, TextMode mode) {
  const TagRow& r = kTagTable[row];
  return *(mode == TextMode::Typed ? typedReplacement(r, format) : r.replacement(format));
}

TEST(PagedOps, EachFormatSpellsTheOperationItsOwnWay) {
  EXPECT_EQ(bytesOf(selectFont({"Times-Bold", "12"}), Format::PostScript),
            " /Times-Bold findfont 12 scalefont setfont");
  EXPECT_EQ(bytesOf(selectFont({"F2", "12"}), Format::Pdf), " /F2 12 Tf");
  EXPECT_EQ(bytesOf(setColour(".55 0 .55", "  ", "  "), Format::PostScript),
            "  .55 0 .55  setrgbcolor");
  EXPECT_EQ(bytesOf(setColour("1 0 0"), Format::Pdf), " 1 0 0 rg");
  EXPECT_EQ(bytesOf(closePaint("Tj", ""), Format::Pdf), ")Tj");
  EXPECT_EQ(bytesOf(closePaint("show", "  "), Format::PostScript), ")  show");
  EXPECT_EQ(bytesOf(openString("  "), Format::PostScript), "  (");
  EXPECT_EQ(bytesOf(literalText("_"), Format::Pdf), "_");
}

// TJ's numbers are written from tenths: whole numbers without a point,
// negative ones with their sign.
TEST(PagedOps, ArrayAdjustmentsFromTenths) {
  EXPECT_EQ(bytesOf(paintArray(4545, "\\304", -1215), Format::Pdf),
            " [454.5 (\\304) -121.5] TJ");
  EXPECT_EQ(bytesOf(paintArray(-30, "x", 0), Format::Pdf), " [-3 (x) 0] TJ");
  EXPECT_EQ(bytesOf(paintArray(5, "x", -7), Format::Pdf), " [0.5 (x) -0.7] TJ");
  EXPECT_EQ(glyphsOffset(paintArray(-30, "x", 0)), " [-3 ("sv.size());
}

// Steps that stand at `at` in a line.
struct PlacedSteps {
  std::size_t at;
  std::span<const PaintStep> steps;
};

// What the steps say, turned into the runs readShownText gives for a line
// of `lineSize` bytes.
ShownText runsFromSteps(std::initializer_list<PlacedSteps> texts, std::size_t lineSize,
                        Format format, const TextStyle& start) {
  ShownText shown;
  shown.styles.push_back(start);
  TextStyle style = start;
  std::size_t open = 0;
  auto paint = [&](std::size_t begin, std::size_t end, double shift, bool breakable,
                   std::string_view closer) {
    if (shown.styles.back() != style) shown.styles.push_back(style);
    shown.runs.push_back({begin, end, shown.styles.size() - 1, shift, breakable, closer, false});
  };
  for (const PlacedSteps& text : texts) {
    for (const PaintStep& step : text.steps) {
      const std::size_t at = text.at + step.at;
      const double size = pointSize(style) / 1000;
      if (step.kind == PaintKind::Close) paint(open, at, 0, true, step.painter);
      if (step.kind == PaintKind::Style) applyStyleChange(step.style, style);
      if (step.kind == PaintKind::Open) open = at;
      if (step.kind != PaintKind::Glyphs) continue;
      const std::size_t end = at + step.glyphs.size();
      paint(at, end, step.moveBefore * size, step.breakable, step.painter);
      if (step.moveAfter != 0) paint(end, end, step.moveAfter * size, false, step.painter);
    }
  }
  paint(open, lineSize, 0, true, format == Format::Pdf ? "Tj" : "show");
  shown.end = style;
  return shown;
}

void expectSameRuns(const ShownText& expected, const ShownText& actual) {
  EXPECT_EQ(expected.styles, actual.styles);
  EXPECT_EQ(expected.end, actual.end);
  ASSERT_EQ(expected.runs.size(), actual.runs.size());
  for (std::size_t i = 0; i < expected.runs.size(); ++i) {
    const ShownRun& e = expected.runs[i];
    const ShownRun& a = actual.runs[i];
    EXPECT_EQ(e.begin, a.begin) << "run " << i;
    EXPECT_EQ(e.end, a.end) << "run " << i;
    EXPECT_EQ(e.style, a.style) << "run " << i;
    EXPECT_DOUBLE_EQ(e.shift, a.shift) << "run " << i;
    EXPECT_EQ(e.breakable, a.breakable) << "run " << i;
    EXPECT_EQ(e.closer, a.closer) << "run " << i;
    EXPECT_EQ(e.hex, a.hex) << "run " << i;
  }
}

// Every cell, both modes, from the body font and from a style whose every
// part differs from what the tags select.
TEST(TagPainting, AgreesWithThePageDescriptionForEveryCell) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    TextStyle decorated = initialTextStyle(format);
    decorated.colour = "0 0 .25";
    decorated.rise = format == Format::Pdf ? "3" : "";
    decorated.size = "9";
    for (const TextStyle& start : {initialTextStyle(format), decorated}) {
      for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
        for (std::size_t row = 0; row < kTagRowCount; ++row) {
          SCOPED_TRACE(std::string(kTagTable[row].tag) + (format == Format::Pdf ? " PDF" : " PS") +
                       (mode == TextMode::Typed ? " typed" : ""));
          const std::string line = "a" + std::string(tagText(row, format, mode)) + "b";
          expectSameRuns(runsFromSteps({{1, paintedBy(row, format, mode)}}, line.size(), format,
                                       start),
                         readShownText(line, format, start));
        }
      }
    }
  }
}

// The steps point at the bytes they stand for.
TEST(TagPainting, StepsStandWhereTheirBytesAre) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      for (std::size_t row = 0; row < kTagRowCount; ++row) {
        const std::string_view text = tagText(row, format, mode);
        SCOPED_TRACE(text);
        for (const PaintStep& step : paintedBy(row, format, mode)) {
          ASSERT_LE(step.at, text.size());
          if (step.kind == PaintKind::Close) {
            EXPECT_EQ(text[step.at], ')');
          }
          if (step.kind == PaintKind::Open) {
            EXPECT_EQ(text[step.at - 1], '(');
          }
          if (step.kind == PaintKind::Glyphs || step.kind == PaintKind::Text) {
            EXPECT_EQ(text.substr(step.at, step.glyphs.size()), step.glyphs);
          }
        }
      }
    }
  }
}

// A line's painting passes over the texts that only add to the open
// string by a flag of the column: it must say exactly that, for every row
// (a bullet's text is one; a font switch is none), and nothing past the
// rows or for a flowing format.
TEST(TagPainting, TheColumnSaysWhichTextsOnlyAddText) {
  std::size_t onlyText = 0;
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const PaintColumn cells = paintColumn(format, mode);
      for (std::size_t row = 0; row < kTagRowCount; ++row) {
        bool textAlone = true;
        for (const PaintStep& step : cells.steps(row)) {
          textAlone = textAlone && step.kind == PaintKind::Text;
        }
        EXPECT_EQ(cells.onlyText(row), textAlone) << tagText(row, format, mode);
        onlyText += textAlone ? 1 : 0;
      }
      EXPECT_TRUE(cells.steps(kTagRowCount).empty());
      EXPECT_TRUE(cells.onlyText(kTagRowCount));
    }
  }
  EXPECT_GT(onlyText, 0u);
  EXPECT_LT(onlyText, 4 * kTagRowCount);
  EXPECT_TRUE(paintColumn(Format::Html, TextMode::Markup).steps(0).empty());
}

// A run of Symbol glyphs in typed text, as the escaper writes it.
TEST(TagPainting, SymbolRunsSwitchToTheSymbolFontAndBack) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    const std::string start(symbolRunText(format, true));
    const std::string end(symbolRunText(format, false));
    const std::string line = "a" + start + "\\141\\142" + end + "b";
    const ShownText shown = readShownText(line, format, initialTextStyle(format));
    expectSameRuns(runsFromSteps({{1, symbolRunSwitch(format, true)},
                                  {1 + start.size() + 8, symbolRunSwitch(format, false)}},
                                 line.size(), format, initialTextStyle(format)),
                   shown);
    ASSERT_EQ(shown.runs.size(), 3u);
    EXPECT_EQ(fontName(format, shown.styles[shown.runs[1].style]), "Symbol");
    EXPECT_EQ(shown.end, initialTextStyle(format));
  }
  EXPECT_TRUE(symbolRunSwitch(Format::Latex, true).empty());
}

std::size_t rowOf(std::string_view tag) {
  std::size_t row = 0;
  while (kTagTable[row].tag != tag) ++row;
  return row;
}

TEST(TagPainting, TheUpsilonWithATildeInBothFormats) {
  const auto pdf = paintedBy(rowOf("%zu"), Format::Pdf, TextMode::Typed);
  ASSERT_EQ(pdf.size(), 6u);
  EXPECT_EQ(pdf[2].glyphs, "\\165");
  EXPECT_TRUE(pdf[2].breakable);
  EXPECT_EQ(pdf[4].glyphs, "\\230");
  EXPECT_EQ(pdf[4].painter, "TJ");
  EXPECT_DOUBLE_EQ(pdf[4].moveBefore, -454.5);
  EXPECT_DOUBLE_EQ(pdf[4].moveAfter, 121.5);
  EXPECT_FALSE(pdf[4].breakable);

  // The tilde is drawn inside gsave/grestore: only the upsilon is painted.
  const auto ps = paintedBy(rowOf("%zu"), Format::PostScript, TextMode::Markup);
  ASSERT_EQ(ps.size(), 5u);
  EXPECT_EQ(ps[1].style, (StyleChange{"Symbol", "12", {}, {}}));
  EXPECT_EQ(ps[2].glyphs, "\\165");
  EXPECT_EQ(ps[2].painter, "show");
  EXPECT_FALSE(ps[2].breakable);
}

TEST(TagPainting, NothingForOtherFormatsOrRows) {
  EXPECT_TRUE(paintedBy(0, Format::Html, TextMode::Markup).empty());
  EXPECT_TRUE(paintedBy(kTagRowCount, Format::Pdf, TextMode::Markup).empty());
  EXPECT_TRUE(paintedBy(rowOf("%cs"), Format::Pdf, TextMode::Markup).empty());
  const auto bullet = paintedBy(rowOf("%bu"), Format::PostScript, TextMode::Markup);
  ASSERT_EQ(bullet.size(), 1u);
  EXPECT_EQ(bullet[0].kind, PaintKind::Text);
  EXPECT_EQ(bullet[0].glyphs, "\\267");
}

// The font each tag leaves in force is the one the page description ends
// in; the PostScript underline and highlights switch the procedure that
// paints the text.
TEST(FontSwitches, LeaveTheFontThePageDescriptionEndsIn) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    for (std::size_t row = 0; row < kTagRowCount; ++row) {
      SCOPED_TRACE(kTagTable[row].tag);
      FontInForce font = bodyFont(format);
      font.font = "untouched";
      fontSwitches(format).apply(row, font);
      const std::string line = "a" + std::string(tagText(row, format, TextMode::Typed)) + "b";
      TextStyle start = initialTextStyle(format);
      start.font = "untouched";
      const ShownText shown = readShownText(line, format, start);
      EXPECT_EQ(font.font, shown.end.font);
      EXPECT_EQ(font.size, shown.end.size);
    }
  }
  FontInForce font = bodyFont(Format::PostScript);
  fontSwitches(Format::PostScript).apply(rowOf("%us"), font);
  EXPECT_EQ(font.show, "ushow");
  fontSwitches(Format::PostScript).apply(rowOf("%hs"), font);
  EXPECT_EQ(font.show, "hshow");
  fontSwitches(Format::PostScript).apply(rowOf("%He"), font);
  EXPECT_EQ(font.show, "show");
  fontSwitches(Format::PostScript).apply(rowOf("%bs"), font);
  EXPECT_EQ(font.font, "Times-Bold");
  EXPECT_EQ(font.style, FontStyle::Bold);
}

}  // namespace
}  // namespace kolvo::paged
