#pragma once
// Input in an encoding other than UTF-8, turned into UTF-8 block by block
// before any later stage reads it: UTF-16 after its byte-order mark, or an
// encoding the user names. A character split between two blocks is kept
// for the next one.

#include <string>
#include <string_view>

namespace kolvo {

class InputDecoder {
 public:
  virtual ~InputDecoder() = default;
  // Appends the UTF-8 of `bytes` to `out`, keeping what a later block ends.
  virtual void decode(std::string_view bytes, std::string& out) = 0;
  // The end of the input: appends what is left over.
  virtual void finish(std::string& out) = 0;
};

}  // namespace kolvo
