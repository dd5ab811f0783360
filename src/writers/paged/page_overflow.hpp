#pragma once
// Lines of PostScript or PDF that run off the page when no paper size is
// given: the writers then never wrap, and a line goes on as far as its
// glyphs reach. A run counts them, measured as --paper measures, for the
// warning that names --paper.
//
// Laying every line out as --paper does would cost more than the rest of
// the conversion, so a line is first held to a bound: a line without tags
// in the body font by the bounds of its glyphs' widths that the line's
// tally sums (text/line_tally.hpp), and by the widths themselves only where
// those bounds straddle the edge; a line with tags, once rewritten, by its
// items: the text in the font each tag leaves in force (which the tag
// table says), each tag as the widest glyph at its largest size. Before
// those widths are summed, the tally of the typed line, times how much
// wider than the body font the line's fonts draw any glyph, settles most
// such lines at no cost per byte; most others by the tally plus the text
// shown in other fonts, summed. Only a line that could pass the edge even
// so is laid out as the writer has it.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/line_items.hpp"
#include "markup/tag_index.hpp"
#include "text/line_tally.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/paper_size.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo {
class FallbackFonts;
}

namespace kolvo::paged {

class PageOverflow {
 public:
  // The room of a line on the writers' page without a paper size (A4),
  // from the left margin, in thousandths of the body size (12 points).
  static constexpr double kPlainRoom = (kA4Paper.width - kLeftMargin) * 1000.0 / 12;

  // Counts nothing for a flowing format, when `paper` is given (lines
  // wrap then), or for text as typed (--escape), whose warnings are off.
  PageOverflow(Format format, TextMode mode, const PaperSize* paper,
               const FallbackFonts* fallback);

  // One printed line as read (NUL bytes blanked), before its rewrite, and
  // its tally by a LineTallier with tallyWeights() and tallyClasses():
  // true when that was enough (nothing to count, or a line without tags
  // measured); otherwise measureRewritten must follow. Not for a drawing
  // line, which shows no text. `marks` as the line before left them: a
  // drawing line's centring tag moves where the next line starts, and only
  // the rewrite says where that is.
  bool measurePlain(std::string_view typed, const LineTally& tally, const LineMarks& marks) {
    if (!active_) return true;
    typedUpper_ = static_cast<double>(tally.upper);
    if (marks.line_x != kLeftMargin) return false;
    // Most lines: text alone in the body font, well within the page.
    if (inBodyFont_ && (tally.classes & kTallyOffPlain) == 0 &&
        static_cast<double>(tally.upper) <= kPlainRoom) {
      return true;
    }
    return measureFurther(typed, tally);
  }

  // The same line as the writer gets it, with its items recorded, `marks`
  // after the rewrite (where the line starts).
  void measureRewritten(const TypedLine& rewritten, const LineMarks& marks);

  bool active() const { return active_; }
  // The weights (the body font's widths, line ends as blanks) and classes
  // (kTallyOffPlain) of the tally measurePlain wants; none when inactive.
  const std::array<std::uint16_t, 256>& tallyWeights() const { return tallyWeights_; }
  const std::array<std::uint8_t, 128>& tallyClasses() const { return tallyClasses_; }

  // The lines that reached past either side of the page.
  std::uint64_t lines() const { return lines_; }

 private:
  // What a tag's text does, read from it once: the largest size it shows
  // anything in, and the font and size it leaves in force, if it sets them.
  struct RowEffect {
    bool bounded = false;  // shows at most one glyph and sets the font alike from any style
    double maxSize = 0;
    std::size_t glyphs = 0;
    double shift = 0;  // points the pen moves forward between its strings (PDF "TJ")
    bool setsFont = false;
    std::size_t bytes = 0;  // of its text, as the rewrite puts it in
    std::string font;
    std::string size;
    double points = 0;                   // that size
    const GlyphWidths* table = nullptr;  // the widths of the font it sets
    double ratio = 0;                    // widthRatio of that font at that size
    bool inBodyFont = false;             // which are the body font's
    int fontId = 0;                      // fontIdOf them
  };
  void readRowEffects();
  void readRowEffect(std::size_t row, std::vector<const GlyphWidths*>& fonts);
  const GlyphWidths* tableOf(const TextStyle& style) const;
  bool measureFurther(std::string_view typed, const LineTally& tally);
  bool plainFits(std::string_view typed, const LineTally& tally) const;
  const RowEffect* tagEffect(const LineItem& item, double size, double& points) const;
  template <bool kBodyFromTally>
  double boundOfItems(const TypedLine& line);
  double quickBoundOfItems(const TypedLine& line, double room);
  double widthRatio(const GlyphWidths* table, double points) const;
  int fontIdOf(std::string_view font, std::string_view size);
  double knownWidthRatio(const GlyphWidths* table, double points);
  void setStyleFont(const GlyphWidths* table, double points, double ratio);
  void keepBoundedStyle();

  bool active_;
  Format format_;
  TextMode mode_;
  TagColumn column_;
  FallbackWidths widths_;
  TextStyle style_;  // in force where the next line starts (its font and size are exact)
  const GlyphWidths* styleTable_ = nullptr;  // the widths of style_'s font
  double styleSize_ = 0;                     // and its size in points
  double styleRatio_ = 1;                    // and their widthRatio
  TextStyle bodyStyle_;     // the style a document starts in
  double bodyRatio_ = 1;    // and its widthRatio
  bool inBodyFont_ = true;  // style_ has its font and size
  // The fontIdOf style_'s font and size, or kUnknownFont after a line laid
  // out (whose end style is not one a row's alone).
  static constexpr int kUnknownFont = -1;
  std::vector<std::string> fontKeys_;
  int bodyFontId_ = kUnknownFont;
  int styleFontId_ = kUnknownFont;
  std::array<RowEffect, kTagRowCount> rows_{};
  const GlyphWidths* body_ = nullptr;
  unsigned widestGlyph_ = 0;  // of every font a tag selects
  // What the run's LineTallier is to weigh and class for measurePlain.
  std::array<std::uint16_t, 256> tallyWeights_{};
  std::array<std::uint8_t, 128> tallyClasses_{};
  // The row of the last tag of the line boundOfItems went through that
  // sets the font, or kNoRow.
  std::size_t lastFontRow_ = kNoRow;
  // The tally's bound of the typed line's width in the body font, from
  // measurePlain, for the measure of the same line rewritten; infinite
  // when there is none.
  double typedUpper_ = std::numeric_limits<double>::infinity();
  struct KnownRatio {
    const GlyphWidths* table;
    double points;
    double ratio;
  };
  std::vector<KnownRatio> knownRatios_;
  LayoutBuffers buffers_;  // kept from line to line, as the writers keep theirs
  std::uint64_t lines_ = 0;
};

}  // namespace kolvo::paged
