#pragma once
// One INPUT converted into one OUTPUT with the settings given: opening,
// converting, putting the output in place. What the user should be told is
// collected in the result rather than printed, so that a batch prints each
// input's messages together and in order, and another caller (a library)
// can hand them on as it likes.

#include <string>
#include <vector>

#include "driver/command_line.hpp"
#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/standard_streams.hpp"

namespace kolvo {

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
