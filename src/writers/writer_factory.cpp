#include "writers/writer_table.hpp"

namespace kolvo {

std::unique_ptr<Writer> makeWriter(Format format, OutputSink& out, LayoutState& state) {
  const WriterRow& row = kWriterTable[column(format)];
  if (row.flowing != nullptr) return std::make_unique<FlowingWriter>(*row.flowing, out, state);
  return row.makePaged(out, state);
}

}  // namespace kolvo
