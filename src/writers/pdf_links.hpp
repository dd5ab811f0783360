#pragma once
// The link annotations of typed PDF: each web or e-mail address of the text
// is covered by a box that opens its target, one box for each printed line
// the address lies on. A page's annotations are named in its page object,
// which is written before the page's contents are known; so a typed PDF
// writes its page objects at the end, after the annotations, and the
// cross-reference table is told where each went.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "writers/output_sink.hpp"
#include "writers/pdf_object_table.hpp"

namespace kolvo {

// A box on a page, in points from its lower left corner.
struct PdfRect {
  double left = 0;
  double bottom = 0;
  double right = 0;
  double top = 0;
};

class PdfLinks {
 public:
  // Covers `rect` of page `page` (from 1) with a link to `target`.
  void add(std::uint64_t page, PdfRect rect, std::string_view target);
  std::uint64_t count() const { return boxes_.size(); }

  // Writes every annotation (objects after the pages, numbered on from
  // the table's later objects), then the object of every page of the
  // table: page 1's `firstPageObject` text and the others' from the page
  // object pieces, each with the annotations that lie on it.
  void writeAnnotationsAndPages(OutputSink& out, PdfObjectTable& table,
                                std::string_view firstPageObject) const;

 private:
  struct Box {
    std::uint64_t page;
    PdfRect rect;
    std::size_t target;  // index in targets_
  };
  std::vector<Box> boxes_;  // in page order, as the pages are written
  std::vector<std::string> targets_;
};

// A PDF literal string of ASCII `text`: "\", "(" and ")" escaped, and any
// other byte outside printable ASCII as an octal escape.
std::string pdfAsciiString(std::string_view text);

}  // namespace kolvo
