#pragma once
// The markup reference: a Markdown table of every tag, made from the tag
// table itself so that the documentation cannot drift from the program.

#include <string>

namespace kolvo {

std::string markupReference();

}  // namespace kolvo
