#pragma once
// The five flowing-text formats share one writer: each format is a set of
// constant texts (prologue, blank line for top spacing, the plain and centred
// line forms, epilogue), and every input line becomes one paragraph.

#include <cstddef>
#include <string_view>

#include "writers/writer.hpp"

namespace kolvo {

// A line form is written as before + rewritten line + after.
struct LineForm {
  std::string_view before;
  std::string_view after;
};

// Top spacing: every flowing format writes a small gap of two blank lines
// above the first line for option t and a large one of four for T.
inline constexpr std::size_t kSmallTopGapLines = 2;
inline constexpr std::size_t kLargeTopGapLines = 4;

struct FlowingFormat {
  std::string_view prologue;
  std::string_view blankLine;  // one top-spacing line, line feed included
  std::size_t blankLinesT;     // for option t
  std::size_t blankLinesBigT;  // for option T
  LineForm plain;
  LineForm centred;
  std::string_view epilogue;
};

extern const FlowingFormat kAbiWordFormat;
extern const FlowingFormat kDocBookFormat;
extern const FlowingFormat kHtmlFormat;
// HTML for typed text: the same, declared UTF-8.
extern const FlowingFormat kHtmlTypedFormat;
extern const FlowingFormat kRtfFormat;
extern const FlowingFormat kLatexFormat;
// LaTeX for text shown as typed (escapeLatexText): the same, with the
// packages that let pdflatex set every character that text may hold.
extern const FlowingFormat kLatexTypedFormat;

class FlowingWriter final : public Writer {
 public:
  FlowingWriter(const FlowingFormat& format, OutputSink& out, LayoutState& state)
      : Writer(out, state), format_(format) {}

  void prologue() override;
  void topSpacing(char option) override;
  void line(const TypedLine& line) override;
  std::string progressTrace(bool drawingLine) const override;
  void epilogue() override;

 private:
  const FlowingFormat& format_;
};

}  // namespace kolvo
