#pragma once
// What the text step asks of every typed line before it escapes it, found
// in one pass over its bytes: whether it may hold right-to-left text (a
// byte from D6 on; where there is none, every character is left to right
// or neutral) and whether it may hold a
// link ("@" or "//", as mayHoldLinks says). Most lines have neither, and
// two looks would read each line twice.

#include <string_view>

namespace kolvo {

struct LineLook {
  bool mayHoldRightToLeft = false;
  bool mayHoldLinks = false;
};

LineLook lookAtLine(std::string_view utf8);

}  // namespace kolvo
