// The steps of every PostScript and PDF cell, made once at compile time
// from the operations into one constant table.

#include "writers/paged/tag_painting.hpp"

#include <array>
#include <cstdint>

#include "markup/paged_cells.hpp"

namespace kolvo::paged {
namespace {

// The step of an operation that stands at `at` in its cell's text.
constexpr PaintStep stepOf(const PagedOp& op, std::size_t at) {
  PaintStep step;
  switch (op.kind) {
    case PagedOpKind::Text:
      step.glyphs = op.glyphs;
      step.at = at + glyphsOffset(op);
      return step;
    case PagedOpKind::ClosePaint:
      step.kind = PaintKind::Close;
      step.painter = op.painter;
      step.at = at;
      return step;
    case PagedOpKind::OpenString:
      step.kind = PaintKind::Open;
      step.at = at + op.gap.size() + 1;
      return step;
    case PagedOpKind::SelectFont:
    case PagedOpKind::SetColour:
    case PagedOpKind::Rise:
      step.kind = PaintKind::Style;
      step.at = at;
      // A word longer than StyleWord holds stops the build here.
      if (op.kind == PagedOpKind::SelectFont) {
        step.style = {StyleWord(op.font.name), StyleWord(op.font.size), {}, {}};
      }
      if (op.kind == PagedOpKind::SetColour) step.style.colour = op.operands;
      if (op.kind == PagedOpKind::Rise) step.style.rise = op.operands;
      return step;
    case PagedOpKind::PaintGlyphs:
    case PagedOpKind::PaintArray:
    case PagedOpKind::Accent:
      step.kind = PaintKind::Glyphs;
      step.glyphs = op.glyphs;
      step.at = at + glyphsOffset(op);
      step.painter = op.kind == PagedOpKind::PaintGlyphs ? op.painter
                     : op.kind == PagedOpKind::PaintArray ? std::string_view("TJ")
                                                          : std::string_view("show");
      step.moveBefore = -op.adjustBefore / 10.0;
      step.moveAfter = -op.adjustAfter / 10.0;
      step.breakable = op.kind == PagedOpKind::PaintGlyphs;
      return step;
  }
  return step;
}

// Calls `out` with each step of `cell`.
template <typename Out>
constexpr void stepsOf(const IndexedPagedCell& cell, Out& out) {
  std::size_t at = 0;
  for (const PagedOp& op : cell.cell->operations()) {
    out(stepOf(op, at));
    at += pagedOpSize(op, cell.format);
  }
}

constexpr std::size_t kStepCount = [] {
  std::size_t count = 0;
  auto counter = [&count](const PaintStep&) { ++count; };
  for (std::size_t i = 0; i < kPagedCellCount; ++i) stepsOf(pagedCellAt(i), counter);
  return count;
}();

struct StepTable {
  std::array<PaintStep, kStepCount> steps{};
  // Cell i has steps [first[i], first[i + 1]).
  // cppcheck-suppress unusedStructMember ; read by kColumnCells and stepsOfCell
  std::array<std::uint16_t, kPagedCellCount + 1> first{};
};

constexpr StepTable kSteps = [] {
  StepTable table;
  std::size_t next = 0;
  auto writer = [&table, &next](const PaintStep& step) { table.steps[next++] = step; };
  for (std::size_t i = 0; i < kPagedCellCount; ++i) {
    table.first[i] = static_cast<std::uint16_t>(next);
    stepsOf(pagedCellAt(i), writer);
  }
  table.first[kPagedCellCount] = static_cast<std::uint16_t>(next);
  return table;
}();

// The cell of each row, format and mode, so that a look-up compares no tags.
constexpr std::size_t slotOf(std::size_t row, Format format, TextMode mode) {
  return row * 4 + (format == Format::Pdf ? 2 : 0) + (mode == TextMode::Typed ? 1 : 0);
}

constexpr std::array<std::uint16_t, kTagRowCount * 4> kCellOfSlot = [] {
  std::array<std::uint16_t, kTagRowCount * 4> cells{};
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    for (const Format format : {Format::PostScript, Format::Pdf}) {
      for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
        cells[slotOf(row, format, mode)] =
            static_cast<std::uint16_t>(pagedCellIndex(row, format, mode));
      }
    }
  }
  return cells;
}();

// Every row's cell in each of the four columns, in the order of slotOf.
constexpr std::size_t kColumnCount = 4;
using ColumnCells = std::array<std::array<PaintColumn::Cell, kTagRowCount>, kColumnCount>;
constexpr ColumnCells kColumnCells = [] {
  ColumnCells columns{};
  for (std::size_t row = 0; row < kTagRowCount; ++row) {
    for (std::size_t column = 0; column < kColumnCount; ++column) {
      const std::size_t cell = kCellOfSlot[row * kColumnCount + column];
      PaintColumn::Cell& entry = columns[column][row];
      entry.start = kSteps.first[cell];
      entry.count = static_cast<std::uint16_t>(kSteps.first[cell + 1] - kSteps.first[cell]);
      for (std::size_t i = entry.start; i < kSteps.first[cell + 1]; ++i) {
        if (kSteps.steps[i].kind != PaintKind::Text) entry.onlyText = false;
      }
    }
  }
  return columns;
}();
static_assert(slotOf(0, Format::Pdf, TextMode::Typed) == kColumnCount - 1);

std::span<const PaintStep> stepsOfCell(std::size_t cell) {
  return std::span<const PaintStep>(kSteps.steps)
      .subspan(kSteps.first[cell], kSteps.first[cell + 1] - kSteps.first[cell]);
}

}  // namespace

void applyStyleChange(const StyleChange& change, TextStyle& style) {
  if (!change.font.empty()) {
    style.font = change.font;
    style.size = change.size;
  }
  if (!change.colour.empty()) style.colour = change.colour;
  if (!change.rise.empty()) style.rise = change.rise;
}

PaintColumn paintColumn(Format format, TextMode mode) {
  if (format != Format::PostScript && format != Format::Pdf) return {{}, {}};
  return {kSteps.steps, kColumnCells[slotOf(0, format, mode)]};
}

// The same table as a line's painting reads, so that what the tests hold
// paintedBy to holds for the columns too.
std::span<const PaintStep> paintedBy(std::size_t row, Format format, TextMode mode) {
  return paintColumn(format, mode).steps(row);
}

std::span<const PaintStep> symbolRunSwitch(Format format, bool start) {
  if (format != Format::PostScript && format != Format::Pdf) return {};
  return stepsOfCell(symbolRunCellIndex(format, start));
}

}  // namespace kolvo::paged
