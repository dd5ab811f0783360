#pragma once
// --encoding NAME: input in a legacy encoding (Shift_JIS, Windows-1250,
// ISO-8859-2, KOI8-R ...) read through the C library's iconv and given out
// as UTF-8 in blocks, so that every later stage reads UTF-8. A sequence the
// encoding does not define becomes U+FFFD; the input goes on after it.

#include <memory>
#include <string>
#include <string_view>

#include "text/input_decoder.hpp"

namespace kolvo {

// Whether `name` means the reading Kolvo always has (UTF-8, other bytes as
// Windows-1252): "UTF-8", "utf8", "UTF_8".
bool isDefaultEncoding(std::string_view name);

// Whether iconv can read `name` into UTF-8.
bool isKnownEncoding(const std::string& name);

// The decoder of `name`; nullptr for the default reading. Throws
// std::invalid_argument for a name iconv does not know.
std::unique_ptr<InputDecoder> makeEncodingDecoder(const std::string& name);

}  // namespace kolvo
