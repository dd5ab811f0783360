#include <string>
#include <utility>

#include "writers/writer_table.hpp"

namespace kolvo {

std::unique_ptr<Writer> makeWriter(Format format, OutputSink& out, LineMarks& marks,
                                   TextMode mode, const PaperSize* paper,
                                   const FallbackFonts* fallback, LatexScripts latexScripts,
                                   const paged::PageDesign* design, const DocumentInfo* info) {
  const WriterRow& row = kWriterTable[column(format)];
  if (row.flowing != nullptr) {
    const FlowingFormat& texts = mode == TextMode::Typed ? *row.typedFlowing : *row.flowing;
    std::string packages;
    if (&texts == &kLatexTypedFormat) packages = latexScriptPackages(latexScripts);
    return std::make_unique<FlowingWriter>(texts, out, marks, format, mode, std::move(packages),
                                           info);
  }
  return row.makePaged(out, marks, mode, paper, fallback, design, info);
}

bool writerReadsInputTwice(Format format, TextMode mode, bool fallbackFonts) {
  return fallbackFonts && mode == TextMode::Typed && kWriterTable[column(format)].fallbackFontsInPrologue;
}

}  // namespace kolvo
