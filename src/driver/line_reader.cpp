#include "driver/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/io_error.hpp"

namespace kolvo {
namespace {
constexpr std::size_t kReadSize = std::size_t{64} * 1024;

bool holdsNul(std::string_view bytes) {
  return !bytes.empty() && std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
}
}  // namespace

LineReader::LineReader(int fd, std::string name, std::size_t maxPiece)
    : fd_(fd), maxPiece_(maxPiece), name_(std::move(name)) {
  buffer_.resize(kReadSize);
}

LineReader::LineReader(std::string_view text, std::size_t maxPiece)
    : maxPiece_(maxPiece), eof_(true), started_(true) {
  std::string_view rest = takeMark(text);
  if (utf16_) {
    utf16_->decode(rest, decoded_);
    utf16_->finish(decoded_);
    utf16_.reset();
    rest = decoded_;
  }
  pending_ = rest;
  pendingHasNul_ = holdsNul(pending_);
}

std::size_t LineReader::readSome(char* at, std::size_t room) {
  for (;;) {
    const ssize_t n = ::read(fd_, at, room);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) {
      throw InputError("cannot read input '" + name_ + "': " + std::strerror(errno));
    }
  }
}

std::string_view LineReader::takeMark(std::string_view first) {
  const ByteOrderMark mark = byteOrderMarkOf(first);
  if (mark == ByteOrderMark::Utf16LE || mark == ByteOrderMark::Utf16BE) {
    utf16_.emplace(mark == ByteOrderMark::Utf16BE);
  }
  return first.substr(markSize(mark));
}

bool LineReader::setPending(std::string_view raw) {
  if (utf16_) {
    decoded_.clear();
    utf16_->decode(raw, decoded_);
    raw = decoded_;
  }
  pending_ = raw;
  pendingHasNul_ = holdsNul(raw);
  return !raw.empty();
}

bool LineReader::finishDecoding() {
  if (!utf16_) return false;
  decoded_.clear();
  utf16_->finish(decoded_);
  utf16_.reset();
  pending_ = decoded_;
  pendingHasNul_ = false;
  return !decoded_.empty();
}

bool LineReader::fill() {
  while (!eof_) {
    std::size_t n = readSome(buffer_.data(), buffer_.size());
    if (!started_) {
      // A mark is told by its first three bytes, which a pipe may give out
      // one at a time.
      started_ = true;
      while (n > 0 && n < 3) {
        const std::size_t more = readSome(buffer_.data() + n, buffer_.size() - n);
        if (more == 0) {
          eof_ = true;
          break;
        }
        n += more;
      }
      if (n == 0) break;
      if (setPending(takeMark(std::string_view(buffer_.data(), n)))) return true;
      continue;
    }
    if (n == 0) break;
    if (setPending(std::string_view(buffer_.data(), n))) return true;
  }
  eof_ = true;
  return finishDecoding();
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

bool LineReader::nextBlock(std::string_view& block) {
  if (pending_.empty() && !fill()) return false;
  block = pending_;
  pending_ = {};
  return true;
}

}  // namespace kolvo
