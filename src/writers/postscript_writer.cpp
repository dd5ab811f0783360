// The PostScript writer: one `moveto` and one string painted with `show` per
// text line, the baseline lowered by the line spacing before each line, and a
// page end whenever the baseline reaches the bottom margin.
//
// The text of a line arrives already rewritten: its "\", "(" and ")" escaped
// and its tags turned into PostScript operators that close and reopen the
// string this writer puts around the line.

#include "writers/postscript_writer.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "writers/paged/font_texts.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/running_text.hpp"
#include "writers/paged_writer.hpp"
#include "writers/postscript_structure.hpp"
#include "writers/postscript_fallback_fonts.hpp"

namespace kolvo {
namespace {

// Defines the accent, underline and highlight procedures the tag texts call
// and selects the body font. Every line ends in a blank; "exch" carries two.
constexpr std::string_view kPrologue =
    "%!PS \n"
    "/draw_with_tilde { \n"
    "    gsave \n"
    "    dup stringwidth pop 2 div neg 0 rmoveto % Shift left by half width to center accent \n"
    "    currentpoint exch pop % Get current Y position \n"
    "    35 add % Adjust vertical offset (experiment with this value for your font) \n"
    "    exch  \n"
    "    moveto \n"
    "    (~) show % Draw the tilde \n"
    "    grestore \n"
    "    show % Draw the original character \n"
    "} def \n"
    "/ushow { gsave  0 -1 rmoveto dup stringwidth pop 0 rlineto  "
    ".4 setlinewidth stroke grestore show } bind def \n"
    "/hshow { gsave 1 1 0 setrgbcolor 0 1 rmoveto dup stringwidth pop 0 rlineto  "
    "12 setlinewidth stroke grestore show } bind def \n"
    "/Hshow { gsave 0 1 0 setrgbcolor 0 1 rmoveto dup stringwidth pop 0 rlineto  "
    "12 setlinewidth stroke grestore show } bind def \n"
    "/Times-Roman \n"
    "12 selectfont \n";

// Where the prologue selects the body font: typed text re-encodes the text
// fonts before that.
constexpr std::string_view kFirstFontSelection = "/Times-Roman \n12 selectfont \n";
static_assert(kPrologue.ends_with(kFirstFontSelection));
// A document laid out for a paper size starts with the structure comments
// instead of this line, and selects its font on each page.
constexpr std::string_view kFirstLine = "%!PS \n";
static_assert(kPrologue.starts_with(kFirstLine));
constexpr std::string_view kProcedures = kPrologue.substr(
    kFirstLine.size(), kPrologue.size() - kFirstLine.size() - kFirstFontSelection.size());

// First-page baselines: like the flowing formats' blank lines, the options
// leave room above the first line, t 55 points (under four lines), T 95.
constexpr std::int32_t kSmallTopBaseline = 765;
constexpr std::int32_t kLargeTopBaseline = 725;

// A text line is "X Y moveto" and its string shown, each on a line of its own.
constexpr std::string_view kMoveToShow = " moveto \n(";
// A piece of a wrapped line may open a hex string instead.
constexpr std::string_view kMoveTo = kMoveToShow.substr(0, kMoveToShow.size() - 1);
constexpr std::string_view kShow = ") show \n";
// A full page is shown before the next starts; the last page's line keeps a
// blank before its line feed.
constexpr std::string_view kPageEnd = "showpage\n";
constexpr std::string_view kDocumentEnd = "showpage \n";
constexpr std::string_view kStructuredPageEnd = "showpage\n";

class PostScriptWriter final : public PagedWriter {
 public:
  PostScriptWriter(OutputSink& out, LineMarks& marks, TextMode mode, const PaperSize* paper,
                   const FallbackFonts* fallback, const paged::PageDesign* design,
                   const DocumentInfo* info)
      : PagedWriter(out, marks, Format::PostScript, mode, paper, fallback,
                    {kSmallTopBaseline, kLargeTopBaseline}, design),
        info_(info) {}

  void prologue() override {
    cursor_.baseline = kStartBaseline;
    if (paper_ != nullptr) return structuredPrologue();
    std::string_view rest = kPrologue;
    if (info_ != nullptr) {
      // The document's comments follow the first line, as headers do.
      out_.write(kFirstLine);
      out_.write(postScriptInfoComments(*info_));
      out_.write(postScriptDocInfo(*info_));
      rest.remove_prefix(kFirstLine.size());
    }
    if (mode_ == TextMode::Markup) {
      out_.write(rest);
      return;
    }
    out_.write(rest.substr(0, rest.size() - kFirstFontSelection.size()));
    out_.write(paged::postScriptReencoding());
    if (fallback_ != nullptr) writePostScriptFallbackFonts(out_, *fallback_);
    out_.write(kFirstFontSelection);
  }

  void writeLine(const TypedLine& line) override {
    // A drawing line has already written its command; it takes no space,
    // and its marks stay for the next line (drawingLineMarksNextLine).
    if (line.drawing) return;
    if (paper_ != nullptr) return wrappedLine(line);
    cursor_.baseline -= cursor_.line_spacing;
    if (line.tagGapLevels.empty() || !writeStretches(line, style_)) {
      out_.writeInt(unwrappedLineX(line));
      out_.put(' ');
      out_.writeInt(cursor_.baseline);
      out_.write(kMoveToShow);
      out_.write(line.bytes);
      out_.write(kShow);
    }
    followFont(line);
    endLine();
  }

