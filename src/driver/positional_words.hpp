#pragma once
// FORMAT INPUT OUTPUT [OPTION], and --check's [FORMAT] INPUT: the words of
// the command line that are no long options, read once the options are.

#include <span>

#include "driver/options.hpp"

namespace kolvo {

CommandLineRequest readPositionalWords(std::span<const char* const> words,
                                       ConversionSettings settings,
                                       std::span<const LongOption> options);

}  // namespace kolvo
