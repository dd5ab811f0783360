#pragma once
#include <string_view>

#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/writer.hpp"

namespace kolvo {

// The start of every PostScript document: it defines the procedures that the
// tag texts call (ushow, hshow, Hshow) and selects the body font.
std::string_view postScriptPrologue();

// In typed mode the prologue also re-encodes the text fonts for the typed
// text's characters (writers/paged/font_texts.hpp) and defines the fallback
// fonts in use, which must all have their codes by then (the input is read
// once before to give them out). With a paper size the document follows the
// structuring conventions, its page is that size and its lines wrap to fit
// it; without one it is as it always was. `design` (with a paper size)
// gives the margins, header and footer, and --mono.
std::unique_ptr<Writer> makePostScriptWriter(OutputSink& out, LineMarks& marks,
                                             TextMode mode = TextMode::Markup,
                                             const PaperSize* paper = nullptr,
                                             const FallbackFonts* fallback = nullptr,
                                             const paged::PageDesign* design = nullptr,
                                             const DocumentInfo* info = nullptr);

}  // namespace kolvo
