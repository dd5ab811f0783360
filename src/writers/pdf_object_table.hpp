#pragma once
// Where every object of a PDF file starts, and the cross-reference table and
// trailer that list them at the end of the file.
//
// The table is exact: the writer reports where every object starts. Of a
// page it keeps only the offsets of its content stream and of its length
// object (16 bytes); the page object lies right before the content stream,
// so its offset follows from the length of its text.

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "writers/output_sink.hpp"
#include "writers/pdf_objects.hpp"

namespace kolvo {

class PdfObjectTable {
 public:
  // Fixed object `number` (1 to 11) starts at `offset`.
  void fixedObject(std::uint64_t number, std::uint64_t offset) { fixed_[number] = offset; }
  // The content stream of the next page starts at `offset`.
  void pageContents(std::uint64_t offset) {
    if (pages_.empty()) fixed_[kPdfFirstContentsObject] = offset;
    pages_.push_back({offset, 0});
  }
  // The length object of the last page starts at `offset`.
  void pageLength(std::uint64_t offset) { pages_.back().length = offset; }
  // The object of page `page` (>= 2, already counted) starts at `offset`,
  // elsewhere than right before its content stream.
  void pageObject(std::uint64_t page, std::uint64_t offset) { pages_[page - 1].object = offset; }
  // Object `number` (pdfFallbackObject, written after the pages, in
  // ascending order) starts at `offset`.
  void laterObject(std::uint64_t number, std::uint64_t offset) { later_.push_back({number, offset}); }

  std::uint64_t pageCount() const { return pages_.size(); }
  // How many objects laterObject has recorded.
  std::uint64_t laterObjectCount() const { return later_.size(); }
  // The k whose pdfFallbackObject(k) is the first number past every later
  // object recorded: a font may leave one of its numbers unused (a CFF
  // program has no CIDToGIDMap), so the count alone could name a number
  // already written.
  std::uint64_t nextLaterIndex() const {
    std::uint64_t k = later_.size();
    while (!later_.empty() && pdfFallbackObject(k) <= later_.back().number) ++k;
    return k;
  }

  // Writes the table where `out` stands, then the trailer pointing to it,
  // and to the document information dictionary `info` unless it is 0.
  // Throws IoError when an offset has more digits than the table allows.
  void writeTableAndTrailer(OutputSink& out, std::uint64_t info = 0) const;

 private:
  // Where the pieces of one page start in the file.
  struct PageOffsets {
    std::uint64_t contents = 0;  // "2P 0 obj" (object 11 for page 1)
    std::uint64_t length = 0;    // "3P 0 obj"
    std::uint64_t object = 0;    // "1P 0 obj" when not right before the contents
  };
  // A run of consecutive object numbers: one subsection of the table.
  struct Subsection {
    std::uint64_t first;
    std::uint64_t count;
  };

  std::uint64_t pageObjectOffset(std::uint64_t page) const;
  template <typename Visit>
  void forEachObject(Visit&& visitInOrder) const;
  template <typename Visit>
  void forEachFixedOrPageObject(Visit&& visit) const;
  std::vector<Subsection> subsections() const;
  // Returns the highest object number.
  std::uint64_t writeTable(OutputSink& out, const std::vector<Subsection>& runs) const;

  // Offsets of objects 0 to 11 (0 unused: the free entry).
  std::array<std::uint64_t, kPdfLastFixedObject + 1> fixed_{};
  // One entry per page written, page 1 first.
  std::deque<PageOffsets> pages_;
  struct LaterObject {
    std::uint64_t number;
    std::uint64_t offset;
  };
  std::vector<LaterObject> later_;
};

}  // namespace kolvo
