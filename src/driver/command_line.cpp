#include "driver/command_line.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "markup/format.hpp"
#include "markup/markup_reference.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {
namespace {

constexpr const char* kUsage =
    "Usage: kolvo FORMAT INPUT OUTPUT OPTION\n"
    "       kolvo --help | --version | --markup-reference [man]\n"
    "Converts INPUT, a text file with Kolvo markup, into OUTPUT.\n"
    "Of FORMAT and OPTION only the second character counts: -h, /h and xh all mean HTML.\n"
    "\n"
    "Formats:\n"
    "  a  AbiWord        d  DocBook 5      h  HTML         r  RTF\n"
    "  l  LaTeX          p  PostScript     P  PDF\n"
    "Options:\n"
    "  s  none (any other letter means none too)\n"
    "  t  small top spacing      T  large top spacing\n"
    "  v  progress trace         V  print the version line first\n"
    "INPUT and OUTPUT may be - for standard input and standard output; then the\n"
    "version line and the progress trace go to standard error.\n"
    "\n"
    "  --help                   print this text\n"
    "  --version                print the version line\n"
    "  --markup-reference       print every tag of the markup as a Markdown table\n"
    "  --markup-reference man   the same table as a tbl table for the manual page\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 wrong command line.\n"
    "Example: kolvo -p letter.txt letter.ps -s\n"
    "The tags and drawing lines are described in kolvo(1) and the README.\n";

void printError(const std::string& message) {
  // Nothing is left to tell when standard error itself fails.
  (void)std::fputs(("kolvo: " + message + "\n").c_str(), stderr);
}

std::string errnoText() { return std::strerror(errno); }

// Writes to a standard stream; a console that cannot be written to does not
// stop the conversion.
class StreamConsole final : public Console {
 public:
  explicit StreamConsole(std::FILE* stream) : stream_(stream) {}
  ~StreamConsole() override { (void)std::fflush(stream_); }
  StreamConsole(const StreamConsole&) = delete;
  StreamConsole& operator=(const StreamConsole&) = delete;
  void print(std::string_view text) override {
    (void)std::fwrite(text.data(), 1, text.size(), stream_);
  }

 private:
  std::FILE* stream_;
};

// After a failure no half-written document may stay behind. A regular file
// is removed; when the output path is a symbolic link the file it points to
// is emptied instead, so the link itself stays. A device such as /dev/full
// or a pipe is left alone.
void discardOutput(const std::string& path, int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (ftruncate(fd, 0) != 0) { /* nothing more can be done */ }
    return;
  }
  unlink(path.c_str());
}

// Which standard descriptors the caller had closed.
struct ClosedStandardStreams {
  bool input = false;
  bool output = false;
};

// A standard descriptor that was closed by the caller is taken by /dev/null,
// so that no file opened later can land on it and receive console text.
ClosedStandardStreams reserveStandardDescriptors() {
  ClosedStandardStreams closed;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    if (fd == STDIN_FILENO) closed.input = true;
    if (fd == STDOUT_FILENO) closed.output = true;
    const int placeholder = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (placeholder >= 0 && placeholder != fd) close(placeholder);
  }
  return closed;
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
  bool throughLink = false;  // the path is a symbolic link: empty its target
};
IncompleteOutput gIncompleteOutput;
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void discardOutputAndDie(int signalNumber) {
  // Only async-signal-safe calls here.
  const IncompleteOutput& pending = gIncompleteOutput;
  if (const char* path = pending.path.load(); path != nullptr) {
    if (pending.throughLink) {
      if (ftruncate(pending.fd, 0) != 0) { /* nothing more can be done */ }
    } else {
      unlink(path);
    }
  }
  (void)std::signal(signalNumber, SIG_DFL);
  (void)std::raise(signalNumber);
}

// Arms the handler for a regular output file; a device or pipe has nothing
// to clean up. A signal the caller ignores (nohup) stays ignored.
void guardIncompleteOutput(const std::string& path, int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
  struct stat link {};
  gIncompleteOutput.throughLink = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
  gIncompleteOutput.fd = fd;
  gIncompleteOutput.path.store(path.c_str());
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action {};
    if (sigaction(signalNumber, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = discardOutputAndDie;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
  }
}

// The output is complete or has been dealt with: signals may end the program
// without touching it again.
void releaseIncompleteOutput() { gIncompleteOutput.path.store(nullptr); }

// discardOutput() for an output whose close() itself failed.
void discardClosedOutput(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (truncate(path.c_str(), 0) != 0) { /* nothing more can be done */ }
    return;
  }
  unlink(path.c_str());
}

