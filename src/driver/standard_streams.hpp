#pragma once
// The process's standard streams: descriptors the caller closed, messages
// on standard error, and texts and console output on standard output.

#include <cstdio>
#include <string>
#include <string_view>

#include "driver/conversion.hpp"

namespace kolvo {

// Which standard descriptors the caller had closed.
struct ClosedStandardStreams {
  bool input = false;
  bool output = false;
};

// A standard descriptor that was closed by the caller is taken by /dev/null,
// so that no file opened later can land on it and receive console text.
ClosedStandardStreams reserveStandardDescriptors();

// Prints "kolvo: MESSAGE" on standard error.
void printError(std::string_view message);

// Prints "kolvo: warning: MESSAGE" on standard error: the run went on.
void printWarning(std::string_view message);

// Prints the text of --help, --version or --markup-reference and returns the
// exit status; a standard output that was closed or cannot take the text is
// a failure.
int printToStandardOutput(const std::string& text, bool closed);

// Writes to a standard stream; a console that cannot be written to does not
// stop the conversion.
class StreamConsole final : public Console {
 public:
  explicit StreamConsole(std::FILE* stream) : stream_(stream) {}
  ~StreamConsole() override { (void)std::fflush(stream_); }
  StreamConsole(const StreamConsole&) = delete;
  StreamConsole& operator=(const StreamConsole&) = delete;
  void print(std::string_view text) override {
    (void)std::fwrite(text.data(), 1, text.size(), stream_);
  }

 private:
  std::FILE* stream_;
};

}  // namespace kolvo
