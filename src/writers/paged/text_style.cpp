#include "writers/paged/text_style.hpp"

#include <array>
#include <charconv>

namespace kolvo::paged {
namespace {

struct PdfFontResource {
  std::string_view resource;
  std::string_view baseFont;
};

// The font resources of the PDF writer's resource dictionary (pdf_writer.cpp).
constexpr std::array<PdfFontResource, 6> kPdfFontResources = {{
    {"F1", "Times-Roman"},
    {"F2", "Times-Bold"},
    {"F3", "Symbol"},
    {"F4", "Times-Italic"},
    {"F5", "Courier"},
    {"F6", "ZapfDingbats"},
}};

}  // namespace

const TextStyle kPdfBodyStyle = initialTextStyle(Format::Pdf);

double parsePointSize(const TextStyle& style) {
  double size = 0;
  const char* first = style.size.data();
  const char* last = first + style.size.size();
  if (std::from_chars(first, last, size).ec != std::errc{}) return 0;
  return size;
}

std::string_view fontName(Format format, const TextStyle& style) {
  if (format != Format::Pdf) return style.font;
  for (const PdfFontResource& font : kPdfFontResources) {
    if (font.resource == style.font) return font.baseFont;
  }
  return {};
}

}  // namespace kolvo::paged
