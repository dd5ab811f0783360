#include "driver/output_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "io/io_error.hpp"
#include "io/message_text.hpp"

namespace kolvo {
namespace {

// The temporary files being written, for the handler of the signals that
// end the program (interrupt, terminate, hang-up), so that these leave
// neither a half-written document nor a temporary file. A signal handler
// can reach nothing but globals; this table is the one. A batch writes one
// output per job at once, so it holds a slot per job, each with a buffer
// of its own: the handler may run on any thread while the others go on,
// and must never read a name that its owner is changing or has freed.
//
// Slots rather than O_TMPFILE and linkat: a nameless file needs a second
// name to be renamed over an existing OUTPUT (linkat will not replace a
// file), not every file system has it, and the handler would still have to
// know that second name. A slot goes Free -> Filling (its owner writes the
// name) -> Ready (published); the owner takes it back Ready -> Free. The
// handler claims Ready -> Removing before it reads the name, so a name it
// reads is never being rewritten; the owner that finds its slot Removing
// leaves it so, as the process is ending. A name is published before its
// file is made, so no moment exists at which the file is there and the
// handler does not know it.
enum SlotState : unsigned char { kSlotFree, kSlotFilling, kSlotReady, kSlotRemoving };

struct IncompleteOutputSlot {
  std::atomic<unsigned char> state{kSlotFree};
  std::array<char, PATH_MAX> path{};
};
static_assert(std::atomic<unsigned char>::is_always_lock_free);

std::array<IncompleteOutputSlot, kMaxOutputsAtOnce> gIncompleteOutputs;

constexpr std::array<int, 3> kEndingSignals = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeOutputsAndDie(int signalNumber) {
  // Only async-signal-safe calls here.
  for (IncompleteOutputSlot& slot : gIncompleteOutputs) {
    unsigned char ready = kSlotReady;
    if (slot.state.compare_exchange_strong(ready, kSlotRemoving)) (void)unlink(slot.path.data());
  }
  (void)std::signal(signalNumber, SIG_DFL);
  (void)std::raise(signalNumber);
}

void guardAgainstSignals() {
  for (const int signalNumber : kEndingSignals) {
    struct sigaction action {};
    if (sigaction(signalNumber, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = removeOutputsAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}

// Publishes `path` for the handler; returns its slot, or -1 when every slot
// is taken or the name is too long for one (open() would refuse it too).
int publishIncomplete(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (std::size_t i = 0; i < gIncompleteOutputs.size(); ++i) {
    IncompleteOutputSlot& slot = gIncompleteOutputs[i];
    unsigned char free = kSlotFree;
    if (!slot.state.compare_exchange_strong(free, kSlotFilling)) continue;
    std::memcpy(slot.path.data(), path.c_str(), path.size() + 1);
    slot.state.store(kSlotReady);
    return static_cast<int>(i);
  }
  return -1;
}

void withdrawIncomplete(int index) {
  if (index < 0) return;
  unsigned char ready = kSlotReady;
  // Removing: the handler has the name and the process is ending.
  (void)gIncompleteOutputs[static_cast<std::size_t>(index)].state.compare_exchange_strong(
      ready, kSlotFree);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file `path` names once its symbolic links are followed; a link to
// nowhere names the file it would create.
std::string followLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::array<char, PATH_MAX> buffer{};
    const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size() - 1);
    if (n <= 0) return path;
    const std::string_view target(buffer.data(), static_cast<std::size_t>(n));
    if (target.front() == '/') {
      path = target;
    } else {
      std::string relative = folderOf(path);
      relative += '/';
      relative += target;
      path = std::move(relative);
    }
  }
  return path;
}

std::string openError(const std::string& path, int error) {
  return "cannot open output " + quoted(path) + ": " + std::strerror(error);
}

}  // namespace

OutputFile::OutputFile(const std::string& path, bool standardOutputClosed)
    : path_(path), standard_(path == "-") {
  // A reader that went away, or a file size limit (ulimit -f), shows up as a
  // write error with its message instead of killing the program half-way.
  (void)std::signal(SIGPIPE, SIG_IGN);
  (void)std::signal(SIGXFSZ, SIG_IGN);
  if (standard_) {
    if (standardOutputClosed) {
      throw OutputError("cannot write output 'standard output': " + std::string(std::strerror(EBADF)));
    }
    fd_ = STDOUT_FILENO;
    return;
  }
  struct stat st {};
  const bool exists = stat(path.c_str(), &st) == 0;
  // An empty name names no file, and no folder to make one in.
  if (path.empty()) throw OutputError(openError(path, ENOENT));
  if (!exists || S_ISREG(st.st_mode)) {
    openTemporaryBeside(followLinks(path), exists);
    return;
  }
  // A device, a pipe, or what open() refuses with its own reason (a folder).
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw OutputError(openError(path, errno));
}

void OutputFile::openTemporaryBeside(const std::string& target, bool exists) {
  struct stat st {};
  if (exists) {
    // The file must be one this user may write, as when it was written in
    // place; it stays as it is.
    const int probe = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (probe < 0 || fstat(probe, &st) != 0) {
      const int error = errno;
      if (probe >= 0) close(probe);
      throw OutputError(openError(path_, error));
    }
    close(probe);
  }
  target_ = target;
  // Short enough for any file system's name limit, whatever the base.
  const std::string stem = folderOf(target) + "/." + baseOf(target).substr(0, 200) + ".kolvo-" +
                           std::to_string(getpid()) + "-";
  guardAgainstSignals();
  for (int attempt = 0; fd_ < 0; ++attempt) {
    temporaryPath_ = stem + std::to_string(attempt);
    slot_ = publishIncomplete(temporaryPath_);
    if (slot_ < 0) {
      temporaryPath_.clear();
      throw OutputError(openError(path_, ENFILE));
    }
    // 0666 takes the umask, as a new OUTPUT would; an old one's mode is
    // given back below.
    fd_ = open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd_ >= 0) break;
    const int error = errno;
    withdrawIncomplete(slot_);
    slot_ = -1;
    if (error != EEXIST || attempt >= 100) {
      temporaryPath_.clear();
      throw OutputError(openError(path_, error));
    }
  }
  if (exists) {
    // Owner first: a change of owner may clear the set-id bits of the mode.
    if (fchown(fd_, st.st_uid, st.st_gid) != 0) { /* another user's file: ours it becomes */ }
    if (fchmod(fd_, st.st_mode & 07777) != 0) { /* the umask's mode stays */ }
  }
}

std::string OutputFile::name() const {
  return isStandardOutput() ? "standard output" : printable(path_);
}

void OutputFile::abandon() noexcept {
  finished_ = true;
  if (!temporaryPath_.empty()) {
    (void)unlink(temporaryPath_.c_str());
    withdrawIncomplete(slot_);
    slot_ = -1;
  }
  if (!isStandardOutput() && fd_ >= 0) (void)close(fd_);
  fd_ = -1;
}

void OutputFile::putInPlace() {
  // On the disk before it takes the old file's place: a crash must not
  // leave an empty OUTPUT where a whole one was.
  const int closing = fd_;
  fd_ = -1;
  const bool synced = fdatasync(closing) == 0 || errno == EINVAL || errno == EROFS;
  const int syncError = errno;
  if (close(closing) != 0 || !synced || rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
    const std::string reason = std::strerror(synced ? errno : syncError);
    abandon();
    throw OutputError("cannot write output '" + name() + "': " + reason);
  }
  withdrawIncomplete(slot_);
  slot_ = -1;
}

void OutputFile::finish(bool complete) {
  if (!complete) {
    abandon();
    return;
  }
  finished_ = true;
  if (isStandardOutput()) return;
  if (!temporaryPath_.empty()) {
    putInPlace();
    return;
  }
  const int closing = fd_;
  fd_ = -1;
  if (close(closing) == 0) return;
  throw OutputError("cannot write output '" + name() + "': " + std::strerror(errno));
}

}  // namespace kolvo
