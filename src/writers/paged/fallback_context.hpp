#pragma once
// What one conversion run keeps for drawing typed text with fallback fonts
// in PostScript or PDF: the fonts, the standard font in force (PostScript
// carries it from line to line), and room to build a run's text in.

#include <string>

#include "markup/format.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo::paged {

class FallbackContext {
 public:
  FallbackContext(FallbackFonts& fonts, Format format)
      : fonts_(fonts), format_(format), inForce_(bodyFont(format)) {}

  FallbackFonts& fonts() { return fonts_; }
  Format format() const { return format_; }
  FontInForce& inForce() { return inForce_; }
  std::string& runText() { return runText_; }

 private:
  FallbackFonts& fonts_;
  Format format_;
  FontInForce inForce_;
  std::string runText_;
};

}  // namespace kolvo::paged
