#pragma once
#include "writers/writer.hpp"

namespace kolvo {
std::unique_ptr<Writer> makePostScriptWriter(OutputSink& out, LayoutState& state);
}
