#pragma once
// The five flowing-text formats share one writer: each format is a set of
// constant texts (prologue, blank line for top spacing, the plain and centred
// line forms, epilogue), and every input line becomes one paragraph.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "text/latex_scripts.hpp"
#include "writers/element_balance.hpp"
#include "writers/flowing_metadata.hpp"
#include "writers/latex_box_groups.hpp"
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

// Whether `text` (from its "[") opens with an optional length a line break
// can take, as a user of LaTeX may have typed it on purpose: "[2pt]",
// "[-1.5 ex]", or a length register "[\baselineskip]", closed before any
// brace. A tag's command ("[\ensuremath{\Pi}]", "[\%]") is no length. Such
// a "[" is left to the line break before it; any other is guarded.
bool opensWithLength(std::string_view text);

// What keeps a line from stopping the format's reader where the line before
// it left off; empty (nothing to guard) in every format but LaTeX.
struct LineStartGuards {
  // Before a line whose text opens with "[" or "*" right after a line
  // break, which would read it as the break's optional length or its star
  // (the "*" would be lost, and a "[" after it read as a length) ("{}").
  std::string_view beforeBreakArgumentAfterBreak;
  // Before a plain line of blanks and tags alone right after a centred
  // line, whose environment has ended the paragraph: its tags may all be
  // declarations (a size, a colour, a page break), which begin none, and
  // its line break would have no line to end ("\mbox{}").
  std::string_view beforeNoParagraphAfterCentred;
};

struct FlowingFormat {
  std::string_view prologue;
  std::string_view blankLine;  // one top-spacing line, line feed included
  std::size_t blankLinesT;     // for option t
  std::size_t blankLinesBigT;  // for option T
  LineForm plain;
  LineForm centred;
  std::string_view epilogue;
  LineStartGuards guards = {};
  // Whether the tags' elements are kept balanced on each line: DocBook (in
  // markup where a line is not well-formed), and HTML under --escape.
  bool balancesElements = false;
  // A title made of the first line's text, between these two, right after
  // the prologue (before any top spacing); none where both are empty. A
  // titled document without lines gets one blank line, so that it has a
  // body.
  LineForm firstLineTitle = {};
  // What the prologue goes on with after the packages the document's text
  // needs (typed LaTeX: the scripts of latexScriptPackages), which the
  // writer is given; empty in every other format.
  std::string_view prologueEnd = {};
  // Whether the groups of a box open at a centred line's environment are
  // closed and opened again around it (LaTeX taken as markup; see
  // LatexBoxGroups).
  bool reopensBoxesAroundCentring = false;
  // The line forms of a typed paragraph that runs right to left
  // (TypedLine::rightToLeft), plain and centred: its direction said, so
  // that readers order and align it; none (empty) where the format has no
  // such form, and the plain forms serve.
  LineForm rightToLeft = {};
  LineForm rightToLeftCentred = {};
  // Whether the plain right-to-left form ends the paragraph, so that what
  // follows is guarded as after a centred line (typed LaTeX).
  bool rightToLeftEndsParagraph = false;
};

extern const FlowingFormat kAbiWordFormat;
extern const FlowingFormat kDocBookFormat;
// DocBook for typed text: an article, its tags' elements balanced.
extern const FlowingFormat kDocBookTypedFormat;
extern const FlowingFormat kHtmlFormat;
// HTML for typed text: the same, declared UTF-8.
extern const FlowingFormat kHtmlTypedFormat;
extern const FlowingFormat kRtfFormat;
extern const FlowingFormat kLatexFormat;
// LaTeX for text shown as typed (escapeLatexText): the same, with the
// packages that let pdflatex set every character that text may hold.
extern const FlowingFormat kLatexTypedFormat;

// The preamble lines that load what typed LaTeX needs for `scripts`: the
// font encodings (T1 named last, so that it stays the default) and the CJK
// package; empty for none.
std::string latexScriptPackages(LatexScripts scripts);

class FlowingWriter final : public Writer {
 public:
  // `format` is the format these texts are for; its tags' elements are
  // balanced where the texts say so. With `info` the document carries its
  // metadata (metadataTexts).
  FlowingWriter(const FlowingFormat& texts, OutputSink& out, LineMarks& marks,
                Format format = Format::AbiWord, TextMode mode = TextMode::Markup,
                std::string packages = {}, const DocumentInfo* info = nullptr)
      : Writer(out, marks), format_(texts), packages_(std::move(packages)) {
    if (info != nullptr) metadata_ = metadataTexts(texts, format, mode, *info);
    if (texts.balancesElements) balancer_.emplace(format, mode);
    if (texts.reopensBoxesAroundCentring) boxes_.emplace();
    guarded_ = !texts.guards.beforeBreakArgumentAfterBreak.empty() ||
               !texts.guards.beforeNoParagraphAfterCentred.empty();
    noteWhetherItemsAreRead();
  }

  void prologue() override;
  void topSpacing(char option) override;
  void line(const TypedLine& line) override;
  std::string progressTrace(bool drawingLine) const override;
  void epilogue() override;

 private:
  // The title of the first line's text, and the top spacing held back for
  // it, once the first line (or the end) comes.
  void writeTitle(std::string_view firstLine);
  bool titlePending_ = false;
  std::size_t heldBlankLines_ = 0;
  bool wroteLine_ = false;

  // Where the previous line left the reader, for the guards.
  enum class After : unsigned char { Start, LineBreak, Centred };
  // `text` is what will be written of `line`.
  void guardLineStart(const TypedLine& line, std::string_view text, bool centred);
  // The balancer reads every line's items; the title its first line's,
  // and LaTeX's guard those of the line after a centred one. Called
  // wherever what it reads changes.
  void noteWhetherItemsAreRead() {
    readsTextItems_ = balancer_.has_value() || titlePending_ ||
                      (after_ == After::Centred && !format_.guards.beforeNoParagraphAfterCentred.empty());
  }

  // Where the document's metadata goes, the constant texts' there otherwise.
  std::string_view prologueText() const {
    return metadata_ ? std::string_view(metadata_->prologue) : format_.prologue;
  }
  std::string_view prologueEndText() const {
    return metadata_ ? std::string_view(metadata_->prologueEnd) : format_.prologueEnd;
  }
  LineForm firstLineTitle() const {
    if (!metadata_) return format_.firstLineTitle;
    return {metadata_->titleBefore, metadata_->titleAfter};
  }

  const FlowingFormat& format_;
  std::optional<MetadataTexts> metadata_;
  std::string packages_;  // between the prologue and its end
  After after_ = After::Start;
  bool guarded_ = false;  // the format guards some line starts (most guard none)
  std::optional<ElementBalancer> balancer_;
  std::string balanced_;
  std::optional<LatexBoxGroups> boxes_;
  std::string unboxed_;
};

}  // namespace kolvo
