#pragma once
// What reading the input and writing the output throw. The command line
// catches the base and reports what() as it is.

#include <stdexcept>

namespace kolvo {

// An input or output failure; what() is the complete message for the user.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The input could not be opened or read.
class InputError : public IoError {
 public:
  using IoError::IoError;
};

// The output could not be opened or written.
class OutputError : public IoError {
 public:
  using IoError::IoError;
};

}  // namespace kolvo
