#include "writers/flowing_writer.hpp"
#include "writers/pdf_writer.hpp"
#include "writers/postscript_writer.hpp"

namespace kolvo {

std::unique_ptr<Writer> makeWriter(Format format, OutputSink& out, LayoutState& state) {
  switch (format) {
    case Format::AbiWord:
      return std::make_unique<FlowingWriter>(kAbiWordFormat, out, state);
    case Format::DocBook:
      return std::make_unique<FlowingWriter>(kDocBookFormat, out, state);
    case Format::Html:
      return std::make_unique<FlowingWriter>(kHtmlFormat, out, state);
    case Format::Rtf:
      return std::make_unique<FlowingWriter>(kRtfFormat, out, state);
    case Format::Latex:
      return std::make_unique<FlowingWriter>(kLatexFormat, out, state);
    case Format::PostScript:
      return makePostScriptWriter(out, state);
    case Format::Pdf:
      return makePdfWriter(out, state);
  }
  return nullptr;
}

}  // namespace kolvo
