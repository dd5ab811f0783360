// The PDF writer: a PDF 1.1 file streamed in one pass. Fixed catalog, page,
// resource and font objects first; then one content stream per page, each
// text line one text object in it and each drawing a path; at the end the
// page tree, the cross-reference table and the trailer. The object numbers
// are those of pdf_objects.hpp; pdf_object_table.hpp keeps their offsets.
//
// The text of a line arrives already rewritten: "\", "(" and ")" escaped and
// the tags turned into operators that close and reopen the string this
// writer puts around the line.

#include "writers/pdf_writer.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>
#include <string>
#include <string_view>

#include "writers/paged/font_texts.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/running_text.hpp"
#include "writers/document_info.hpp"
#include "writers/paged_writer.hpp"
#include "writers/pdf_fallback_fonts.hpp"
#include "writers/pdf_links.hpp"
#include "writers/pdf_metadata.hpp"
#include "writers/pdf_object_table.hpp"
#include "writers/pdf_objects.hpp"
#include "writers/pdf_outline.hpp"

namespace kolvo {
namespace {

// The bytes above 127 in the comment line mark the file as binary for
// tools that would otherwise change its line ends.
constexpr std::string_view kHeader =
    "%PDF-1.1\n"
    "%\xC2\xA5\xC2\xB1\xC3\xAB\n\n";
// A document with metadata is PDF 1.4, which has the XMP stream, the
// catalog's language and text strings in UTF-16.
constexpr std::string_view kVersionLine = "%PDF-1.1\n";
constexpr std::string_view kMetadataVersionLine = "%PDF-1.4\n";
static_assert(kHeader.starts_with(kVersionLine));

// The fixed objects in file order. Object 6 keeps a blank before its line
// feed and the font names are padded so that the closing ">>" of objects 5
// to 10 line up.
constexpr std::array<PdfFixedObject, 9> kFixedObjects = {{
    {1, "1 0 obj << /Type /Catalog /Pages 2 0 R  >> endobj\n"},
    {3, "3 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 11 0 R >> endobj\n"},
    {4, "4 0 obj << /Font <<  /F1 5 0 R  /F2 6 0 R  /F3 7 0 R /F4 8 0 R  /F5 9 0 R  /F6 10 0 R >> >> endobj\n"},
    {5, "5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman   >> endobj\n"},
    {6, "6 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Bold    >> endobj \n"},
    {7, "7 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Symbol        >> endobj\n"},
    {8, "8 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Italic  >> endobj\n"},
    {9, "9 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Courier       >> endobj\n"},
    {10, "10 0 obj << /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >> endobj\n"},
}};

// Page 1's object, which typed text writes at the end.
constexpr std::size_t kFirstPageEntry = 1;
static_assert(kFixedObjects[kFirstPageEntry].number == kPdfFirstPageObject);

// The resource dictionary, in the two parts between which the fallback
// fonts' entries go.
constexpr std::size_t kResourcesEntry = 2;
constexpr std::string_view kResourcesUpToFonts =
    "4 0 obj << /Font <<  /F1 5 0 R  /F2 6 0 R  /F3 7 0 R /F4 8 0 R  /F5 9 0 R  /F6 10 0 R";
constexpr std::string_view kResourcesEnd = " >> >> endobj\n";
static_assert(kFixedObjects[kResourcesEntry].number == 4);
static_assert(kFixedObjects[kResourcesEntry].text.substr(0, kResourcesUpToFonts.size()) ==
                  kResourcesUpToFonts &&
              kFixedObjects[kResourcesEntry].text.substr(kResourcesUpToFonts.size()) ==
                  kResourcesEnd);

// A link box reaches this far below the baseline and above it, in parts
// of the text's size: the descenders and the capitals of Times.
constexpr double kLinkDepth = 0.22;
constexpr double kLinkHeight = 0.9;
// The size of a line written without a paper size, in points.
constexpr double kBodyPoints = 12;

// First-page baselines: like the flowing formats' blank lines, the options
// leave room above the first line, t 100 points (under seven lines), T 140.
constexpr std::int32_t kSmallTopBaseline = 720;
constexpr std::int32_t kLargeTopBaseline = 680;

// Every page is A4, in points.
constexpr std::string_view kMediaBox = "[0 0 595 842]";

// The overprints: an underline is a row of "_" in the text's colour, a
// highlight a row of ZapfDingbats heavy bars ("z") in yellow with the line
// then written over it in black.
constexpr char kUnderlineGlyph = '_';
constexpr char kHighlightGlyph = 'z';
constexpr std::string_view kHighlightColour = "1 1 0 rg ";
constexpr std::string_view kTextOverHighlightColour = "0 0 0 rg ";

// The keyword line that opens a content stream: page 1's is not indented,
// every later page's is.
constexpr std::string_view kFirstStreamKeyword = "stream\n";
constexpr std::string_view kStreamKeyword = "  stream\n";

// The width of one overprint glyph in points: `font` is "/F1 12" and the like.
double overprintGlyphWidth(const paged::WidthSource& widths, std::string_view font, char glyph) {
  const std::size_t blank = font.find(' ');
  const paged::TextStyle style{paged::StyleWord(font.substr(1, blank - 1)),
                               paged::StyleWord(font.substr(blank + 1)), "", ""};
  const paged::GlyphWidths* table = widths.widths(paged::fontName(Format::Pdf, style));
  const double units = table != nullptr ? (*table)[static_cast<unsigned char>(glyph)] : 500;
  return units * paged::pointSize(style) / 1000;
}

// Where an overprint measured from byte offsets runs within one piece, in
// points from the piece's start.
struct Span {
  double from = 0;
  double to = 0;
};

Span spanInPiece(const paged::LineLayout& layout, std::size_t piece, std::size_t first) {
  const paged::PlacedMark& begin = layout.marks[first];
  const paged::PlacedMark& end = layout.marks[first + 1];
  if (piece < begin.piece || piece > end.piece) return {};
  return {piece == begin.piece ? begin.x : 0,
          piece == end.piece ? end.x : layout.pieces[piece].width};
}

// The byte offsets of the line where an overprint starts and ends, from
// the byte counts of its measure.
std::size_t markOffset(std::int32_t count, std::int32_t bytes) {
  return static_cast<std::size_t>(std::max<std::int64_t>(0, std::int64_t{count} + bytes));
}

class PdfWriter final : public PagedWriter {
 public:
  PdfWriter(OutputSink& out, LineMarks& marks, TextMode mode, const PaperSize* paper,
            const FallbackFonts* fallback, const paged::PageDesign* design,
            const DocumentInfo* info)
      : PagedWriter(out, marks, Format::Pdf, mode, paper, fallback,
                    {kSmallTopBaseline, kLargeTopBaseline}, design),
        info_(info) {}