// Prints the text of --help, --version or --markup-reference; a standard
// output that was closed or cannot take the text is a failure.
int printToStandardOutput(const std::string& text, bool closed) {
  if (closed) {
    printError("cannot write output 'standard output': " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  const bool written = std::fputs(text.c_str(), stdout) >= 0;
  if (std::fflush(stdout) != 0 || !written) {
    printError("cannot write output 'standard output': " + errnoText());
    return kExitFailure;
  }
  return kExitOk;
}

char secondChar(const char* word) {
  return (word[0] != '\0') ? word[1] : '\0';
}

}  // namespace

const char* usageText() { return kUsage; }

int runCommandLine(int argc, const char* const* argv) {
  const ClosedStandardStreams closedStreams = reserveStandardDescriptors();
  if (argc >= 2 && std::string_view(argv[1]) == "--help") {
    return printToStandardOutput(kUsage, closedStreams.output);
  }
  if (argc >= 2 && std::string_view(argv[1]) == "--version") {
    return printToStandardOutput(versionLine(), closedStreams.output);
  }
  if (argc >= 2 && std::string_view(argv[1]) == "--markup-reference") {
    ReferenceStyle style = ReferenceStyle::Markdown;
    if (argc >= 3 && std::string_view(argv[2]) == "man") {
      style = ReferenceStyle::Roff;
    } else if (argc >= 3) {
      printError("unknown form of the markup reference '" + std::string(argv[2]) +
                 "': leave it out for Markdown, or say man");
      return kExitUsage;
    }
    return printToStandardOutput(markupReference(style), closedStreams.output);
  }
  if (argc < 5) {
    (void)std::fputs(kUsage, stderr);
    return kExitUsage;
  }

  const char letter = secondChar(argv[1]);
  const std::optional<Format> format = formatFromLetter(letter);
  if (!format) {
    printError("unknown format '" + std::string(argv[1]) +
               "': its second character must be one of a (AbiWord), d (DocBook 5), h (HTML), "
               "r (RTF), l (LaTeX), p (PostScript), P (PDF)");
    return kExitUsage;
  }
  const char option = secondChar(argv[4]);
  const std::string inputPath = argv[2];
  const std::string outputPath = argv[3];
  const bool inputIsStdin = inputPath == "-";
  const bool outputIsStdout = outputPath == "-";

  // The input is opened and checked before the output is touched, so that
  // a mistyped input name never costs an existing output file.
  if (inputIsStdin && closedStreams.input) {
    printError("cannot read input 'standard input': " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  const int inFd = inputIsStdin ? STDIN_FILENO : open(inputPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (inFd < 0) {
    printError("cannot open input '" + inputPath + "': " + errnoText());
    return kExitFailure;
  }
  struct stat inStat {};
  if (fstat(inFd, &inStat) != 0) {
    printError("cannot open input '" + inputPath + "': " + errnoText());
    return kExitFailure;
  }
  if (S_ISDIR(inStat.st_mode)) {
    printError("cannot read input '" + inputPath + "': " + std::strerror(EISDIR));
    return kExitFailure;
  }
  if (!outputIsStdout) {
    struct stat outStat {};
    if (stat(outputPath.c_str(), &outStat) == 0 && outStat.st_dev == inStat.st_dev &&
        outStat.st_ino == inStat.st_ino) {
      printError("input '" + inputPath + "' and output '" + outputPath +
                 "' are the same file; nothing was written");
      return kExitFailure;
    }
  } else if (S_ISREG(inStat.st_mode)) {
    // Standard output appended to the input file (">> input") would feed the
    // conversion its own output, without end for a large file.
    struct stat outStat {};
    if (fstat(STDOUT_FILENO, &outStat) == 0 && outStat.st_dev == inStat.st_dev &&
        outStat.st_ino == inStat.st_ino) {
      printError("input '" + inputPath +
                 "' and standard output are the same file; nothing was written");
      return kExitFailure;
    }
  }

  if (outputIsStdout && closedStreams.output) {
    printError("cannot write output 'standard output': " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  const int outFd = outputIsStdout
                        ? STDOUT_FILENO
                        : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (outFd < 0) {
    printError("cannot open output '" + outputPath + "': " + errnoText());
    return kExitFailure;
  }

  // A reader that went away, or a file size limit (ulimit -f), shows up as a
  // write error with its message instead of killing the program half-way.
  (void)std::signal(SIGPIPE, SIG_IGN);
  (void)std::signal(SIGXFSZ, SIG_IGN);
  if (!outputIsStdout) guardIncompleteOutput(outputPath, outFd);

  int status = kExitOk;
  {
    StreamConsole console(outputIsStdout ? stderr : stdout);
    try {
      LineReader in(inFd, inputIsStdin ? "standard input" : inputPath);
      OutputSink out(outFd, outputIsStdout ? "standard output" : outputPath);
      convert(in, out, *format, option, console);
      out.flush();
    } catch (const IoError& e) {
      printError(e.what());
      status = kExitFailure;
    } catch (const std::bad_alloc&) {
      printError("out of memory");
      status = kExitFailure;
    } catch (const std::exception& e) {
      printError(std::string("conversion failed: ") + e.what());
      status = kExitFailure;
    }
  }
  if (!outputIsStdout) {
    // close() can report a write error of its own (NFS, quotas), so the
    // file is judged complete only once it has been closed.
    if (status != kExitOk) discardOutput(outputPath, outFd);
    releaseIncompleteOutput();
    if (close(outFd) != 0 && status == kExitOk) {
      printError("cannot write output '" + outputPath + "': " + errnoText());
      status = kExitFailure;
      discardClosedOutput(outputPath);
    }
  }
  if (!inputIsStdin) close(inFd);
  return status;
}

}  // namespace kolvo
