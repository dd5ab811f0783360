#pragma once
// Where a batch (--output-dir) writes each INPUT: DIR/NAME.EXT, NAME the
// input's file name without its last extension, EXT the format's.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"

namespace kolvo {

// The output path of `inputPath` in `folder`, or nothing when the input
// names no file ("", "dir/", "..").  A leading dot starts no extension:
// ".notes" keeps its name.
std::optional<std::string> batchOutputPath(std::string_view folder, std::string_view inputPath,
                                           Format format);

// The message for inputs that would write the same output (the first such
// pair, by their words), or nothing when every output is its own.
std::optional<std::string> sharedOutputProblem(std::span<const std::string> inputPaths,
                                               std::span<const std::string> outputPaths);

}  // namespace kolvo
