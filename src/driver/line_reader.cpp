#include "driver/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/io_error.hpp"

namespace kolvo {
namespace {
constexpr std::size_t kReadSize = std::size_t{64} * 1024;
}

LineReader::LineReader(int fd, std::string name, std::size_t maxPiece)
    : fd_(fd), maxPiece_(maxPiece), name_(std::move(name)) {
  buffer_.resize(kReadSize);
}

LineReader::LineReader(std::string_view text, std::size_t maxPiece)
    : maxPiece_(maxPiece),
      pending_(text),
      eof_(true),
      pendingHasNul_(!text.empty() && std::memchr(text.data(), '\0', text.size()) != nullptr) {}

bool LineReader::fill() {
  if (eof_) return false;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw InputError("cannot read input '" + name_ + "': " + std::strerror(errno));
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    pending_ = std::string_view(buffer_.data(), static_cast<std::size_t>(n));
    pendingHasNul_ = std::memchr(pending_.data(), '\0', pending_.size()) != nullptr;
    return true;
  }
}

bool LineReader::next(std::string& line) {
  line.clear();
  pieceMayHoldNul_ = false;
  // A piece may straddle two reads of the file.
  while (line.size() < maxPiece_) {
    if (pending_.empty() && !fill()) break;
    pieceMayHoldNul_ = pieceMayHoldNul_ || pendingHasNul_;
    const std::size_t room = maxPiece_ - line.size();
    const std::size_t window = pending_.size() < room ? pending_.size() : room;
    const std::size_t feed = pending_.substr(0, window).find('\n');
    if (feed != std::string_view::npos) {
      line.append(pending_.substr(0, feed + 1));
      pending_.remove_prefix(feed + 1);
      return true;
    }
    line.append(pending_.substr(0, window));
    pending_.remove_prefix(window);
  }
  return !line.empty();
}

}  // namespace kolvo
