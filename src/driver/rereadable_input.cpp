#include "driver/rereadable_input.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "io/io_error.hpp"
#include "io/message_text.hpp"

namespace kolvo {
namespace {

constexpr std::size_t kCopyBlock = std::size_t{64} * 1024;

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && folder[0] != '\0' ? folder : "/tmp";
}

void writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw InputError("cannot copy the input to a temporary file: " + std::string(std::strerror(errno)));
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

RereadableInput::RereadableInput(int fd, const std::string& name) : fd_(fd) {
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && lseek(fd, 0, SEEK_CUR) == 0) return;
  spool(fd, name);
}

RereadableInput::~RereadableInput() {
  if (owned_) close(fd_);
}

void RereadableInput::spool(int from, const std::string& name) {
  std::string pattern = temporaryFolder() + "/kolvo-input-XXXXXX";
  std::vector<char> path(pattern.begin(), pattern.end());
  path.push_back('\0');
  const int temp = mkstemp(path.data());
  if (temp < 0) {
    throw InputError("cannot make a temporary file in " + printable(temporaryFolder()) + ": " + std::strerror(errno));
  }
  unlink(path.data());  // nameless from now on: nothing is left behind
  fd_ = temp;
  owned_ = true;
  std::vector<char> block(kCopyBlock);
  for (;;) {
    const ssize_t n = read(from, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw InputError("cannot read input '" + name + "': " + std::strerror(errno));
    if (n == 0) break;
    writeAll(temp, block.data(), static_cast<std::size_t>(n));
  }
  rewind();
}

void RereadableInput::rewind() {
  if (lseek(fd_, 0, SEEK_SET) != 0) {
    throw InputError("cannot read the input a second time: " + std::string(std::strerror(errno)));
  }
}

}  // namespace kolvo
