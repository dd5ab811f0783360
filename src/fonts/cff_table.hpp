#pragma once
// The little of a CFF table that embedding needs: whether it is one and
// CID-keyed, and a copy whose charset gives each glyph the CID Kolvo chose
// for it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kolvo::fonts {

// Whether `cff` is a CFF (version 1) table whose INDEXes read.
bool isCffTable(std::string_view cff);

// Whether `cff` is a CFF table whose Top DICT starts with ROS (CID-keyed).
bool isCidKeyedCff(std::string_view cff);

// `cff` (CID-keyed) with a new charset appended and the Top DICT pointed at
// it: glyph g (from 1) gets the CID cids[g - 1]. Nothing when the charset
// offset cannot be rewritten in place.
std::optional<std::string> withCharset(std::string_view cff, std::span<const std::uint16_t> cids);

}  // namespace kolvo::fonts
