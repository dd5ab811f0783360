#include "writers/output_sink.hpp"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>

namespace kolvo {
namespace {
constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// repeat() copies through a chunk on the stack: few writes, a small frame.
constexpr std::size_t kRepeatChunk = 256;
// Any long long in decimal, its sign included.
constexpr std::size_t kIntChars = std::numeric_limits<long long>::digits10 + 2;
// Coordinates, the common case, have at most three digits.
constexpr long long kThreeDigitLimit = 1000;
}  // namespace

OutputSink::OutputSink(int fd, std::string name)
    : fd_(fd),
      name_(std::move(name)),
      buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)),
      capacity_(kBufferSize) {}

OutputSink::OutputSink(std::string* target) : target_(target) {}

OutputSink::OutputSink(Deliver deliver, void* context)
    : deliver_(deliver),
      context_(context),
      buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)),
      capacity_(kBufferSize) {}

void OutputSink::writeSlow(std::string_view text) {
  if (target_ != nullptr) {
    target_->append(text);
    written_ += text.size();
    return;
  }
  drain();
  if (text.size() >= capacity_) {
    // Large pieces go straight out instead of through the buffer.
    writeOut(text.data(), text.size());
    written_ += text.size();
    return;
  }
  std::char_traits<char>::copy(buffer_.get(), text.data(), text.size());
  used_ = text.size();
}

void OutputSink::writeThrough(std::string_view text) {
  if (target_ != nullptr) {
    writeSlow(text);
    return;
  }
  if (used_ != 0) drain();
  writeOut(text.data(), text.size());
  written_ += text.size();
}

void OutputSink::repeat(char c, std::size_t count) {
  char chunk[kRepeatChunk];
  std::memset(chunk, c, sizeof chunk);
  while (count > 0) {
    const std::size_t n = count < sizeof chunk ? count : sizeof chunk;
    write(std::string_view(chunk, n));
    count -= n;
  }
}

void OutputSink::writeInt(long long value) {
  if (value >= 0 && value < kThreeDigitLimit) {
    const auto v = static_cast<unsigned>(value);
    char digits[3] = {static_cast<char>('0' + v / 100), static_cast<char>('0' + v / 10 % 10),
                      static_cast<char>('0' + v % 10)};
    const std::size_t skip = v < 10 ? 2 : v < 100 ? 1 : 0;
    write(std::string_view(digits + skip, 3 - skip));
    return;
  }
  char digits[kIntChars];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  write(std::string_view(digits, static_cast<std::size_t>(end.ptr - digits)));
}

void OutputSink::writeOut(const char* data, std::size_t size) {
  if (deliver_ != nullptr) {
    if (size != 0) deliver_(std::string_view(data, size), context_);
    return;
  }
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_, data + done, size - done);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR) continue;
      throw OutputError("cannot write output '" + name_ + "': " + std::strerror(err));
    }
    done += static_cast<std::size_t>(n);
  }
}

void OutputSink::drain() {
  const std::size_t size = used_;
  // Emptied first: after a failure the bytes are given up, not retried.
  used_ = 0;
  writeOut(buffer_.get(), size);
  written_ += size;
}

void OutputSink::flush() {
  if (target_ == nullptr && used_ != 0) drain();
}

}  // namespace kolvo
