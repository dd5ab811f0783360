#pragma once
// Buffered output that counts every byte it has been given, so that the PDF
// writer can record true object offsets and stream lengths. It writes either
// to a file descriptor or into a string (tests, fuzzing).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include "io/io_error.hpp"
#include <string>
#include <string_view>

namespace kolvo {

class OutputSink {
 public:
  // Writes to `fd`; `name` is used in error messages. The sink does not own
  // or close the descriptor.
  OutputSink(int fd, std::string name);
  // Appends to `*target`.
  explicit OutputSink(std::string* target);
  // Hands every buffered block to `deliver` with `context`, which throws
  // OutputError to stop the run (the library's write callback).
  using Deliver = void (*)(std::string_view bytes, void* context);
  OutputSink(Deliver deliver, void* context);
  ~OutputSink() = default;
  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;

  // Every line goes through these several times, so the common case (room
  // in the buffer) is inline; everything else is writeSlow.
  void write(std::string_view text) {
    const std::size_t size = text.size();
    if (size <= kSmall && capacity_ - used_ > kSmall) {
      copySmall(text.data(), size, buffer_.get() + used_);
      used_ += size;
      return;
    }
    if (size < capacity_ - used_) {
      std::char_traits<char>::copy(buffer_.get() + used_, text.data(), size);
      used_ += size;
      return;
    }
    writeSlow(text);
  }
  // Writes `text` out at once, after what the buffer holds, without
  // copying it into the buffer: for bytes that come already in blocks (a
  // write callback's).
  void writeThrough(std::string_view text);
  void put(char c) {
    if (used_ + 1 < capacity_) {
      buffer_[used_++] = c;
      return;
    }
    writeSlow(std::string_view(&c, 1));
  }
  // Writes `count` copies of `c`.
  void repeat(char c, std::size_t count);
  void writeInt(long long value);

  // Total bytes handed to the sink so far, buffered or not.
  std::uint64_t offset() const { return written_ + used_; }

  // Pushes buffered bytes out; throws IoError on failure.
  void flush();

  // Keeps what is written from now on in `held` rather than sending it
  // out, until resume(): a writer that learns only at the end what some
  // earlier bytes must say (PostScript's page count) writes them then.
  void hold(std::string* held) {
    flush();
    heldTarget_ = target_;
    heldCapacity_ = capacity_;
    target_ = held;
    capacity_ = 0;
  }
  void resume() {
    target_ = heldTarget_;
    capacity_ = heldCapacity_;
  }

 private:
  // Most pieces are a few bytes (a tag's text, the ends of a line, an
  // operator): copied without a call into the library, as two words that
  // may overlap.
  static constexpr std::size_t kSmall = 16;
  // The first and the last word of `size` bytes (at least a word's).
  template <typename Word>
  static void copyAsTwoWords(const char* from, std::size_t size, char* to) {
    Word head = 0;
    Word tail = 0;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + size - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + size - sizeof tail, &tail, sizeof tail);
  }
  static void copySmall(const char* from, std::size_t size, char* to) {
    if (size >= 8) {
      copyAsTwoWords<std::uint64_t>(from, size, to);
    } else if (size >= 4) {
      copyAsTwoWords<std::uint32_t>(from, size, to);
    } else if (size > 0) {
      to[0] = from[0];
      to[size / 2] = from[size / 2];
      to[size - 1] = from[size - 1];
    }
  }

  void writeSlow(std::string_view text);
  void drain();
  // Writes `size` bytes at `data` to the descriptor; throws IoError.
  void writeOut(const char* data, std::size_t size);

  int fd_ = -1;
  std::string name_;
  Deliver deliver_ = nullptr;
  void* context_ = nullptr;
  std::string* target_ = nullptr;
  // The buffer of a descriptor sink; a string sink has none (capacity 0),
  // so all its writes take the slow path.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
  // What hold() puts aside until resume().
  std::string* heldTarget_ = nullptr;
  std::size_t heldCapacity_ = 0;
};

}  // namespace kolvo
