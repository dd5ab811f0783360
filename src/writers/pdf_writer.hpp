#pragma once
#include "writers/writer.hpp"

namespace kolvo {
std::unique_ptr<Writer> makePdfWriter(OutputSink& out, LayoutState& state);
}
