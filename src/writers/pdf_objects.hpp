#pragma once
// The object numbers of a PDF file as the PDF writer streams it, shared by
// the writer and its cross-reference table.
//
// 1 catalog, 2 page tree, 3 page 1, 4 resources, 5 to 10 fonts, 11 contents
// of page 1. Page P from 2 on is object "1" followed by the digits of P, its
// contents "2" followed by them. The length of each content stream is an
// indirect object, "3" followed by the page digits (31 for page 1), written
// right after the stream, so the file stays a single pass that also works
// on a pipe.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "writers/output_sink.hpp"

namespace kolvo {

// The objects numbered apart from the pages' scheme.
inline constexpr std::uint64_t kPdfPageTreeObject = 2;
inline constexpr std::uint64_t kPdfFirstPageObject = 3;
inline constexpr std::uint64_t kPdfFirstContentsObject = 11;
// The fonts /F1 to /F6 are objects 5 to 10, in the order of their names.
inline constexpr int kPdfFirstFontObject = 5;
// Objects 0 (the head of the free list) to 11 have fixed numbers.
inline constexpr std::uint64_t kPdfLastFixedObject = kPdfFirstContentsObject;

// The leading digit of the numbers of a page's object, its content stream
// and the stream's length object; the page's digits follow.
inline constexpr char kPdfPagePrefix = '1';
inline constexpr char kPdfContentsPrefix = '2';
inline constexpr char kPdfLengthPrefix = '3';

// "1P 0 obj ... /Contents 2P 0 R >> endobj \n": the page object of page P
// (P >= 2), in the three pieces around the two copies of P's digits. The
// texts hold kPdfPagePrefix and kPdfContentsPrefix.
inline constexpr std::string_view kPdfPageObjectHead = "1";
inline constexpr std::string_view kPdfPageObjectMiddle =
    " 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 2";
inline constexpr std::string_view kPdfPageObjectTail = " 0 R >> endobj \n";

constexpr std::uint64_t pdfPrefixValue(char digit) {
  return static_cast<std::uint64_t>(digit - '0');
}

constexpr std::size_t decimalDigits(std::uint64_t value) {
  std::size_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

// The size of the page object of page P (P >= 2).
constexpr std::uint64_t pdfPageObjectSize(std::uint64_t page) {
  return kPdfPageObjectHead.size() + kPdfPageObjectMiddle.size() + kPdfPageObjectTail.size() +
         2 * decimalDigits(page);
}

// The number of the page object of page P: 3 for page 1, "1" followed by
// P's digits after it.
constexpr std::uint64_t pdfPageObject(std::uint64_t page) {
  if (page == 1) return kPdfFirstPageObject;
  std::uint64_t scale = 10;
  while (scale <= page) scale *= 10;
  return pdfPrefixValue(kPdfPagePrefix) * scale + page;
}

// The number of the k-th object written after the pages (the fallback
// fonts): 40 to 99, then 400 to 999 and so on. No page's objects begin with
// a 4 or more, and the fixed objects end at 11.
constexpr std::uint64_t pdfFallbackObject(std::uint64_t k) {
  std::uint64_t low = 40;
  std::uint64_t count = 60;
  while (k >= count) {
    k -= count;
    low *= 10;
    count *= 10;
  }
  return low + k;
}

inline void writeNumber(OutputSink& out, std::uint64_t value) {
  // Enough for any std::uint64_t in decimal.
  std::array<char, std::numeric_limits<std::uint64_t>::digits10 + 1> digits{};
  const std::to_chars_result end =
      std::to_chars(digits.data(), digits.data() + digits.size(), value);
  out.write(std::string_view(digits.data(), static_cast<std::size_t>(end.ptr - digits.data())));
}

}  // namespace kolvo
