#pragma once
// The input of a conversion that reads it twice (writerReadsInputTwice:
// typed PostScript or PDF with fallback fonts). A regular file is read
// again from its start; anything else (standard input, a pipe) is first
// copied into a temporary file that has no name from the start, so it
// goes away with the process however that ends.

#include <string>

namespace kolvo {

class RereadableInput {
 public:
  // `fd` is the input (not owned), `name` its name in messages. Throws
  // InputError when the copy cannot be made.
  RereadableInput(int fd, const std::string& name);
  ~RereadableInput();
  RereadableInput(const RereadableInput&) = delete;
  RereadableInput& operator=(const RereadableInput&) = delete;

  int fd() const { return fd_; }
  // Back to the start for the second reading; throws InputError.
  void rewind();

 private:
  void spool(int from, const std::string& name);

  int fd_ = -1;
  bool owned_ = false;
};

}  // namespace kolvo
