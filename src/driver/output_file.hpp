#pragma once
// The OUTPUT of the command line. How a failed output is taken back is
// decided once, when it is opened, and used alike by the failure paths and
// by the handler of the signals that end the program.

#include <string>

namespace kolvo {

// What becomes of an output that could not be completed.
enum class Disposal : unsigned char {
  Remove,       // a regular file: removed
  EmptyTarget,  // a symbolic link to a regular file: the link stays, the file is emptied
  Leave,        // standard output, a device such as /dev/full, a pipe: left alone
};

class OutputFile {
 public:
  // Opens `path` for writing ("-" is standard output, which must not have
  // been closed). From then on a write to a vanished reader or past the file
  // size limit is an error, not a signal, and SIGINT, SIGTERM and SIGHUP
  // take back the output before the program ends (a signal the caller
  // ignores stays ignored). Throws IoError with the message for the user.
  OutputFile(const std::string& path, bool standardOutputClosed);
  // An output never finished is taken back.
  ~OutputFile() {
    if (!finished_) abandon();
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int fd() const { return fd_; }
  bool isStandardOutput() const { return standard_; }
  // "standard output" or the path, for write error messages.
  std::string name() const { return isStandardOutput() ? "standard output" : path_; }
  Disposal disposal() const { return disposal_; }

  // Ends the output: an incomplete one is taken back, then the file is
  // closed. close() can report a write error of its own (NFS, quotas), so a
  // complete file is judged only once it has been closed: on failure it is
  // taken back and IoError thrown. An incomplete output throws nothing.
  void finish(bool complete);

 private:
  void guardAgainstSignals() const;
  // Takes back the output and closes it.
  void abandon() noexcept;

  std::string path_;
  bool standard_;
  int fd_ = -1;
  Disposal disposal_ = Disposal::Leave;
  bool finished_ = false;
};

}  // namespace kolvo