  std::string progressTrace(bool drawingLine) const override {
    if (drawingLine) return {};
    return "writing line " + std::to_string(cursor_.baseline) + " ...\n";
  }

  void pageStep() override {
    if (cursor_.baseline > frame_.bottomLimit) return;
    if (paper_ != nullptr) return startPage(style_);
    cursor_.baseline = kStartBaseline;
    ++page_;
    out_.write(kPageEnd);
  }

  void epilogue() override {
    if (paper_ == nullptr) return out_.write(kDocumentEnd);
    endPageRunning();
    out_.write(kStructuredPageEnd);
    if (holding_) writeHeldPages();
    out_.write(postScriptTrailer(page_));
  }

  std::uint64_t page() const override { return page_; }

 private:
  // Structure comments, the procedures, a setup that asks for the paper
  // size and defines the fonts, and the first page's start.
  // What the typed text's fonts need before the first page: the
  // re-encoding, and the fallback fonts in use.
  // Then the running lines' font (Times-Roman, re-encoded) and, under
  // --mono, the text fonts' names given to the Courier faces.
  std::string typedFonts() const {
    std::string fonts;
    if (mode_ == TextMode::Typed) fonts = paged::postScriptReencoding();
    if (mode_ == TextMode::Typed && fallback_ != nullptr) {
      OutputSink sink(&fonts);
      writePostScriptFallbackFonts(sink, *fallback_);
      sink.flush();
    }
    if (running()) {
      if (mode_ != TextMode::Typed) fonts += paged::postScriptEncodingVector();
      fonts += paged::postScriptFontCopy("Times-Roman", paged::kRunningPostScriptFont, true);
    }
    if (mono()) {
      for (const paged::MonoFace& face : paged::kMonoFaces) {
        fonts += paged::postScriptFontCopy(face.monoFont, face.textFont, mode_ == TextMode::Typed);
      }
    }
    return fonts;
  }

  // With a page count in a header or footer, the pages are held back
  // until the end, where their running lines are written in.
  void structuredPrologue() {
    cursor_.baseline = frame_.startBaseline;
    out_.write(postScriptHeader(*paper_, info_));
    out_.write(kProcedures);
    if (info_ != nullptr) out_.write(postScriptDocInfo(*info_));
    out_.write(postScriptSetup(*paper_, typedFonts()));
    holding_ = running() && (design_->header.usesPageCount() || design_->footer.usesPageCount());
    if (holding_) out_.hold(&held_);
    out_.write(postScriptPageStart(page_, style_));
  }

  // The page's header and footer, before its "showpage"; held back, only
  // their place is kept.
  void endPageRunning() {
    if (!running()) return;
    if (holding_) {
      runningPlaces_.push_back(held_.size());
      return;
    }
    out_.write(paged::runningOperators(Format::PostScript, *design_, frame_, page_, 0));
  }

  // The held pages, each with its running lines, now that the count is known.
  void writeHeldPages() {
    out_.resume();
    std::size_t from = 0;
    for (std::size_t i = 0; i < runningPlaces_.size(); ++i) {
      out_.write(std::string_view(held_).substr(from, runningPlaces_[i] - from));
      out_.write(paged::runningOperators(Format::PostScript, *design_, frame_, i + 1, page_));
      from = runningPlaces_[i];
    }
    out_.write(std::string_view(held_).substr(from));
    held_ = {};
  }

  // The new page starts in `style`, the one in force where its text does.
  void startPage(const paged::TextStyle& style) override {
    cursor_.baseline = frame_.startBaseline;
    endPageRunning();
    ++page_;
    out_.write(kStructuredPageEnd);
    out_.write(postScriptPageStart(page_, style));
  }

  void selectStyle(const paged::TextStyle& style) override {
    out_.put('/');
    out_.write(style.font);
    out_.put(' ');
    out_.write(style.size);
    out_.write(" selectfont ");
    out_.write(style.colour.empty() ? std::string_view("0 0 0") : style.colour.view());
    out_.write(" setrgbcolor\n");
  }

  // The line in as many pieces as the text area needs, each "X Y moveto"
  // and its strings; a piece that breaks a string paints its part with the
  // string's own operator. Font and colour carry over by themselves, and
  // a page's setup selects the font in force where its text starts.
  void wrappedLine(const TypedLine& line) {
    style_ = writeWrappedLine(line, style_).end;
    endLine();
  }

  void writePiece(std::string_view text, const paged::LineLayout& layout,
                  std::size_t i) override {
    const paged::LinePiece& piece = layout.pieces[i];
    out_.writeInt(pieceX(piece));
    out_.put(' ');
    out_.writeInt(cursor_.baseline);
    out_.write(kMoveTo);
    writePieceText(text, piece, "show");
    out_.write(" \n");
  }

  std::uint64_t page_ = 1;
  // Held pages: their bytes, and where each page's running lines go.
  bool holding_ = false;
  std::string held_;
  std::vector<std::size_t> runningPlaces_;
  const DocumentInfo* info_;
};

}  // namespace

std::string_view postScriptPrologue() { return kPrologue; }

std::unique_ptr<Writer> makePostScriptWriter(OutputSink& out, LineMarks& marks, TextMode mode,
                                             const PaperSize* paper,
                                             const FallbackFonts* fallback,
                                             const paged::PageDesign* design,
                                             const DocumentInfo* info) {
  return std::make_unique<PostScriptWriter>(out, marks, mode, paper, fallback, design, info);
}

}  // namespace kolvo