  bool readsSourceLines() const override { return info_ != nullptr && info_->outline; }

  void prologue() override {
    if (paper_ != nullptr) cursor_.baseline = frame_.startBaseline;
    if (info_ != nullptr) {
      out_.write(kMetadataVersionLine);
      out_.write(kHeader.substr(kVersionLine.size()));
    } else {
      out_.write(kHeader);
    }
    for (const PdfFixedObject& object : kFixedObjects) {
      // With metadata the catalog comes last, when what it names is known.
      if (info_ != nullptr && object.number == 1) continue;
      if (defersPages() && object.number == static_cast<int>(kPdfFirstPageObject)) continue;
      if (defersResources() && &object == &kFixedObjects[kResourcesEntry]) continue;
      if (mode_ == TextMode::Typed && writeReencodedFont(object.number)) continue;
      if (mono() && writeMonoFont(object.number)) continue;
      if (&object == &kFixedObjects[kResourcesEntry]) {
        writeResources();
        continue;
      }
      writeFixed(object);
    }
    openStream(1, kFirstStreamKeyword);
  }

  void writeLine(const TypedLine& line) override {
    std::optional<std::string> heading;
    if (!line.drawing && readsSourceLines()) heading = headingText(line.source);
    const std::uint64_t pageBefore = table_.pageCount();
    const std::int64_t top = cursor_.baseline;
    // A drawing line has already written its path into the open content
    // stream, among the text objects; it takes no space and leaves the
    // overprint flags for the next text line.
    if (!line.drawing && paper_ != nullptr) {
      wrappedLine(line);
    } else if (!line.drawing) {
      writeTextLine(line);
    }
    endLine();
    // A line that moved to a new page opens at the page's top.
    if (heading) {
      const bool samePage = pageBefore == table_.pageCount();
      outline_.push_back({pdfPageObject(table_.pageCount()), samePage ? top : pageHeight(),
                          *std::move(heading)});
    }
  }

