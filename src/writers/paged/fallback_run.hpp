#pragma once
// The text of a run of characters drawn with one fallback font, inside a
// typed PostScript or PDF line: it closes the string shown so far, selects
// the fallback font at the size in force, shows the run's codes as a hex
// string, and selects the font in force again.
//
// PDF shows two-byte codes of a Type 0 font ("/K0"); PostScript shows
// one-byte codes of the font's code pages, 256 codes each ("/KolvoK0p1" is
// codes 256 to 511 of font 0). The run goes between run marks
// (markup/run_marks.hpp) with its width, for the measures.

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo::paged {

// The PDF font resource of fallback font `font`: "K0", "K1" ...
std::string pdfFallbackResource(std::size_t font);
// The PostScript name of code page `page` of fallback font `font`.
std::string postScriptFallbackName(std::size_t font, std::size_t page);

class FallbackRun {
 public:
  // Builds the run in `scratch`; `finish` appends it to the line.
  FallbackRun(std::string& scratch, Format format, const FontInForce& inForce,
              std::uint16_t font);
  // Adds a code and its advance in thousandths of the size.
  void add(std::uint16_t code, std::uint32_t advance);
  void finish(std::string& out);

 private:
  void selectPage(std::size_t page);

  std::string& text_;
  Format format_;
  const FontInForce& inForce_;
  std::uint16_t font_;
  std::size_t page_ = SIZE_MAX;
  std::uint64_t advances_ = 0;
};

}  // namespace kolvo::paged
