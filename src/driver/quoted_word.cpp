#include "driver/quoted_word.hpp"

#include "io/message_text.hpp"

namespace kolvo {

std::string quotedWord(std::string_view word) { return "'" + printable(word) + "'"; }

}  // namespace kolvo