  // Printed for drawing lines too; the baseline then is the previous line's.
  std::string progressTrace(bool) const override {
    return "writing line " + std::to_string(cursor_.baseline) + " ...\n";
  }

  void pageStep() override {
    if (cursor_.baseline > frame_.bottomLimit) return;
    if (paper_ != nullptr) return startPage(style_);
    cursor_.baseline = kStartBaseline;
    nextPage();
  }

  std::uint64_t page() const override { return table_.pageCount(); }

  void epilogue() override {
    closeStream();
    if (fallback_ != nullptr) {
      fallbackFonts_ = fallback_->fontCount();
      writePdfFallbackFonts(out_, table_, *fallback_, fallbackFonts_);
    }
    if (running()) writeRunningObjects();
    if (defersResources()) writeResources();
    if (defersPages()) {
      links_.writeAnnotationsAndPages(out_, table_, kFixedObjects[kFirstPageEntry].text);
    }
    writePageTree();
    if (info_ == nullptr) return table_.writeTableAndTrailer(out_);
    table_.writeTableAndTrailer(out_, writeDocumentObjects());
  }

 private:
  void writeFixed(const PdfFixedObject& object) {
    table_.fixedObject(static_cast<std::uint64_t>(object.number), out_.offset());
    out_.write(object.text);
  }

  // Object 4, the resources every page shares.
  void writeResources() {
    if (fallbackFonts_ > 0 || running()) return writeResourcesWithLaterObjects();
    writeFixed(kFixedObjects[kResourcesEntry]);
  }

  // Object 4 naming the fallback fonts too, whose objects follow the pages,
  // and the running lines' font and forms, which follow those.
  void writeResourcesWithLaterObjects() {
    table_.fixedObject(static_cast<std::uint64_t>(kFixedObjects[kResourcesEntry].number), out_.offset());
    out_.write(kResourcesUpToFonts);
    out_.write(pdfFallbackFontEntries(fallbackFonts_));
    if (running()) {
      out_.write(" /");
      out_.write(paged::kRunningPdfResource);
      out_.put(' ');
      writeNumber(out_, runningObject(kRunningFont));
      out_.write(" 0 R >> /XObject ");
      writeNumber(out_, runningObject(kRunningForms));
      out_.write(" 0 R >> endobj\n");
      return;
    }
    out_.write(kResourcesEnd);
  }

  // The objects of the running lines, after the fallback fonts': the font,
  // the dictionary of the pages' forms, then page P's form.
  static constexpr std::uint64_t kRunningFont = 0;
  static constexpr std::uint64_t kRunningForms = 1;
  std::uint64_t runningObject(std::uint64_t k) const {
    return pdfFallbackObject(pdfFallbackObjectCount(fallbackFonts_) + k);
  }

  // Each page's header and footer are a form its stream paints first, made
  // at the end, when the page count is known.
  void writeRunningObjects() {
    const std::uint64_t pages = table_.pageCount();
    startLaterObject(runningObject(kRunningFont));
    out_.write(paged::pdfTextFontDictionary("Times-Roman"));
    out_.write(" endobj\n");
    startLaterObject(runningObject(kRunningForms));
    out_.write("<<");
    for (std::uint64_t pageNumber = 1; pageNumber <= pages; ++pageNumber) {
      out_.write(" /KR");
      writeNumber(out_, pageNumber);
      out_.put(' ');
      writeNumber(out_, runningObject(kRunningForms + pageNumber));
      out_.write(" 0 R");
    }
    out_.write(" >> endobj\n");
    for (std::uint64_t pageNumber = 1; pageNumber <= pages; ++pageNumber) {
      writeRunningForm(pageNumber, pages);
    }
  }

  // The form of page `pageNumber`'s header and footer.
  void writeRunningForm(std::uint64_t pageNumber, std::uint64_t pages) {
    const PaperSize& paper = paper_ != nullptr ? *paper_ : kA4Paper;
    const std::string operators =
        paged::runningOperators(Format::Pdf, *design_, frame_, pageNumber, pages);
    startLaterObject(runningObject(kRunningForms + pageNumber));
    out_.write("\n<< /Type /XObject /Subtype /Form /BBox [0 0 ");
    out_.writeInt(paper.width);
    out_.put(' ');
    out_.writeInt(paper.height);
    out_.write("] /Resources 4 0 R /Length ");
    writeNumber(out_, operators.size());
    out_.write(" >>\nstream\n");
    out_.write(operators);
    out_.write("endstream\nendobj\n");
  }

