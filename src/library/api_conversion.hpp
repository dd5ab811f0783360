#pragma once
// One conversion of libkolvo: the program's run (convert, with the first
// reading of the fallback codes or LaTeX scripts where the writer needs
// it) from a descriptor or memory to an OutputSink, its warnings and
// trace handed to the caller's message callback instead of a console.

#include <string_view>

#include "library/api_options.hpp"
#include "writers/output_sink.hpp"

namespace kolvo::library {

// Where a conversion reads: a descriptor (not owned) or bytes in memory.
struct InputSource {
  int fd = -1;
  std::string_view bytes;
  bool inMemory = false;
};

// Converts `input` into `out` (flushed at the end), then gives the
// warnings to the options' callback unless --quiet. Throws what the run
// throws (ApiFailure, FontFailure, IoError, std::bad_alloc).
void runConversion(const kolvo_options& options, const InputSource& input, OutputSink& out);

// Checks what the run checks before reading: page design, --font files.
void validateOptions(const kolvo_options& options);

// The write callback as an OutputSink's delivery: throws OutputError when
// the callback reports a failure.
struct CallbackTarget {
  kolvo_write_fn write;
  void* user;
};
void deliverToCallback(std::string_view bytes, void* target);

}  // namespace kolvo::library
