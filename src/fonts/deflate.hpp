#pragma once
// zlib compression, for PDF's FlateDecode.

#include <string>
#include <string_view>

namespace kolvo::fonts {

// `data` in zlib format; empty if zlib fails (the caller then embeds `data`
// as it is).
std::string deflate(std::string_view data);

}  // namespace kolvo::fonts
