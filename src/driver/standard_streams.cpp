#include "driver/standard_streams.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "driver/command_line.hpp"

namespace kolvo {

ClosedStandardStreams reserveStandardDescriptors() {
  ClosedStandardStreams closed;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    if (fd == STDIN_FILENO) closed.input = true;
    if (fd == STDOUT_FILENO) closed.output = true;
    const int placeholder = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (placeholder >= 0 && placeholder != fd) close(placeholder);
  }
  return closed;
}

void printError(std::string_view message) {
  // Nothing is left to tell when standard error itself fails.
  (void)std::fputs(("kolvo: " + std::string(message) + "\n").c_str(), stderr);
}

void printWarning(std::string_view message) { printError("warning: " + std::string(message)); }

int printToStandardOutput(const std::string& text, bool closed) {
  if (closed) {
    printError("cannot write output 'standard output': " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  const bool written = std::fputs(text.c_str(), stdout) >= 0;
  if (std::fflush(stdout) != 0 || !written) {
    printError("cannot write output 'standard output': " + std::string(std::strerror(errno)));
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace kolvo
