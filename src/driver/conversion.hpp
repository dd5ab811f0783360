#pragma once
// One conversion run: prologue, top spacing, the line loop, epilogue.
// Everything a run changes lives in objects it owns, so a process can run
// any number of conversions one after another.

#include <string>
#include <string_view>

#include "driver/line_reader.hpp"
#include "markup/format.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {

// Where the version line and the progress trace go (standard output, or
// standard error when the document itself goes to standard output).
class Console {
 public:
  virtual ~Console() = default;
  virtual void print(std::string_view text) = 0;
};

// Runs a whole conversion from `in` to `out` for `format` and the raw option
// letter (V, t, T, v; anything else means none). Throws IoError on a read or
// write failure; the caller flushes and closes the output.
void convert(LineReader& in, OutputSink& out, Format format, char optionLetter,
             Console& console);

// Convenience for tests and tools: converts an in-memory document. If
// `console` is given it receives the version line and progress trace.
std::string convertText(std::string_view input, Format format, char optionLetter = 's',
                        std::string* console = nullptr);

// The version line, "Version 0.9.0 b 2026 " and a line feed.
std::string versionLine();

}  // namespace kolvo
