#pragma once
// The fonts fontconfig picks for a character: serif (monospace for
// Courier), in the weight and slant of the style in force, falling back to
// the regular face where the family has no such face.

#include <memory>
#include <string>
#include <vector>

#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

struct FontLocation {
  std::string path;
  unsigned index = 0;
};

class FontFinder {
 public:
  FontFinder();
  ~FontFinder();
  FontFinder(const FontFinder&) = delete;
  FontFinder& operator=(const FontFinder&) = delete;

  // The scalable TrueType and CFF faces that have `c`, best first, at most
  // a few. Empty when fontconfig is not configured or finds none.
  // `monospace`: the monospace family in the style's weight and slant.
  std::vector<FontLocation> candidates(char32_t c, FontStyle style, bool monospace = false) const;

 private:
  struct Config;
  std::unique_ptr<Config> config_;
};

}  // namespace kolvo::fonts
