#pragma once
// Buffered output that counts every byte it has been given, so that the PDF
// writer can record true object offsets and stream lengths. It writes either
// to a file descriptor or into a string (tests, fuzzing).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kolvo {

// An input or output failure; what() is the complete message for the user.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputSink {
 public:
  // Writes to `fd`; `name` is used in error messages. The sink does not own
  // or close the descriptor.
  OutputSink(int fd, std::string name);
  // Appends to `*target`.
  explicit OutputSink(std::string* target);
  ~OutputSink() = default;
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  void write(std::string_view text);
  void put(char c);
  // Writes `count` copies of `c`.
  void repeat(char c, std::size_t count);
  void writeInt(long long value);

  // Total bytes handed to the sink so far, buffered or not.
  std::uint64_t offset() const { return written_ + buffer_.size(); }

  // Pushes buffered bytes out; throws IoError on failure.
  void flush();

 private:
  void drain();

  int fd_ = -1;
  std::string name_;
  std::string* target_ = nullptr;
  std::string buffer_;
  std::uint64_t written_ = 0;
};

}  // namespace kolvo
