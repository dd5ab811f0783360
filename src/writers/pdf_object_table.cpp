#include "writers/pdf_object_table.hpp"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kolvo {
namespace {

// The table gives an offset in ten digits.
constexpr std::size_t kOffsetDigits = 10;
constexpr std::uint64_t kLargestOffset = 9'999'999'999ULL;

// Object 0, the head of the list of free objects, in every table.
constexpr std::string_view kFreeListHead = "0000000000 65535 f \n";

// "nnnnnnnnnn 00000 n \n": 20 bytes.
void writeOffsetEntry(OutputSink& out, std::uint64_t offset) {
  if (offset > kLargestOffset) {
    throw OutputError("the PDF output is too large for its cross-reference table");
  }
  std::array<char, kOffsetDigits> digits{};
  for (std::size_t i = digits.size(); i-- > 0;) {
    digits[i] = static_cast<char>('0' + offset % 10);
    offset /= 10;
  }
  out.write(std::string_view(digits.data(), digits.size()));
  out.write(" 00000 n \n");
}

void writeTrailer(OutputSink& out, std::uint64_t size, std::uint64_t tableOffset,
                  std::uint64_t info) {
  out.write("trailer\n  <<  /Root 1 0 R /Size ");
  writeNumber(out, size);
  if (info != 0) {
    out.write(" /Info ");
    writeNumber(out, info);
    out.write(" 0 R");
  }
  out.write("\n  >>\nstartxref\n");
  writeNumber(out, tableOffset);
  out.write("\n%%EOF\n");
}

}  // namespace

std::uint64_t PdfObjectTable::pageObjectOffset(std::uint64_t page) const {
  if (page == 1) return fixed_[kPdfFirstPageObject];
  const PageOffsets& offsets = pages_[page - 1];
  return offsets.object != 0 ? offsets.object : offsets.contents - pdfPageObjectSize(page);
}

// Calls visit(number, offset) for object 0 and every object written, in
// ascending order of number. The page objects are "1", "2" or "3" followed
// by the page digits; numbers with more digits are larger, and among those
// of one width the leading digit decides, then the page. Each prefix digit
// d makes the number d * scale + page.
// The objects written after the pages (fallback fonts) have numbers no
// page has, and go in between in ascending order.
template <typename Visit>
void PdfObjectTable::forEachObject(Visit&& visitInOrder) const {
  std::size_t nextLater = 0;
  const auto visit = [&](std::uint64_t number, std::uint64_t offset) {
    for (; nextLater < later_.size() && later_[nextLater].number < number; ++nextLater) {
      visitInOrder(later_[nextLater].number, later_[nextLater].offset);
    }
    visitInOrder(number, offset);
  };
  forEachFixedOrPageObject(visit);
  for (; nextLater < later_.size(); ++nextLater) {
    visitInOrder(later_[nextLater].number, later_[nextLater].offset);
  }
}

template <typename Visit>
void PdfObjectTable::forEachFixedOrPageObject(Visit&& visit) const {
  for (std::uint64_t number = 0; number <= kPdfLastFixedObject; ++number) {
    visit(number, fixed_[number]);
  }
  const std::uint64_t count = pages_.size();
  for (std::uint64_t low = 1, scale = 10; low <= count; low = scale, scale *= 10) {
    const std::uint64_t high = std::min(count, scale - 1);
    // Page 1 has no "1P" or "2P" object: its page is 3 and its contents 11.
    for (std::uint64_t page = std::max<std::uint64_t>(low, 2); page <= high; ++page) {
      visit(pdfPrefixValue(kPdfPagePrefix) * scale + page, pageObjectOffset(page));
    }
    for (std::uint64_t page = std::max<std::uint64_t>(low, 2); page <= high; ++page) {
      visit(pdfPrefixValue(kPdfContentsPrefix) * scale + page, pages_[page - 1].contents);
    }
    for (std::uint64_t page = low; page <= high; ++page) {
      visit(pdfPrefixValue(kPdfLengthPrefix) * scale + page, pages_[page - 1].length);
    }
  }
}

// There are only a few per digit of the page count.
std::vector<PdfObjectTable::Subsection> PdfObjectTable::subsections() const {
  std::vector<Subsection> result;
  forEachObject([&](std::uint64_t number, std::uint64_t) {
    if (!result.empty() && result.back().first + result.back().count == number) {
      ++result.back().count;
    } else {
      result.push_back({number, 1});
    }
  });
  return result;
}

// Each subsection is headed by its first number and its count.
std::uint64_t PdfObjectTable::writeTable(OutputSink& out,
                                         const std::vector<Subsection>& runs) const {
  out.write("xref\n");
  std::size_t next = 0;
  std::uint64_t highest = 0;
  forEachObject([&](std::uint64_t number, std::uint64_t offset) {
    if (next < runs.size() && runs[next].first == number) {
      writeNumber(out, number);
      out.put(' ');
      writeNumber(out, runs[next].count);
      out.put('\n');
      ++next;
    }
    if (number == 0) {
      out.write(kFreeListHead);
    } else {
      writeOffsetEntry(out, offset);
    }
    highest = number;
  });
  return highest;
}

void PdfObjectTable::writeTableAndTrailer(OutputSink& out, std::uint64_t info) const {
  const std::uint64_t tableOffset = out.offset();
  const std::uint64_t highest = writeTable(out, subsections());
  writeTrailer(out, highest + 1, tableOffset, info);
}

}  // namespace kolvo
