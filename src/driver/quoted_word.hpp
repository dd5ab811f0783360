#pragma once
// A word of the user's in a message: quoted, and bytes that are not
// printable ASCII written as \xNN so that no message carries them raw.

#include <string>
#include <string_view>

namespace kolvo {

std::string quotedWord(std::string_view word);

}  // namespace kolvo
