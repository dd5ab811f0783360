#pragma once
// The command line's one conversion, made through libkolvo's C API as any
// program that embeds the library makes it: the settings handed over as the
// option words that made them, the document through the write callback
// into OUTPUT, warnings and the trace through the message callback.

#include "driver/options.hpp"
#include "driver/standard_streams.hpp"

namespace kolvo {

// Converts settings.inputPath into settings.outputPath, prints what the user
// should be told, and returns the exit status. `closed`: the standard
// descriptors the caller had closed.
int convertThroughLibrary(const ConversionSettings& settings, ClosedStandardStreams closed);

}  // namespace kolvo
