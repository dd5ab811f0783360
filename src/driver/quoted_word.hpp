#pragma once
// A word of the user's in a message: in quotes, its bytes made safe by
// `printable` (src/io/message_text.hpp).

#include <string>
#include <string_view>

namespace kolvo {

std::string quotedWord(std::string_view word);

}  // namespace kolvo