  // "N 0 obj " of an object written after the pages.
  void startLaterObject(std::uint64_t number) {
    table_.laterObject(number, out_.offset());
    writeNumber(out_, number);
    out_.write(" 0 obj ");
  }

  // Under --mono the text fonts' objects name the Courier faces; returns
  // false for the objects that stay as they are.
  bool writeMonoFont(int number) {
    for (const paged::MonoFace& face : paged::kMonoFaces) {
      if (kPdfFirstFontObject + (face.resource[1] - '1') != number) continue;
      table_.fixedObject(static_cast<std::uint64_t>(number), out_.offset());
      writeNumber(out_, static_cast<std::uint64_t>(number));
      out_.write(" 0 obj << /Type /Font /Subtype /Type1 /BaseFont /");
      out_.write(face.monoFont);
      out_.write(" >> endobj\n");
      return true;
    }
    return false;
  }

  // Typed text: the text fonts' objects carry the re-encoding. Returns false
  // for the objects that stay as they are.
  bool writeReencodedFont(int number) {
    for (const paged::ReencodedFont& font : paged::kReencodedFonts) {
      if (kPdfFirstFontObject + (font.resource[1] - '1') != number) continue;
      table_.fixedObject(static_cast<std::uint64_t>(number), out_.offset());
      writeNumber(out_, static_cast<std::uint64_t>(number));
      out_.write(" 0 obj ");
      out_.write(paged::pdfTextFontDictionary(mono() ? paged::monoFaceOf(font.baseFont)
                                                     : font.baseFont));
      out_.write(" endobj\n");
      return true;
    }
    return false;
  }

  // A text line one step down: as it is, or at the margin with its
  // underline after it or its highlight under it (both when it has both).
  void writeTextLine(const TypedLine& line) {
    const std::string_view text = line.bytes;
    cursor_.baseline -= cursor_.line_spacing;
    const long long y = cursor_.baseline;
    const bool plain = marks_.underline == 0 && marks_.highlight == 0;
    // Stretches of several directions stand apart, where nothing else
    // is placed along the line.
    if (plain && line.linkTargets.empty() && !line.tagGapLevels.empty() &&
        writeStretches(line, paged::initialTextStyle(Format::Pdf))) {
      return;
    }
    const long long x = plain ? unwrappedLineX(line) : kLeftMargin;
    if (plain) writeTextObject(x, y, "", text);
    if (!line.linkTargets.empty()) coverUnwrappedLinks(line, x);
    if (marks_.underline == 1) {
      writeTextObject(kLeftMargin, y, "", text);
      writeMarks(kPdfBodyFont, marks_.underline_x, y, "", kUnderlineGlyph,
                 marks_.underline_length);
      marks_.underline = 0;
    }
    if (marks_.highlight == 1) {
      writeMarks(kPdfHighlightFont, marks_.highlight_x, y, kHighlightColour, kHighlightGlyph,
                 marks_.highlight_length);
      writeTextObject(kLeftMargin, y, kTextOverHighlightColour, text);
      marks_.highlight = 0;
    }
  }

  // "  BT /F1 12 Tf X Y Td [colour](line) Tj ET\n"
  void writeTextObject(long long x, long long y, std::string_view colour, std::string_view text) {
    out_.write("  BT ");
    out_.write(kPdfBodyFont);
    out_.write(" Tf ");
    out_.writeInt(x);
    out_.put(' ');
    out_.writeInt(y);
    out_.write(" Td ");
    out_.write(colour);
    out_.put('(');
    out_.write(text);
    out_.write(") Tj ET\n");
  }

  // The links of a line written whole, starting at `x`: placed as a line
  // of the text area's width would place them, since it never wraps.
  void coverUnwrappedLinks(const TypedLine& line, long long x) {
    const std::span<const std::size_t> marks = linkMarks(line, 0);
    const paged::LineLayout& layout =
        paged::layoutLine(line, Format::Pdf, mode_, style_, std::numeric_limits<double>::infinity(),
                          widths_, marks, false, layoutBuffers_);
    for (std::size_t k = 0; k < lineLinks_.size(); ++k) {
      coverSpan(spanInPiece(layout, 0, 2 * k), static_cast<double>(x), kBodyPoints,
                line.linkTargets[lineLinks_[k]]);
    }
    // The pieces of the lines after it cover no link of its.
    lineLinks_.clear();
  }

