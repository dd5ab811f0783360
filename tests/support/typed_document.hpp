#pragma once
// Helpers for the tests of text shown as typed: checking the tags an
// escaper let through, and a whole flowing-text document built the way a
// run goes: each line escaped, then the tag rows and the clean-ups, then
// the format's line form.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "pipeline/line_rewrite.hpp"
#include "text/latex_scripts.hpp"
#include "text/typed_text.hpp"
#include "writers/flowing_writer.hpp"

namespace kolvo::test {

using TextEscaper = bool (*)(std::string_view, std::string&, EscapeStats&);

inline std::string escapedBy(TextEscaper escape, std::string_view typed, EscapeStats& stats) {
  std::string out;
  return escape(typed, out, stats) ? out : std::string(typed);
}

// Every "%" of `escaped` begins a tag, and there are as many as `typed` had.
inline void expectOnlyTheTypedTags(TextEscaper escape, std::string_view typed) {
  EscapeStats stats;
  const std::string out = escapedBy(escape, typed, stats);
  std::size_t tags = 0;
  for (std::size_t i = 0; i < typed.size(); ++i) if (beginsTag(typed, i)) ++tags;
  for (std::size_t i = out.find('%'); i != std::string::npos; i = out.find('%', i + 1), --tags) {
    EXPECT_TRUE(beginsTag(out, i)) << typed << " -> " << out;
  }
  EXPECT_EQ(tags, 0u) << typed << " -> " << out;
}

inline std::string typedDocument(const FlowingFormat& format, Format f, TextEscaper escape,
                                 const std::vector<std::string>& lines, EscapeStats& stats) {
  std::string document;
  OutputSink sink(&document);
  LineMarks state;
  // LaTeX's preamble loads the scripts of the text, as its first reading finds them.
  std::string packages;
  if (&format == &kLatexTypedFormat) {
    LatexScriptScan scan;
    for (const std::string& typed : lines) scan.read(typed + "\n");
    packages = latexScriptPackages(scan.scripts());
  }
  FlowingWriter writer(format, sink, state, Format::AbiWord, TextMode::Markup, packages);
  writer.prologue();
  std::string scratch;
  for (const std::string& typed : lines) {
    std::string line = escapedBy(escape, typed + "\n", stats);
    state.startLine();
    rewriteLine(line, scratch, f, state);
    writer.line({line, {}, false});
  }
  writer.epilogue();
  sink.flush();
  return document;
}

}  // namespace kolvo::test
