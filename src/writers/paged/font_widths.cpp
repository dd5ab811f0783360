#include "writers/paged/font_widths.hpp"

#include <cstddef>

#include "writers/paged/font_width_tables.hpp"

namespace kolvo::paged {

static_assert(kFontWidths.size() == static_cast<std::size_t>(PagedFont::Symbol) + 1,
              "one width table per PagedFont");

int textWidth(PagedFont font, std::string_view codes) {
  const auto& widths = kFontWidths[static_cast<std::size_t>(font)];
  int total = 0;
  for (char c : codes) total += widths[static_cast<unsigned char>(c)];
  return total;
}

}  // namespace kolvo::paged