  // The marks of the line's links after the `first` marks already in
  // markScratch_: each link's first and last byte; lineLinks_ names their
  // targets.
  std::span<const std::size_t> linkMarks(const TypedLine& line, std::size_t first) {
    markScratch_.resize(first);
    lineLinks_.clear();
    for (const LineItem& item : line.items) {
      if (item.kind != ItemKind::LinkText || item.row >= line.linkTargets.size()) continue;
      markScratch_.push_back(item.begin);
      markScratch_.push_back(item.end);
      lineLinks_.push_back(item.row);
    }
    return markScratch_;
  }

  // A link box over `span` of a printed line that starts at `x`, on the
  // baseline in force, for text of `points`.
  void coverSpan(Span span, double x, double points, std::string_view target) {
    if (span.to - span.from <= 0) return;
    const auto baseline = static_cast<double>(cursor_.baseline);
    links_.add(table_.pageCount(),
               {x + span.from, baseline - kLinkDepth * points, x + span.to,
                baseline + kLinkHeight * points},
               target);
  }

  // The overprint of an underline or highlight: count + 1 glyphs starting
  // 6 points right of the measured start; none when count is negative.
  void writeMarks(std::string_view font, std::int32_t ptStart, long long y,
                  std::string_view colour, char glyph, std::int32_t count) {
    out_.write("  BT ");
    out_.write(font);
    out_.write(" Tf ");
    out_.writeInt(static_cast<long long>(ptStart) + kMarkShift);
    out_.put(' ');
    out_.writeInt(y);
    out_.write(" Td ");
    out_.write(colour);
    out_.put('(');
    if (count >= 0) out_.repeat(glyph, static_cast<std::size_t>(count) + 1);
    out_.write(") Tj ET \n");
  }

  // Ends the page's stream and starts the next page: its object, then its
  // stream.
  void nextPage() {
    closeStream();
    const std::uint64_t next = table_.pageCount() + 1;
    if (!defersPages()) {
      out_.write(kPdfPageObjectHead);
      writeNumber(out_, next);
      out_.write(kPdfPageObjectMiddle);
      writeNumber(out_, next);
      out_.write(kPdfPageObjectTail);
    }
    openStream(next, kStreamKeyword);
  }

  // Typed text may hold links, whose annotations its page objects name:
  // they are written at the end (PdfLinks).
  bool defersPages() const { return mode_ == TextMode::Typed; }
  // Typed text's resources name the fallback fonts, known only once every
  // line is drawn: object 4 comes after the fonts, and the input is read
  // once. (Whether or not the fonts are there, so that text the standard
  // fonts hold gives the same bytes either way.)
  bool defersResources() const { return mode_ == TextMode::Typed; }

  // Opens the content stream of `page`, whose page object has just been
  // written (object 3 in the prologue for page 1).
  void openStream(std::uint64_t page, std::string_view keywordLine) {
    table_.pageContents(out_.offset());
    if (page == 1) {
      writeNumber(out_, kPdfFirstContentsObject);
    } else {
      out_.put(kPdfContentsPrefix);
      writeNumber(out_, page);
    }
    out_.write(" 0 obj\n");
    out_.write("  << /Length ");
    out_.put(kPdfLengthPrefix);
    writeNumber(out_, page);
    out_.write(" 0 R >>\n");
    out_.write(keywordLine);
    streamStart_ = out_.offset();
    if (running()) {
      out_.write("  /KR");
      writeNumber(out_, page);
      out_.write(" Do\n");
    }
  }

  // Ends the open content stream and writes its length object.
  void closeStream() {
    const std::uint64_t length = out_.offset() - streamStart_;
    out_.write("endstream\nendobj\n\n");
    table_.pageLength(out_.offset());
    out_.put(kPdfLengthPrefix);
    writeNumber(out_, table_.pageCount());
    out_.write(" 0 obj ");
    writeNumber(out_, length);
    out_.write(" endobj\n");
  }

