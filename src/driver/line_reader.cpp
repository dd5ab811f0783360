#include "driver/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/io_error.hpp"
#include "text/utf16_decoding.hpp"

namespace kolvo {
namespace {
constexpr std::size_t kReadSize = std::size_t{64} * 1024;

// How much of the text's start tells a binary file from text, and how many
// control bytes in it make one: text has tabs, line ends, form feeds and
// the odd escape sequence; compressed or compiled data has a control byte
// in about every tenth.
constexpr std::size_t kInspectedBytes = kReadSize;
constexpr std::size_t kLeastControls = 8;
constexpr std::size_t kControlShare = 20;  // one in this many bytes

bool holdsNul(std::string_view bytes) {
  return !bytes.empty() && std::memchr(bytes.data(), '\0', bytes.size()) != nullptr;
}

bool isOddControl(unsigned char byte) {
  return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
          byte != 0x1B) ||
         byte == 0x7F;
}
}  // namespace

LineReader::LineReader(int fd, std::string name, std::size_t maxPiece,
                       std::unique_ptr<InputDecoder> decoder)
    : fd_(fd), maxPiece_(maxPiece), name_(std::move(name)), decoder_(std::move(decoder)) {
  buffer_.resize(kReadSize);
}

LineReader::LineReader(std::string_view text, std::size_t maxPiece,
                       std::unique_ptr<InputDecoder> decoder)
    : maxPiece_(maxPiece), eof_(true), started_(true), decoder_(std::move(decoder)) {
  std::string_view rest = decoder_ ? text : takeMark(text);
  if (decoder_) {
    decoder_->decode(rest, decoded_);
    decoder_->finish(decoded_);
    decoder_.reset();
    rest = decoded_;
  }
  pending_ = rest;
  pendingHasNul_ = holdsNul(pending_);
  inspect(pending_);
}

void LineReader::inspect(std::string_view text) {
  if (inspected_ >= kInspectedBytes) return;
  text = text.substr(0, kInspectedBytes - inspected_);
  inspected_ += text.size();
  for (const char c : text) controls_ += isOddControl(static_cast<unsigned char>(c)) ? 1U : 0U;
  looksBinary_ = looksBinary_ || holdsNul(text) ||
                 (controls_ >= kLeastControls && controls_ * kControlShare >= inspected_);
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
  if (decoder_) return first;
  const ByteOrderMark mark = byteOrderMarkOf(first);
  if (mark == ByteOrderMark::Utf16LE || mark == ByteOrderMark::Utf16BE) {
    decoder_ = std::make_unique<Utf16Decoder>(mark == ByteOrderMark::Utf16BE);
  }
  return first.substr(markSize(mark));
}

bool LineReader::setPending(std::string_view raw) {
  if (decoder_) {
    decoded_.clear();
    decoder_->decode(raw, decoded_);
    raw = decoded_;
  }
  pending_ = raw;
  pendingHasNul_ = holdsNul(raw);
  inspect(raw);
  return !raw.empty();
}

bool LineReader::finishDecoding() {
  if (!decoder_) return false;
  decoded_.clear();
  decoder_->finish(decoded_);
  decoder_.reset();
  pending_ = decoded_;
  pendingHasNul_ = holdsNul(decoded_);
  inspect(decoded_);
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
  pieceAsRead_ = {};
  // A piece may straddle two reads of the file.
  while (line.size() < maxPiece_) {
    if (pending_.empty() && !fill()) break;
    pieceMayHoldNul_ = pieceMayHoldNul_ || pendingHasNul_;
    const std::size_t room = maxPiece_ - line.size();
    const std::size_t window = pending_.size() < room ? pending_.size() : room;
    const std::size_t feed = pending_.substr(0, window).find('\n');
    if (feed != std::string_view::npos) {
      if (line.empty()) pieceAsRead_ = pending_.substr(0, feed + 1);
      line.append(pending_.substr(0, feed + 1));
      pending_.remove_prefix(feed + 1);
      return true;
    }
    if (line.empty() && window == maxPiece_) pieceAsRead_ = pending_.substr(0, window);
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
