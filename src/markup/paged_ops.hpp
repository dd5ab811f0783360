#pragma once
// The operations that a PostScript or PDF tag text is made of, and the
// bytes each one writes. A tag's text stands inside the string operand that
// the writer opened for the line, so an operation that paints or changes
// the state first closes that string and the text ends by opening a new
// one. The bytes and everything the program knows about a text (the font
// it selects, what it paints) come from these operations; nothing reads
// the bytes back.
//
// The blanks between the tokens are data of each operation (`gap`): the
// texts keep the spacing they always had, ") show  /" beside ")  show /".

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo {

enum class PagedOpKind : unsigned char {
  Text,         // bytes that go into the open string as text would: "\\267", "_", " "
  ClosePaint,   // ")" and the operator that paints the string so far: ") show", ")Tj"
  OpenString,   // "(": what follows the tag goes into a new string
  SelectFont,   // "/Times-Bold findfont 12 scalefont setfont", "/F2 12 Tf"
  SetColour,    // "1 0 0 setrgbcolor", "1 0 0 rg"
  Rise,         // PDF: "7 Ts"
  PaintGlyphs,  // a string of the tag's own painted by its operator: "(\\141) show", "(\\141) Tj"
  PaintArray,   // PDF: "[454.5 (\\304) -121.5] TJ", a glyph with the pen moved around it
  Accent,       // PostScript: a glyph shown with an accent centred over it (gsave/grestore)
};

// A font and its size in points, as the texts write them: a PostScript
// font name or a PDF font resource ("Times-Bold", "F2"), and "12".
struct PagedFont {
  std::string_view name;
  std::string_view size;
};

struct PagedOp {
  PagedOpKind kind = PagedOpKind::Text;
  // The blanks before the operation's first byte; for ClosePaint the
  // blanks between its ")" and its operator.
  std::string_view gap;
  // ClosePaint, PaintGlyphs: the painting operator ("show", "ushow", "Tj").
  std::string_view painter;
  PagedFont font;                // SelectFont; Accent: the accent's font
  std::string_view operands;     // SetColour: "1 0 0"; Rise: "7"
  std::string_view operatorGap;  // SetColour: the blanks between the operands and the operator
  // Text, PaintGlyphs, PaintArray: the string's contents, escaped as a
  // string operand; Accent: the glyph under the accent.
  std::string_view glyphs;
  std::string_view accent;  // Accent: the accent's glyph
  // PaintArray: the numbers before and after the string, in tenths (TJ
  // takes thousandths of the font size, and moves the pen left by them).
  int adjustBefore = 0;
  int adjustAfter = 0;
};

// The operations of one cell, in order; the longest cell has six.
inline constexpr std::size_t kMaxPagedOps = 6;

class PagedCell {
 public:
  template <typename... Ops>
    requires(sizeof...(Ops) <= kMaxPagedOps)
  // Not explicit: the tables list the operations in braces.
  constexpr PagedCell(Ops... ops) : ops_{PagedOp(ops)...}, count_(sizeof...(Ops)) {}

  constexpr std::span<const PagedOp> operations() const { return {ops_.data(), count_}; }

 private:
  std::array<PagedOp, kMaxPagedOps> ops_{};
  std::size_t count_ = 0;
};

// --- The operations, with the spacing most texts use -------------------------

constexpr PagedOp literalText(std::string_view glyphs) {
  PagedOp op;
  op.glyphs = glyphs;
  return op;
}
constexpr PagedOp closePaint(std::string_view painter, std::string_view gap = " ") {
  PagedOp op;
  op.kind = PagedOpKind::ClosePaint;
  op.gap = gap;
  op.painter = painter;
  return op;
}
constexpr PagedOp openString(std::string_view gap = " ") {
  PagedOp op;
  op.kind = PagedOpKind::OpenString;
  op.gap = gap;
  return op;
}
constexpr PagedOp selectFont(const PagedFont& font, std::string_view gap = " ") {
  PagedOp op;
  op.kind = PagedOpKind::SelectFont;
  op.gap = gap;
  op.font = font;
  return op;
}
constexpr PagedOp setColour(std::string_view operands, std::string_view gap = " ",
                            std::string_view operatorGap = " ") {
  PagedOp op;
  op.kind = PagedOpKind::SetColour;
  op.gap = gap;
  op.operands = operands;
  op.operatorGap = operatorGap;
  return op;
}
constexpr PagedOp rise(std::string_view operand) {
  PagedOp op;
  op.kind = PagedOpKind::Rise;
  op.gap = " ";
  op.operands = operand;
  return op;
}
constexpr PagedOp paintGlyphs(std::string_view glyphs, std::string_view painter) {
  PagedOp op;
  op.kind = PagedOpKind::PaintGlyphs;
  op.gap = " ";
  op.painter = painter;
  op.glyphs = glyphs;
  return op;
}
constexpr PagedOp paintArray(int adjustBefore, std::string_view glyphs, int adjustAfter) {
  PagedOp op;
  op.kind = PagedOpKind::PaintArray;
  op.gap = " ";
  op.glyphs = glyphs;
  op.adjustBefore = adjustBefore;
  op.adjustAfter = adjustAfter;
  return op;
}
constexpr PagedOp accent(std::string_view base, const PagedFont& accentFont, std::string_view glyph) {
  PagedOp op;
  op.kind = PagedOpKind::Accent;
  op.gap = " ";
  op.font = accentFont;
  op.glyphs = base;
  op.accent = glyph;
  return op;
}

// Whether `op` is one that `format` (PostScript or PDF) writes.
constexpr bool belongsTo(const PagedOp& op, Format format) {
  switch (op.kind) {
    case PagedOpKind::Rise:
    case PagedOpKind::PaintArray:
      return format == Format::Pdf;
    case PagedOpKind::Accent:
      return format == Format::PostScript;
    default:
      return format == Format::PostScript || format == Format::Pdf;
  }
}

// --- The bytes ---------------------------------------------------------------
// `Sink` takes string_views (`sink(text)`): a counter, a fixed buffer, a
// std::string.

namespace paged_bytes {

// TJ's number from tenths: -1215 is "-121.5".
template <typename Sink>
constexpr void writeTenths(int tenths, Sink& sink) {
  if (tenths < 0) sink("-");
  const int magnitude = tenths < 0 ? -tenths : tenths;
  std::array<char, 12> digits{};
  std::size_t first = digits.size();
  int whole = magnitude / 10;
  do {
    digits[--first] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  sink(std::string_view(digits.data() + first, digits.size() - first));
  if (magnitude % 10 != 0) {
    const std::array<char, 2> fraction = {'.', static_cast<char>('0' + magnitude % 10)};
    sink(std::string_view(fraction.data(), fraction.size()));
  }
}

template <typename Sink>
constexpr void writeFont(const PagedFont& font, Format format, Sink& sink) {
  sink("/");
  sink(font.name);
  sink(format == Format::Pdf ? " " : " findfont ");
  sink(font.size);
  sink(format == Format::Pdf ? " Tf" : " scalefont setfont");
}

// PostScript: the base glyph's middle kept on the stack, the accent
// centred there inside gsave/grestore, then the base shown where it was.
template <typename Sink>
constexpr void writeAccent(const PagedOp& op, Sink& sink) {
  sink("(");
  sink(op.glyphs);
  sink(") dup stringwidth pop 2 div currentpoint 3 1 roll add exch gsave moveto ");
  writeFont(op.font, Format::PostScript, sink);
  sink(" (");
  sink(op.accent);
  sink(") dup stringwidth pop 2 div neg 0 rmoveto show grestore show");
}

template <typename Sink>
constexpr void writeArray(const PagedOp& op, Sink& sink) {
  sink("[");
  writeTenths(op.adjustBefore, sink);
  sink(" (");
  sink(op.glyphs);
  sink(") ");
  writeTenths(op.adjustAfter, sink);
  sink("] TJ");
}

}  // namespace paged_bytes

// Writes the bytes of `op` for `format` to `sink`.
template <typename Sink>
constexpr void writePagedOp(const PagedOp& op, Format format, Sink& sink) {
  if (op.kind == PagedOpKind::ClosePaint) {
    sink(")");
    sink(op.gap);
    sink(op.painter);
    return;
  }
  sink(op.gap);
  switch (op.kind) {
    case PagedOpKind::Text:
      return sink(op.glyphs);
    case PagedOpKind::OpenString:
      return sink("(");
    case PagedOpKind::SelectFont:
      return paged_bytes::writeFont(op.font, format, sink);
    case PagedOpKind::SetColour:
      sink(op.operands);
      sink(op.operatorGap);
      return sink(format == Format::Pdf ? "rg" : "setrgbcolor");
    case PagedOpKind::Rise:
      sink(op.operands);
      return sink(" Ts");
    case PagedOpKind::PaintGlyphs:
      sink("(");
      sink(op.glyphs);
      sink(") ");
      return sink(op.painter);
    case PagedOpKind::PaintArray:
      return paged_bytes::writeArray(op, sink);
    case PagedOpKind::Accent:
      return paged_bytes::writeAccent(op, sink);
    case PagedOpKind::ClosePaint:
      return;
  }
}

template <typename Sink>
constexpr void writePagedCell(const PagedCell& cell, Format format, Sink& sink) {
  for (const PagedOp& op : cell.operations()) writePagedOp(op, format, sink);
}

// Where the glyphs of a Text, PaintGlyphs, PaintArray or Accent operation
// (`glyphs`, for an accent the base glyph) start in its bytes.
constexpr std::size_t glyphsOffset(const PagedOp& op) {
  switch (op.kind) {
    case PagedOpKind::Text:
      return op.gap.size();
    case PagedOpKind::PaintArray: {
      std::size_t adjust = 0;
      auto count = [&adjust](std::string_view text) { adjust += text.size(); };
      paged_bytes::writeTenths(op.adjustBefore, count);
      return op.gap.size() + 1 + adjust + 2;  // "[" adjust " ("
    }
    default:
      return op.gap.size() + 1;  // "("
  }
}

// Counts the bytes instead of writing them.
struct PagedByteCount {
  std::size_t bytes = 0;
  constexpr void operator()(std::string_view text) { bytes += text.size(); }
};

constexpr std::size_t pagedOpSize(const PagedOp& op, Format format) {
  PagedByteCount count;
  writePagedOp(op, format, count);
  return count.bytes;
}

}  // namespace kolvo
