// Placeholder until the PDF writer lands.
#include "writers/pdf_writer.hpp"

namespace kolvo {
std::unique_ptr<Writer> makePdfWriter(OutputSink&, LayoutState&) { return nullptr; }
}  // namespace kolvo
