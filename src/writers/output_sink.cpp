#include "writers/output_sink.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kolvo {
namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

OutputSink::OutputSink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
  buffer_.reserve(kBufferSize);
}

OutputSink::OutputSink(std::string* target) : target_(target) {}

void OutputSink::write(std::string_view text) {
  if (target_ != nullptr) {
    target_->append(text);
    written_ += text.size();
    return;
  }
  if (buffer_.size() + text.size() > kBufferSize) {
    drain();
    if (text.size() >= kBufferSize) {
      // Large pieces go straight out instead of through the buffer.
      buffer_.assign(text);
      drain();
      return;
    }
  }
  buffer_.append(text);
}

void OutputSink::put(char c) { write(std::string_view(&c, 1)); }

void OutputSink::repeat(char c, std::size_t count) {
  char chunk[256];
  std::memset(chunk, c, sizeof chunk);
  while (count > 0) {
    const std::size_t n = count < sizeof chunk ? count : sizeof chunk;
    write(std::string_view(chunk, n));
    count -= n;
  }
}

void OutputSink::writeInt(long long value) {
  char digits[24];
  std::size_t n = 0;
  // Work in unsigned so that the most negative value has a magnitude too.
  unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    digits[sizeof digits - 1 - n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[sizeof digits - 1 - n++] = '-';
  write(std::string_view(digits + sizeof digits - n, n));
}

void OutputSink::drain() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      buffer_.clear();
      throw IoError("cannot write output '" + name_ + "': " + std::strerror(err));
    }
    done += static_cast<std::size_t>(n);
  }
  written_ += done;
  buffer_.clear();
}

void OutputSink::flush() {
  if (target_ == nullptr && !buffer_.empty()) drain();
}

}  // namespace kolvo
