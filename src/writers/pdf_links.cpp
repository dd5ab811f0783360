#include "writers/pdf_links.hpp"

#include <cmath>
#include <cstdio>

#include "writers/pdf_objects.hpp"

namespace kolvo {
namespace {

// How the fixed text of page 1's object ends; its annotations go before.
constexpr std::string_view kFirstPageEnd = " >> endobj\n";
// How the page object pieces end after the contents' number.
constexpr std::string_view kPageTailReference = " 0 R";
constexpr std::string_view kPageTailEnd = " >> endobj \n";
static_assert(kPdfPageObjectTail.substr(0, kPageTailReference.size()) == kPageTailReference &&
              kPdfPageObjectTail.substr(kPageTailReference.size()) == kPageTailEnd);

// A coordinate outward to whole points: a box never covers less than its text.
void writeCoordinate(OutputSink& out, double value, bool up) {
  out.writeInt(static_cast<long long>(up ? std::ceil(value) : std::floor(value)));
}

void writeAnnotation(OutputSink& out, const PdfRect& rect, std::string_view target) {
  out.write("<< /Type /Annot /Subtype /Link /Rect [");
  writeCoordinate(out, rect.left, false);
  out.put(' ');
  writeCoordinate(out, rect.bottom, false);
  out.put(' ');
  writeCoordinate(out, rect.right, true);
  out.put(' ');
  writeCoordinate(out, rect.top, true);
  out.write("] /Border [0 0 0] /A << /S /URI /URI ");
  out.write(pdfAsciiString(target));
  out.write(" >> >> endobj\n");
}

}  // namespace

std::string pdfAsciiString(std::string_view text) {
  std::string out = "(";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '(' || c == ')') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte < 0x20 || byte >= 0x7F) {
      char octal[5];
      (void)std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(byte));
      out.append(octal, 4);
    } else {
      out.push_back(c);
    }
  }
  out.push_back(')');
  return out;
}

void PdfLinks::add(std::uint64_t page, PdfRect rect, std::string_view target) {
  // The boxes of one address (a wrapped line's pieces) share its target.
  if (targets_.empty() || targets_.back() != target) targets_.emplace_back(target);
  boxes_.push_back({page, rect, targets_.size() - 1});
}

void PdfLinks::writeAnnotationsAndPages(OutputSink& out, PdfObjectTable& table,
                                        std::string_view firstPageObject) const {
  const std::uint64_t firstAnnotation = table.nextLaterIndex();
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const Box& box = boxes_[i];
    const std::uint64_t number = pdfFallbackObject(firstAnnotation + i);
    table.laterObject(number, out.offset());
    writeNumber(out, number);
    out.write(" 0 obj ");
    writeAnnotation(out, box.rect, targets_[box.target]);
  }
  std::size_t next = 0;  // the first box not yet named by a page
  for (std::uint64_t page = 1; page <= table.pageCount(); ++page) {
    if (page == 1) {
      table.fixedObject(kPdfFirstPageObject, out.offset());
      out.write(firstPageObject.substr(0, firstPageObject.size() - kFirstPageEnd.size()));
    } else {
      table.pageObject(page, out.offset());
      out.write(kPdfPageObjectHead);
      writeNumber(out, page);
      out.write(kPdfPageObjectMiddle);
      writeNumber(out, page);
      out.write(kPageTailReference);
    }
    if (next < boxes_.size() && boxes_[next].page == page) {
      out.write(" /Annots [");
      for (bool first = true; next < boxes_.size() && boxes_[next].page == page; ++next) {
        if (!first) out.put(' ');
        first = false;
        writeNumber(out, pdfFallbackObject(firstAnnotation + next));
        out.write(" 0 R");
      }
      out.put(']');
    }
    out.write(page == 1 ? kFirstPageEnd : kPageTailEnd);
  }
}

}  // namespace kolvo
