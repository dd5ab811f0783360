#include "writers/flowing_writer.hpp"

namespace kolvo {

void FlowingWriter::prologue() { out_.write(format_.prologue); }

void FlowingWriter::topSpacing(char option) {
  std::size_t count = 0;
  if (option == 't') count = format_.blankLinesT;
  if (option == 'T') count = format_.blankLinesBigT;
  for (std::size_t i = 0; i < count; ++i) out_.write(format_.blankLine);
}

void FlowingWriter::line(const TypedLine& line) {
  if (line.drawing) return;
  const LineForm& form = state_.center == 1 ? format_.centred : format_.plain;
  out_.write(form.before);
  out_.write(line.bytes);
  out_.write(form.after);
}

std::string FlowingWriter::progressTrace(bool) const { return "..."; }

void FlowingWriter::epilogue() { out_.write(format_.epilogue); }

}  // namespace kolvo
