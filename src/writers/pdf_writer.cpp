// The PDF writer: a PDF 1.1 file streamed in one pass. Fixed catalog, page,
// resource and font objects first; then one content stream per page, each
// text line one text object in it; at the end the page tree, the
// cross-reference table and the trailer.
//
// Object numbers follow a fixed scheme: 1 catalog, 2 page tree, 3 page 1,
// 4 resources, 5 to 10 fonts, 11 contents of page 1. Page P from 2 on is
// object "1" followed by the digits of P, its contents "2" followed by them.
// The length of each content stream is an indirect object, "3" followed by
// the page digits (31 for page 1), written right after the stream, so the
// file stays a single pass that also works on a pipe.
//
// The cross-reference table is exact: the writer remembers where every
// object starts. Of a page it keeps only the offsets of its content stream
// and of its length object (16 bytes); the page object lies right before the
// content stream, so its offset follows from the length of its text.
//
// The text of a line arrives already rewritten: "\", "(" and ")" escaped and
// the tags turned into operators that close and reopen the string this
// writer puts around the line.

#include "writers/pdf_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kolvo {
namespace {

// The fixed objects in file order, each with its number. Object 6 keeps a
// blank before its line feed and the font names are padded so that the
// closing ">>" of objects 5 to 10 line up.
struct FixedObject {
  int number;
  std::string_view text;
};

constexpr std::string_view kHeader =
    "%PDF-1.1\n"
    "%\xC2\xA5\xC2\xB1\xC3\xAB\n\n";

constexpr std::array<FixedObject, 8> kFixedObjects = {{
    {1, "1 0 obj << /Type /Catalog /Pages 2 0 R  >> endobj\n"},
    {3, "3 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 11 0 R >> endobj\n"},
    {4, "4 0 obj << /Font <<  /F1 5 0 R  /F2 6 0 R  /F3 7 0 R /F4 8 0 R  /F5 9 0 R  /F6 10 0 R >> >> endobj\n"},
    {5, "5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman   >> endobj\n"},
    {6, "6 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Bold    >> endobj \n"},
    {7, "7 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Symbol        >> endobj\n"},
    {8, "8 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Italic  >> endobj\n"},
    {9, "9 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Courier       >> endobj\n"},
}};
constexpr FixedObject kLastFont = {
    10, "10 0 obj << /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >> endobj\n"};

// First-page baselines for the top-spacing options.
constexpr std::int32_t kSmallTopBaseline = 720;
constexpr std::int32_t kLargeTopBaseline = 680;

// Objects 0 (the head of the free list) to 11 have fixed numbers.
constexpr std::uint64_t kLastFixedObject = 11;

// The cross-reference table gives an offset ten digits.
constexpr std::uint64_t kLargestOffset = 9'999'999'999ULL;

// "1P 0 obj ... /Contents 2P 0 R >> endobj \n": the page object of page P
// (P >= 2), in the three pieces around the two copies of P's digits.
constexpr std::string_view kPageObjectHead = "1";
constexpr std::string_view kPageObjectMiddle =
    " 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 2";
constexpr std::string_view kPageObjectTail = " 0 R >> endobj \n";

std::size_t decimalDigits(std::uint64_t value) {
  std::size_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

std::uint64_t pageObjectSize(std::uint64_t page) {
  return kPageObjectHead.size() + kPageObjectMiddle.size() + kPageObjectTail.size() +
         2 * decimalDigits(page);
}

class PdfWriter final : public Writer {
 public:
  using Writer::Writer;

  void prologue() override {
    out_.write(kHeader);
    for (const FixedObject& object : kFixedObjects) writeFixed(object);
    writeFixed(kLastFont);
    openStream(1, "stream\n");
  }

  void topSpacing(char option) override {
    applyTopBaseline(state_, option, kSmallTopBaseline, kLargeTopBaseline);
  }

  void line(std::string_view text, bool drawingLine) override {
    // A drawing line has already written its path into the stream; it takes
    // no space and leaves the overprint flags for the next text line.
    if (!drawingLine) {
      state_.baseline -= state_.line_spacing;
      const long long y = state_.baseline;
      if (state_.underline == 0 && state_.highlight == 0) {
        writeTextObject(state_.line_x, y, "", text);
      }
      if (state_.underline == 1) {
        writeTextObject(kLeftMargin, y, "", text);
        writeMarks("/F1 12", state_.underline_x, y, "", '_', state_.underline_length);
        state_.underline = 0;
      }
      if (state_.highlight == 1) {
        // A row of ZapfDingbats squares in yellow, then the line over it in black.
        writeMarks("/F6 13", state_.highlight_x, y, "1 1 0 rg ", 'z',
                   state_.highlight_length);
        writeTextObject(kLeftMargin, y, "0 0 0 rg ", text);
        state_.highlight = 0;
      }
    }
    state_.center = 0;
    state_.line_x = kLeftMargin;
  }

  // Printed for drawing lines too; the baseline then is the previous line's.
  std::string progressTrace(bool) const override {
    return "writing line " + std::to_string(state_.baseline) + " ...\n";
  }

  void pageStep() override {
    if (state_.baseline > kBottomLimit) return;
    state_.baseline = kStartBaseline;
    closeStream();
    const std::uint64_t page = pages_.size() + 1;
    out_.write(kPageObjectHead);
    writeNumber(page);
    out_.write(kPageObjectMiddle);
    writeNumber(page);
    out_.write(kPageObjectTail);
    openStream(page, "  stream\n");
  }

  std::uint64_t page() const override { return pages_.size(); }

  void epilogue() override {
    closeStream();
    writePageTree();
    writeCrossReferenceAndTrailer();
  }

 private:
  // Where the pieces of one page start in the file.
  struct PageOffsets {
    std::uint64_t contents = 0;  // "2P 0 obj" (object 11 for page 1)
    std::uint64_t length = 0;    // "3P 0 obj"
  };

  void writeFixed(const FixedObject& object) {
    fixed_[static_cast<std::size_t>(object.number)] = out_.offset();
    out_.write(object.text);
  }

  // "  BT /F1 12 Tf X Y Td [colour](line) Tj ET\n"
  void writeTextObject(long long x, long long y, std::string_view colour, std::string_view text) {
    out_.write("  BT /F1 12 Tf ");
    out_.writeInt(x);
    out_.put(' ');
    out_.writeInt(y);
    out_.write(" Td ");
    out_.write(colour);
    out_.put('(');
    out_.write(text);
    out_.write(") Tj ET\n");
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

  // Opens the content stream of `page`, whose page object has just been
  // written (object 3 in the prologue for page 1).
  void openStream(std::uint64_t page, std::string_view keywordLine) {
    PageOffsets offsets;
    offsets.contents = out_.offset();
    if (page == 1) {
      fixed_[kLastFixedObject] = offsets.contents;
      out_.write("11 0 obj\n");
    } else {
      out_.put('2');
      writeNumber(page);
      out_.write(" 0 obj\n");
    }
    out_.write("  << /Length 3");
    writeNumber(page);
    out_.write(" 0 R >>\n");
    out_.write(keywordLine);
    streamStart_ = out_.offset();
    pages_.push_back(offsets);
  }

  // Ends the open content stream and writes its length object.
  void closeStream() {
    const std::uint64_t length = out_.offset() - streamStart_;
    out_.write("endstream\nendobj\n\n");
    pages_.back().length = out_.offset();
    out_.put('3');
    writeNumber(pages_.size());
    out_.write(" 0 obj ");
    writeNumber(length);
    out_.write(" endobj\n");
  }

  // Lists exactly the pages written.
  void writePageTree() {
    fixed_[2] = out_.offset();
    out_.write("2 0 obj << /Type /Pages /Kids [3 0 R");
    for (std::uint64_t page = 2; page <= pages_.size(); ++page) {
      out_.write(" 1");
      writeNumber(page);
      out_.write(" 0 R");
    }
    out_.write("] /Count ");
    writeNumber(pages_.size());
    out_.write(" /MediaBox [0 0 595 842] >> endobj\n");
  }

  std::uint64_t pageObjectOffset(std::uint64_t page) const {
    if (page == 1) return fixed_[3];
    return pages_[page - 1].contents - pageObjectSize(page);
  }

  // Calls visit(number, offset) for object 0 and every object written, in
  // ascending order of number. The page objects are "1", "2" or "3"
  // followed by the page digits; numbers with more digits are larger, and
  // among those of one width the leading digit decides, then the page.
  template <typename Visit>
  void forEachObject(Visit&& visit) const {
    for (std::uint64_t number = 0; number <= kLastFixedObject; ++number) {
      visit(number, fixed_[number]);
    }
    const std::uint64_t pageCount = pages_.size();
    for (std::uint64_t low = 1, scale = 10; low <= pageCount; low = scale, scale *= 10) {
      const std::uint64_t high = std::min(pageCount, scale - 1);
      // Page 1 has no "1P" or "2P" object: its page is 3 and its contents 11.
      for (std::uint64_t page = std::max<std::uint64_t>(low, 2); page <= high; ++page) {
        visit(scale + page, pageObjectOffset(page));
      }
      for (std::uint64_t page = std::max<std::uint64_t>(low, 2); page <= high; ++page) {
        visit(2 * scale + page, pages_[page - 1].contents);
      }
      for (std::uint64_t page = low; page <= high; ++page) {
        visit(3 * scale + page, pages_[page - 1].length);
      }
    }
  }

  void writeCrossReferenceAndTrailer() {
    // First pass: the subsections, runs of consecutive numbers. There are
    // only a few per digit of the page count.
    struct Subsection {
      std::uint64_t first;
      std::uint64_t count;
    };
    std::vector<Subsection> subsections;
    forEachObject([&](std::uint64_t number, std::uint64_t) {
      if (!subsections.empty() &&
          subsections.back().first + subsections.back().count == number) {
        ++subsections.back().count;
      } else {
        subsections.push_back({number, 1});
      }
    });

    const std::uint64_t xrefOffset = out_.offset();
    out_.write("xref\n");
    std::size_t next = 0;
    std::uint64_t highest = 0;
    forEachObject([&](std::uint64_t number, std::uint64_t offset) {
      if (next < subsections.size() && subsections[next].first == number) {
        writeNumber(number);
        out_.put(' ');
        writeNumber(subsections[next].count);
        out_.put('\n');
        ++next;
      }
      if (number == 0) {
        out_.write("0000000000 65535 f \n");
      } else {
        writeOffsetEntry(offset);
      }
      highest = number;
    });

    out_.write("trailer\n  <<  /Root 1 0 R /Size ");
    writeNumber(highest + 1);
    out_.write("\n  >>\nstartxref\n");
    writeNumber(xrefOffset);
    out_.write("\n%%EOF\n");
  }

  // "nnnnnnnnnn 00000 n \n": 20 bytes.
  void writeOffsetEntry(std::uint64_t offset) {
    if (offset > kLargestOffset) {
      throw IoError("the PDF output is too large for its cross-reference table");
    }
    std::array<char, 10> digits{};
    for (std::size_t i = digits.size(); i-- > 0;) {
      digits[i] = static_cast<char>('0' + offset % 10);
      offset /= 10;
    }
    out_.write(std::string_view(digits.data(), digits.size()));
    out_.write(" 00000 n \n");
  }

  void writeNumber(std::uint64_t value) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out_.write(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
  }

  // Offsets of objects 0 to 11 (0 unused: the free entry).
  std::array<std::uint64_t, kLastFixedObject + 1> fixed_{};
  // One entry per page written, page 1 first.
  std::deque<PageOffsets> pages_;
  // First byte of the data of the open content stream.
  std::uint64_t streamStart_ = 0;
};

}  // namespace

std::unique_ptr<Writer> makePdfWriter(OutputSink& out, LayoutState& state) {
  return std::make_unique<PdfWriter>(out, state);
}

}  // namespace kolvo
