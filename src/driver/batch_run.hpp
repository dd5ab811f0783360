#pragma once
// `kolvo --output-dir DIR FORMAT INPUT...`: every INPUT converted into DIR
// as its single run would write it, several at once, each input's messages
// printed together and in input order under its name.

#include <optional>
#include <string>

#include "driver/command_line.hpp"
#include "driver/options.hpp"

namespace kolvo {

// Why `folder` cannot take a batch's outputs (missing, not a folder), or
// nothing.
std::optional<std::string> outputFolderProblem(const std::string& folder);

// Converts every input; 0 when all were converted, 1 when any failed (the
// others are written all the same). A --font file that cannot be used
// fails the whole batch before anything is written, as it fails a single
// run.
int runBatch(const BatchSettings& batch, FallbackFontsFactory factory);

}  // namespace kolvo
