#pragma once
#include <string_view>

#include "writers/writer.hpp"

namespace kolvo {

// The start of every PostScript document: it defines the procedures that the
// tag texts call (ushow, hshow, Hshow) and selects the body font.
std::string_view postScriptPrologue();

std::unique_ptr<Writer> makePostScriptWriter(OutputSink& out, LayoutState& state);

}  // namespace kolvo
