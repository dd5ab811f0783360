#pragma once
// One INPUT converted into one OUTPUT with the settings given: opening,
// converting, putting the output in place. What the user should be told is
// collected in the result rather than printed, so that a batch prints each
// input's messages together and in order, and another caller (a library)
// can hand them on as it likes.

#include <string>
#include <string_view>
#include <vector>

#include "driver/command_line.hpp"
#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/standard_streams.hpp"

namespace kolvo {

// Where a run reads its input: bytes in memory, or a descriptor (of the
// file settings.inputPath names).
struct RunInput {
  int fd = -1;
  std::string_view bytes;
  bool inMemory = false;
};

// The conversion proper with `settings`, from `input` into `out`: the
// first of two readings, when the writer wants one (writerReadsInputTwice
// gives out the fallback fonts' codes; typed LaTeX finds its scripts), then
// the run. A descriptor read twice is spooled first. Throws what the run
// throws; the caller flushes `out`.
ConversionReport convertSettings(const RunInput& input, OutputSink& out,
                                 const ConversionSettings& settings, FallbackFonts* fallback,
                                 Console& console);

struct RunMessage {
  enum class Kind { Warning, Error };
  Kind kind;
  std::string text;  // without the program's name; user bytes made printable
};

struct FileConversionResult {
  // The output is complete and in place; otherwise it was taken back, and
  // an existing OUTPUT is as it was.
  bool complete = false;
  std::vector<RunMessage> messages;  // in the order the user meets them
};

// Converts settings.inputPath into settings.outputPath. `console` takes the
// version line and the progress trace; nullptr means the single run's
// choice, standard output, or standard error when the document goes to
// standard output. `closed`: the standard descriptors the caller had closed.
// Neither throws nor prints; safe to run on several threads at once, each
// with its own settings and console.
FileConversionResult convertFile(const ConversionSettings& settings, FallbackFontsFactory factory,
                                 Console* console, ClosedStandardStreams closed = {});

// Prints the messages on standard error ("kolvo: ", "kolvo: warning: "),
// each after `prefix`.
void printMessages(const std::vector<RunMessage>& messages, const std::string& prefix = {});

}  // namespace kolvo
