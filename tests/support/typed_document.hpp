#pragma once
// A whole flowing-text document built from typed lines the way a run that
// shows text as typed goes: each line escaped, then the tag rows and the
// clean-ups, then the format's line form.

#include <string>
#include <string_view>
#include <vector>

#include "markup/rewrite.hpp"
#include "markup/typed_text.hpp"
#include "writers/flowing_writer.hpp"

namespace kolvo::test {

using TextEscaper = bool (*)(std::string_view, std::string&, EscapeStats&);

inline std::string typedDocument(const FlowingFormat& format, Format f, TextEscaper escape,
                                 const std::vector<std::string>& lines, EscapeStats& stats) {
  std::string document;
  OutputSink sink(&document);
  LayoutState state;
  FlowingWriter writer(format, sink, state);
  writer.prologue();
  std::string scratch;
  for (const std::string& typed : lines) {
    std::string line = typed + "\n";
    if (escape(line, scratch, stats)) line.swap(scratch);
    state.center = 0;
    rewriteLine(line, scratch, f, state);
    writer.line(line, false);
  }
  writer.epilogue();
  sink.flush();
  return document;
}

}  // namespace kolvo::test
