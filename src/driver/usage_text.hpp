#pragma once
// The usage text of --help, made from the format and long option tables.

#include <string>

namespace kolvo {

std::string usageText();

}  // namespace kolvo
