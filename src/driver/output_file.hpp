#pragma once
// The OUTPUT of the command line. A file is written under a temporary name
// in its own folder and put in place by a rename once it is complete, so
// that until then the old OUTPUT, if any, stays as it was, whatever fails
// and whichever signal ends the program. Streams and devices are written
// as they are.

#include <string>

namespace kolvo {

// How many outputs may be written at once in one process (a batch's
// jobs), each a temporary file the signal handler must know.
inline constexpr unsigned kMaxOutputsAtOnce = 256;

// How the output is written.
enum class OutputWay : unsigned char {
  Replaced,  // a regular file, new or not: a temporary file renamed over it
  Direct,    // standard output, a device such as /dev/full, a pipe: written to
};

class OutputFile {
 public:
  // Opens `path` for writing ("-" is standard output, which must not have
  // been closed). A regular file (also one a symbolic link names) is not
  // touched: a temporary file beside it is opened instead, with the mode
  // the file has, or the one a new file gets. From then on a write to a
  // vanished reader or past the file size limit is an error, not a signal,
  // and SIGINT, SIGTERM and SIGHUP remove the temporary file before the
  // program ends (a signal the caller ignores stays ignored). Throws
  // IoError with the message for the user.
  OutputFile(const std::string& path, bool standardOutputClosed);
  // An output never finished is taken back.
  ~OutputFile() {
    if (!finished_) abandon();
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int fd() const { return fd_; }
  bool isStandardOutput() const { return standard_; }
  // "standard output" or the path as messages show it.
  std::string name() const;
  OutputWay way() const { return temporaryPath_.empty() ? OutputWay::Direct : OutputWay::Replaced; }
  // The temporary file being written, empty when the output is direct.
  const std::string& temporaryPath() const { return temporaryPath_; }

  // Ends the output. A complete file is flushed to the disk, closed and
  // renamed over OUTPUT; any of these can fail (NFS, quotas), and then the
  // temporary file is removed and IoError thrown. An incomplete output is
  // removed and throws nothing.
  void finish(bool complete);

 private:
  void openTemporaryBeside(const std::string& target, bool exists);
  void putInPlace();
  // Removes the temporary file and closes the output.
  void abandon() noexcept;

  std::string path_;
  bool standard_;
  int fd_ = -1;
  std::string target_;         // the file renamed over: the path, or where its links lead
  std::string temporaryPath_;  // empty when written directly
  int slot_ = -1;              // where the signal handler finds temporaryPath_
  bool finished_ = false;
};

}  // namespace kolvo
