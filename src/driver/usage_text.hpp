#pragma once
// The usage text of --help, made from the format and long option tables.

#include <span>
#include <string>

#include "driver/options.hpp"

namespace kolvo {

// The synopsis alone, the first lines of the usage text.
std::string synopsisText(std::span<const LongOption> options = kLongOptions);

std::string usageText(std::span<const LongOption> options = kLongOptions);

}  // namespace kolvo