  // Lists exactly the pages written.
  void writePageTree() {
    table_.fixedObject(kPdfPageTreeObject, out_.offset());
    writeNumber(out_, kPdfPageTreeObject);
    out_.write(" 0 obj << /Type /Pages /Kids [");
    writeNumber(out_, kPdfFirstPageObject);
    out_.write(" 0 R");
    for (std::uint64_t kid = 2; kid <= table_.pageCount(); ++kid) {
      out_.put(' ');
      out_.put(kPdfPagePrefix);
      writeNumber(out_, kid);
      out_.write(" 0 R");
    }
    out_.write("] /Count ");
    writeNumber(out_, table_.pageCount());
    out_.write(" /MediaBox ");
    if (paper_ != nullptr) {
      out_.write("[0 0 ");
      out_.writeInt(paper_->width);
      out_.put(' ');
      out_.writeInt(paper_->height);
      out_.put(']');
    } else {
      out_.write(kMediaBox);
    }
    out_.write(" >> endobj\n");
  }

  // Laid out for a paper size: a new page whose stream starts in the colour
  // and rise in force, as a page of its own would not otherwise.
  void startPage(const paged::TextStyle& style) override {
    cursor_.baseline = frame_.startBaseline;
    nextPage();
    if (!style.colour.empty()) writeOperation(style.colour, " rg\n");
    if (!style.rise.empty()) writeOperation(style.rise, " Ts\n");
  }

  // Each piece selects its font itself; colour and rise carry over.
  void selectStyle(const paged::TextStyle& style) override {
    writeOperation(style.colour.empty() ? std::string_view("0 0 0") : style.colour.view(), " rg\n");
    writeOperation(style.rise.empty() ? std::string_view("0") : style.rise.view(), " Ts\n");
  }

  // "/F2 12": most pieces are in the body font, written as one constant.
  void writeFont(const paged::TextStyle& style) {
    static constexpr paged::TextStyle kBody = paged::initialTextStyle(Format::Pdf);
    static_assert(kPdfBodyFont.substr(1, 2) == kBody.font.view() &&
                  kPdfBodyFont.substr(4) == kBody.size.view());
    if (style.font == kBody.font && style.size == kBody.size) return out_.write(kPdfBodyFont);
    out_.put('/');
    out_.write(style.font);
    out_.put(' ');
    out_.write(style.size);
  }

  // "  OPERANDS OPERATOR" on a line of its own.
  void writeOperation(std::string_view operands, std::string_view operatorAndEnd) {
    out_.write("  ");
    out_.write(operands);
    out_.write(operatorAndEnd);
  }

  // The line in as many pieces as the text area needs, each a text object
  // in the font in force where it starts; an underline or highlight covers
  // its part of each piece.
  void wrappedLine(const TypedLine& line) {
    const std::array<std::size_t, 4> marks = {
        markOffset(marks_.underline_start_offset, kMarkStartBytes),
        markOffset(marks_.underline_end_offset, kMarkEndBytes),
        markOffset(marks_.highlight_start_offset, kMarkStartBytes),
        markOffset(marks_.highlight_end_offset, kMarkEndBytes)};
    paged::TextStyle start = style_;
    if (marks_.highlight == 1) start.colour = "0 0 0";
    // The marks are placed only for an overprint the line draws.
    const bool overprint = marks_.underline == 1 || marks_.highlight == 1;
    std::span<const std::size_t> placed;
    if (overprint) placed = marks;
    if (!line.linkTargets.empty()) {
      markScratch_.assign(placed.begin(), placed.end());
      firstLinkMark_ = placed.size();
      placed = linkMarks(line, placed.size());
      currentTargets_ = line.linkTargets;
    }
    const paged::LineLayout& layout = writeWrappedLine(line, start, placed);
    lineLinks_.clear();
    marks_.underline = 0;
    marks_.highlight = 0;
    style_ = paged::nextLineStyle(Format::Pdf, layout.end);
  }

  // The flags stay set while the pieces of their line are written.
  void writePiece(std::string_view text, const paged::LineLayout& layout,
                  std::size_t i) override {
    const bool underline = marks_.underline == 1;
    const bool highlight = marks_.highlight == 1;
    const paged::LinePiece& piece = layout.pieces[i];
    const std::int32_t x = pieceX(piece);
    if (!highlight) writePieceObject(piece.start, x, "", text, piece);
    if (underline) {
      writeSpanMarks(spanInPiece(layout, i, 0), x, kPdfBodyFont, "", kUnderlineGlyph);
    }
    if (highlight) {
      writeSpanMarks(spanInPiece(layout, i, 2), x, kPdfHighlightFont, kHighlightColour,
                     kHighlightGlyph);
      const std::string_view colour = piece.start.colour;
      writePieceObject(piece.start, x, colour.empty() ? "0 0 0" : colour, text, piece);
    }
    for (std::size_t k = 0; k < lineLinks_.size(); ++k) {
      coverSpan(spanInPiece(layout, i, firstLinkMark_ + 2 * k), x, paged::pointSize(piece.start),
                currentTargets_[lineLinks_[k]]);
    }
  }

