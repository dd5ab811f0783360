#include "driver/output_file.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "writers/output_sink.hpp"

namespace kolvo {
namespace {

// Takes back an incomplete output. Async-signal-safe; `fd` is -1 once the
// file has been closed.
void dispose(Disposal disposal, const char* path, int fd) {
  switch (disposal) {
    case Disposal::Remove:
      (void)unlink(path);
      return;
    case Disposal::EmptyTarget:
      if ((fd >= 0 ? ftruncate(fd, 0) : truncate(path, 0)) != 0) { /* nothing more can be done */ }
      return;
    case Disposal::Leave:
      return;
  }
}

// The output file while it is being written, for the handler of the signals
// that end the program (interrupt, terminate, hang-up), so that these too
// leave no half-written document. A signal handler can reach nothing but
// globals; this is the one, set once the output is open and cleared before
// it is closed.
// `path` is stored last and cleared first; as a lock-free atomic it is safe
// to read in the handler.
struct IncompleteOutput {
  std::atomic<const char*> path{nullptr};
  int fd = -1;
  Disposal disposal = Disposal::Leave;
};
IncompleteOutput gIncompleteOutput;
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void disposeOutputAndDie(int signalNumber) {
  // Only async-signal-safe calls here.
  const IncompleteOutput& pending = gIncompleteOutput;
  if (const char* path = pending.path.load(); path != nullptr) {
    dispose(pending.disposal, path, pending.fd);
  }
  (void)std::signal(signalNumber, SIG_DFL);
  (void)std::raise(signalNumber);
}

int openForWriting(const std::string& path, bool standardOutputClosed) {
  if (path == "-") {
    if (!standardOutputClosed) return STDOUT_FILENO;
    throw OutputError("cannot write output 'standard output': " + std::string(std::strerror(EBADF)));
  }
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw OutputError("cannot open output '" + path + "': " + std::strerror(errno));
  return fd;
}

// Decides what becomes of the output `fd`, opened as `path`, if it cannot
// be completed.
Disposal disposalOf(const std::string& path, int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Disposal::Leave;
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return Disposal::EmptyTarget;
  return Disposal::Remove;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, bool standardOutputClosed)
    : path_(path), standard_(path == "-"), fd_(openForWriting(path, standardOutputClosed)) {
  // Standard output is the caller's, whatever it is.
  if (!isStandardOutput()) disposal_ = disposalOf(path_, fd_);
  // A reader that went away, or a file size limit (ulimit -f), shows up as a
  // write error with its message instead of killing the program half-way.
  (void)std::signal(SIGPIPE, SIG_IGN);
  (void)std::signal(SIGXFSZ, SIG_IGN);
  if (disposal_ != Disposal::Leave) guardAgainstSignals();
}

void OutputFile::guardAgainstSignals() const {
  gIncompleteOutput.disposal = disposal_;
  gIncompleteOutput.fd = fd_;
  gIncompleteOutput.path.store(path_.c_str());
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    if (sigaction(signalNumber, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = disposeOutputAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}

void OutputFile::abandon() noexcept {
  finished_ = true;
  dispose(disposal_, path_.c_str(), fd_);
  gIncompleteOutput.path.store(nullptr);
  if (!isStandardOutput()) (void)close(fd_);
  fd_ = -1;
}

void OutputFile::finish(bool complete) {
  if (!complete) {
    abandon();
    return;
  }
  finished_ = true;
  // The output is complete: signals may end the program without touching
  // it again.
  gIncompleteOutput.path.store(nullptr);
  if (isStandardOutput()) return;
  const int closing = fd_;
  fd_ = -1;
  if (close(closing) == 0) return;
  const std::string reason = std::strerror(errno);
  dispose(disposal_, path_.c_str(), -1);
  throw OutputError("cannot write output '" + path_ + "': " + reason);
}

}  // namespace kolvo
