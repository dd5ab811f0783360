#include "driver/input_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/io_error.hpp"
#include "io/message_text.hpp"

namespace kolvo {

InputFile::InputFile(const std::string& path, bool standardInputClosed) : path_(path) {
  if (isStandardInput() && standardInputClosed) {
    throw InputError("cannot read input 'standard input': " + std::string(std::strerror(EBADF)));
  }
  fd_ = isStandardInput() ? STDIN_FILENO : open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0 || fstat(fd_, &stat_) != 0) {
    const std::string reason = std::strerror(errno);
    closeDescriptor();
    throw InputError("cannot open input " + quoted(path_) + ": " + reason);
  }
  if (S_ISDIR(stat_.st_mode)) {
    closeDescriptor();
    throw InputError("cannot read input " + quoted(path_) + ": " + std::strerror(EISDIR));
  }
}

InputFile::~InputFile() { closeDescriptor(); }

std::string inputNameOf(const std::string& path) {
  return path == "-" ? "standard input" : printable(path);
}

std::string InputFile::name() const { return inputNameOf(path_); }

void InputFile::closeDescriptor() {
  if (fd_ >= 0 && !isStandardInput()) close(fd_);
  fd_ = -1;
}

bool InputFile::sameFileAs(const struct stat& other) const {
  return other.st_dev == stat_.st_dev && other.st_ino == stat_.st_ino;
}

void InputFile::refuseAsOutput(const std::string& outputPath) const {
  struct stat output {};
  if (outputPath != "-") {
    if (stat(outputPath.c_str(), &output) == 0 && sameFileAs(output)) {
      throw InputError("input " + quoted(path_) + " and output " + quoted(outputPath) +
                       " are the same file; nothing was written");
    }
    return;
  }
  // Standard output appended to the input file (">> input") would feed the
  // conversion its own output, without end for a large file. Terminals and
  // pipes shared by both streams are no such case.
  if (S_ISREG(stat_.st_mode) && fstat(STDOUT_FILENO, &output) == 0 && sameFileAs(output)) {
    throw InputError("input " + quoted(path_) + " and standard output are the same file; nothing was written");
  }
}

}  // namespace kolvo
