#include "writers/paged/line_painting.hpp"

#include <span>
#include <string_view>
#include <utility>

#include "markup/paged_cell_texts.hpp"
#include "markup/tag_index.hpp"
#include "markup/tag_table.hpp"
#include "writers/paged/tag_painting.hpp"

namespace kolvo::paged {
namespace {

// Follows the paint steps of a line's items and hands each string it
// paints, with the style in force, to `strings`.
class Painter {
 public:
  Painter(Format format, const TextStyle& start, PaintedStrings& strings)
      : format_(format), style_(start), strings_(strings) {}

  // The steps of a text that starts at `at` of the line.
  void follow(std::span<const PaintStep> steps, std::size_t at) {
    for (const PaintStep& step : steps) {
      const std::size_t where = at + step.at;
      switch (step.kind) {
        case PaintKind::Close:
          paint(open_, where, 0, true, step.painter);
          break;
        case PaintKind::Style:
          applyStyleChange(step.style, style_);
          styleMayDiffer_ = true;
          break;
        case PaintKind::Open:
          open_ = where;
          break;
        case PaintKind::Glyphs: {
          const double size = pointSize(style_) / 1000;
          const std::size_t end = where + step.glyphs.size();
          paint(where, end, step.moveBefore * size, step.breakable, step.painter);
          // The pen's move after the glyphs, as an empty string of its own.
          if (step.moveAfter != 0) paint(end, end, step.moveAfter * size, false, step.painter);
          break;
        }
        case PaintKind::Text:
          break;  // more of the open string
      }
    }
  }

  // A fallback run at `at`: it closes and shows the open string, shows
  // each of its strings of codes in its font, and returns to the font in
  // force before the text after it.
  void followRun(const RunPainting& run, std::size_t at, std::size_t end) {
    paint(open_, at, 0, true, run.closer);
    for (const CodeString& codes : run.strings) {
      setFont(codes.font, run.size);
      paint(at + codes.begin, at + codes.end, 0, true, run.closer, true);
    }
    setFont(run.backFont, run.size);
    open_ = end;
  }

  // The open string runs to the line's end, painted by the writer; the
  // style in force after it.
  const TextStyle& finish(std::size_t lineSize) {
    paint(open_, lineSize, 0, true,
          format_ == Format::Pdf ? std::string_view("Tj") : std::string_view("show"));
    return style_;
  }

 private:
  void paint(std::size_t begin, std::size_t end, double shift, bool breakable,
             std::string_view closer, bool hex = false) {
    strings_.string({begin, end, 0, shift, breakable, closer, hex}, style_, styleMayDiffer_);
    styleMayDiffer_ = false;
  }

  void setFont(std::string_view font, std::string_view size) {
    style_.font = font;
    style_.size = size;
    styleMayDiffer_ = true;
  }

  Format format_;
  TextStyle style_;
  PaintedStrings& strings_;
  std::size_t open_ = 0;  // where the open string's contents start
  bool styleMayDiffer_ = false;  // style_ changed since the last string's was recorded
};

// Collects the strings into a ShownText.
class ShownTextStrings final : public PaintedStrings {
 public:
  ShownTextStrings(const TextStyle& start, ShownText& shown) : shown_(shown) {
    shown_.styles.clear();
    shown_.runs.clear();
    shown_.styles.push_back(start);
  }

  void string(const ShownRun& run, const TextStyle& style, bool styleMayDiffer) override {
    // Only a string after a change of style can need a style of its own:
    // the others are spared comparing the whole style.
    if (styleMayDiffer && shown_.styles.back() != style) shown_.styles.push_back(style);
    ShownRun& added = shown_.runs.emplace_back(run);
    added.style = shown_.styles.size() - 1;
  }

 private:
  ShownText& shown_;
};

}  // namespace

std::optional<ShownText> paintedText(const TypedLine& line, Format format, TextMode mode,
                                     const TextStyle& start) {
  ShownText shown;
  if (!paintText(line, format, mode, start, shown)) return std::nullopt;
  return shown;
}

bool paintText(const TypedLine& line, Format format, TextMode mode, const TextStyle& start,
               ShownText& shown) {
  ShownTextStrings strings(start, shown);
  const std::optional<TextStyle> end = paintStrings(line, format, mode, start, strings);
  if (!end) return false;
  shown.end = *end;
  return true;
}

std::optional<TextStyle> paintStrings(const TypedLine& line, Format format, TextMode mode,
                                      const TextStyle& start, PaintedStrings& strings) {
  Painter painter(format, start, strings);
  std::size_t runs = 0;  // the fallback runs passed
  const TagIndex& index = tagIndex();
  const TagColumn texts = tagColumn(format, mode);
  const PaintColumn cells = paintColumn(format, mode);
  for (const LineItem& item : line.items) {
    switch (item.kind) {
      case ItemKind::TagText: {
        if (cells.onlyText(item.row)) break;
        const std::span<const PaintStep> steps = cells.steps(item.row);
        // A tag text that paints is whole: its operators begin with ")"
        // and end with "(", which no tag or clean-up takes.
        // (An item's row has a text in this column: only such rows put one in.)
        if (item.end - item.begin != index.text(texts, item.row).size()) return std::nullopt;
        painter.follow(steps, item.begin);
        break;
      }
      case ItemKind::LinkMarkup:  // the flowing formats' alone
      case ItemKind::LinkText:    // the user's text, under a link annotation
        break;
      case ItemKind::SymbolRun: {
        painter.follow(symbolRunSwitch(format, true), item.begin);
        const std::size_t back = symbolRunText(format, false).size();
        painter.follow(symbolRunSwitch(format, false), item.end - back);
        break;
      }
      case ItemKind::CleanupText:
        // The blank a clean-up puts into the user's "<c></c>": more of
        // the open string.
        break;
      case ItemKind::FallbackRun: {
        if (runs >= line.runPaintings.size()) return std::nullopt;
        const RunPainting& run = line.runPaintings[runs++];
        if (run.strings.empty()) return std::nullopt;
        painter.followRun(run, item.begin, item.end);
        break;
      }
    }
  }
  return painter.finish(line.bytes.size());
}

}  // namespace kolvo::paged
