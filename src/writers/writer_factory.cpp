#include "writers/writer_table.hpp"

namespace kolvo {

std::unique_ptr<Writer> makeWriter(Format format, OutputSink& out, LineMarks& marks,
                                   TextMode mode, const PaperSize* paper,
                                   const FallbackFonts* fallback) {
  const WriterRow& row = kWriterTable[column(format)];
  if (row.flowing != nullptr) {
    const FlowingFormat& texts = mode == TextMode::Typed ? *row.typedFlowing : *row.flowing;
    return std::make_unique<FlowingWriter>(texts, out, marks, format, mode);
  }
  return row.makePaged(out, marks, mode, paper, fallback);
}

bool writerReadsInputTwice(Format format, TextMode mode, bool fallbackFonts) {
  return fallbackFonts && mode == TextMode::Typed && kWriterTable[column(format)].fallbackFontsInPrologue;
}

}  // namespace kolvo
