#include "pipeline/text_step.hpp"

#include "text/latex_text.hpp"
#include "text/rtf_text.hpp"
#include "text/text_decoding.hpp"
#include "text/xml_text.hpp"
#include "writers/paged/paged_text.hpp"

namespace kolvo {
namespace {

void escapeTyped(std::string& line, std::string& scratch, Format format, EscapeStats& stats,
                 paged::FallbackContext* glyphs) {
  bool changed = false;
  switch (fileSyntax(format)) {
    case FileSyntax::Xml:
    case FileSyntax::XmlRuns:
    case FileSyntax::Html:
      changed = escapeXmlText(line, scratch);
      break;
    case FileSyntax::Rtf:
      changed = escapeRtfText(line, scratch, stats);
      break;
    case FileSyntax::Latex:
      changed = escapeLatexText(line, scratch, stats);
      break;
    case FileSyntax::PageStrings:
      changed = escapePagedText(line, format, scratch, stats, glyphs);
      break;
  }
  if (changed) line.swap(scratch);
}

}  // namespace

void prepareText(std::string& line, std::string& scratch, Format format, TextMode mode,
                 EscapeStats& stats, paged::FallbackContext* glyphs) {
  stats.lineItems.clear();
  if (!hasTextStep(format, mode) || !textStepMayChange(line, textStepOf(format, mode))) return;
  prepareTextStepByStep(line, scratch, format, mode, stats, glyphs);
}

void prepareTextStepByStep(std::string& line, std::string& scratch, Format format, TextMode mode,
                           EscapeStats& stats, paged::FallbackContext* glyphs) {
  stats.lineItems.clear();
  if (!hasTextStep(format, mode)) return;
  if (decodeText(line, scratch)) line.swap(scratch);
  if (mode == TextMode::Typed) {
    escapeTyped(line, scratch, format, stats, glyphs);
  } else if (keepWellFormedXml(line, scratch, fileSyntax(format) == FileSyntax::XmlRuns,
                               format == Format::AbiWord
                                   ? std::span<const std::string_view>(kAbiWordDocumentElements)
                                   : std::span<const std::string_view>())) {
    line.swap(scratch);
  }
}

}  // namespace kolvo
