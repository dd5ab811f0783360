#pragma once
#include <span>
#include <string_view>

#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/writer.hpp"

namespace kolvo {

// An object that every PDF document starts with, under a fixed number.
struct PdfFixedObject {
  int number;
  std::string_view text;
};

// The catalog, the first page, the resource dictionary and the fonts it
// names (/F1 to /F6), in file order: the font resources that the tag texts
// select with "Tf" are defined here.
std::span<const PdfFixedObject> pdfFixedObjects();

// The font resource and size ("Tf" operands) of every text line and of an
// underline's row of "_", Times-Roman 12 like the PostScript body text.
inline constexpr std::string_view kPdfBodyFont = "/F1 12";
// Those of a highlight's row of ZapfDingbats bars, a point above the body
// size so that the bars stand over the whole height of the letters.
inline constexpr std::string_view kPdfHighlightFont = "/F6 13";

// In typed mode the text fonts (/F1, /F2, /F4, /F5) carry the re-encoding
// for the typed text's characters (writers/paged/font_texts.hpp), and the
// fallback fonts in use, if any, are embedded after the last page. With a
// paper size the pages are that size and the lines wrap to fit them, in the
// margins, header and footer of `design`.
std::unique_ptr<Writer> makePdfWriter(OutputSink& out, LineMarks& marks,
                                      TextMode mode = TextMode::Markup,
                                      const PaperSize* paper = nullptr,
                                      const FallbackFonts* fallback = nullptr,
                                      const paged::PageDesign* design = nullptr,
                                      const DocumentInfo* info = nullptr);

}  // namespace kolvo
