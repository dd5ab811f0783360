#include "driver/command_line.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
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
    "Converts INPUT, a text file with Kolvo markup, into OUTPUT.\n"
    "Of FORMAT and OPTION only the second character counts (-h, -s, ...).\n"
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
    "  kolvo --help      print this text\n"
    "  kolvo --version   print the version line\n"
    "  kolvo --markup-reference   print every tag of the markup as a Markdown table\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 wrong command line.\n";

void printError(const std::string& message) {
  std::fputs(("kolvo: " + message + "\n").c_str(), stderr);
}

std::string errnoText() { return std::strerror(errno); }

// Writes to a standard stream; a console that cannot be written to does not
// stop the conversion.
class StreamConsole final : public Console {
 public:
  explicit StreamConsole(std::FILE* stream) : stream_(stream) {}
  ~StreamConsole() override { std::fflush(stream_); }
  StreamConsole(const StreamConsole&) = delete;
  StreamConsole& operator=(const StreamConsole&) = delete;
  void print(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stream_); }

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

char secondChar(const char* word) {
  return (word[0] != '\0') ? word[1] : '\0';
}

}  // namespace

const char* usageText() { return kUsage; }

int runCommandLine(int argc, const char* const* argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(kUsage, stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
  }
  if (argc >= 2 && std::string_view(argv[1]) == "--version") {
    std::fputs(versionLine().c_str(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
  }
  if (argc >= 2 && std::string_view(argv[1]) == "--markup-reference") {
    std::fputs(markupReference().c_str(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
  }
  if (argc < 5) {
    std::fputs(kUsage, stderr);
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
  }

  const int outFd = outputIsStdout
                        ? STDOUT_FILENO
                        : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (outFd < 0) {
    printError("cannot open output '" + outputPath + "': " + errnoText());
    return kExitFailure;
  }

  // A reader that went away shows up as a write error, not as a signal.
  std::signal(SIGPIPE, SIG_IGN);

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
    }
  }
  if (!outputIsStdout) {
    // close() can report a write error of its own (NFS, quotas).
    if (status != kExitOk) discardOutput(outputPath, outFd);
    if (close(outFd) != 0 && status == kExitOk) {
      printError("cannot write output '" + outputPath + "': " + errnoText());
      status = kExitFailure;
      struct stat st {};
      if (lstat(outputPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(outputPath.c_str());
    }
  }
  if (!inputIsStdin) close(inFd);
  return status;
}

}  // namespace kolvo
