#pragma once
// The INPUT of the command line, opened and checked before the output is
// touched, so that a mistyped input name never costs an existing output.

#include <sys/stat.h>

#include <string>

namespace kolvo {

// INPUT as messages show it: "standard input" for "-", else the path made
// printable.
std::string inputNameOf(const std::string& path);

class InputFile {
 public:
  // Opens `path` ("-" is standard input, which must not have been closed)
  // and refuses a folder. Throws InputError with the message for the user.
  InputFile(const std::string& path, bool standardInputClosed);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int fd() const { return fd_; }
  // "standard input" or the path as messages show it.
  std::string name() const;

  // Throws InputError when the output `outputPath` ("-" for standard output)
  // is this very file, also through links, so that nothing is written.
  void refuseAsOutput(const std::string& outputPath) const;

 private:
  bool isStandardInput() const { return path_ == "-"; }
  bool sameFileAs(const struct stat& other) const;
  void closeDescriptor();

  std::string path_;
  int fd_ = -1;
  struct stat stat_ {};
};

}  // namespace kolvo