  // "  BT /F2 12 Tf X Y Td [colour rg ](part) Tj ET\n", in the font of
  // `style`; a piece that starts or ends inside a fallback run has "<" or
  // ">" there.
  void writePieceObject(const paged::TextStyle& style, std::int32_t x, std::string_view colour,
                        std::string_view text, const paged::LinePiece& piece) {
    out_.write("  BT ");
    writeFont(style);
    out_.write(" Tf ");
    out_.writeInt(x);
    out_.put(' ');
    out_.writeInt(cursor_.baseline);
    out_.write(" Td ");
    if (!colour.empty()) {
      out_.write(colour);
      out_.write(" rg ");
    }
    writePieceText(text, piece, "Tj");
    out_.write(" ET\n");
  }

  // Enough overprint glyphs to cover the span, none for an empty one.
  void writeSpanMarks(Span span, std::int32_t x, std::string_view font, std::string_view colour,
                      char glyph) {
    const double glyphWidth = overprintGlyphWidth(widths_, font, glyph);
    if (span.to - span.from <= 0 || glyphWidth <= 0) return;
    const auto count = static_cast<std::size_t>(std::ceil((span.to - span.from) / glyphWidth));
    out_.write("  BT ");
    out_.write(font);
    out_.write(" Tf ");
    out_.writeInt(x + static_cast<long long>(std::lround(span.from)));
    out_.put(' ');
    out_.writeInt(cursor_.baseline);
    out_.write(" Td ");
    out_.write(colour);
    out_.put('(');
    out_.repeat(glyph, count);
    out_.write(") Tj ET\n");
  }

  std::int64_t pageHeight() const { return paper_ != nullptr ? paper_->height : 842; }

  // After the pages: the information dictionary, the XMP stream, the
  // outline if there are headings, and the catalog that names them.
  // Returns the dictionary's number.
  std::uint64_t writeDocumentObjects() {
    const std::uint64_t first = table_.nextLaterIndex();
    const std::uint64_t infoObject = pdfFallbackObject(first);
    table_.laterObject(infoObject, out_.offset());
    writeNumber(out_, infoObject);
    out_.write(" 0 obj ");
    out_.write(pdfInfoDictionary(*info_));
    out_.write(" endobj\n");
    PdfCatalogLinks links;
    links.metadata = pdfFallbackObject(first + 1);
    const std::string xmp = xmpPacket(*info_);
    table_.laterObject(links.metadata, out_.offset());
    writeNumber(out_, links.metadata);
    out_.write(" 0 obj << /Type /Metadata /Subtype /XML /Length ");
    writeNumber(out_, xmp.size());
    out_.write(" >>\nstream\n");
    out_.write(xmp);
    out_.write("\nendstream\nendobj\n");
    if (!outline_.empty()) links.outlines = writePdfOutline(out_, table_, outline_, first + 2);
    table_.fixedObject(1, out_.offset());
    out_.write(pdfCatalog(*info_, links));
    return infoObject;
  }

  const DocumentInfo* info_;
  std::vector<OutlineEntry> outline_;
  PdfLinks links_;
  // The line being written: the byte offsets whose places its layout
  // gives, the targets of its links, and where their marks start.
  std::vector<std::size_t> markScratch_;
  std::vector<std::uint16_t> lineLinks_;
  std::span<const std::string> currentTargets_;
  std::size_t firstLinkMark_ = 0;
  PdfObjectTable table_;
  // First byte of the data of the open content stream.
  std::uint64_t streamStart_ = 0;
  // The fallback fonts that object 4 names.
  std::size_t fallbackFonts_ = 0;
};

}  // namespace

std::span<const PdfFixedObject> pdfFixedObjects() { return kFixedObjects; }

std::unique_ptr<Writer> makePdfWriter(OutputSink& out, LineMarks& marks, TextMode mode,
                                      const PaperSize* paper, const FallbackFonts* fallback,
                                      const paged::PageDesign* design, const DocumentInfo* info) {
  return std::make_unique<PdfWriter>(out, marks, mode, paper, fallback, design, info);
}

}  // namespace kolvo
