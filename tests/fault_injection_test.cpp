// Failures from outside: full disks, size limits, closed and broken
// standard streams, unreadable input, signals, and outputs that alias the
// input. Each case checks the message, the exit status and what is left on
// disk. (The plain cases, such as a missing input or an output in a missing
// folder, are in command_line_test.cpp.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "markup/format.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

CommandResult kolvo(std::vector<std::string> args, std::string_view input = {}) {
  return runKolvo(std::move(args), input);
}

// Runs a bash command line in which $K stands for the kolvo binary.
CommandResult shell(const std::string& script) {
  return runCommand({"bash", "-c", "K='" + kolvoBinary() + "'; " + script});
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// The files in `dir` that the output left behind under a temporary name.
std::vector<std::string> temporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    if (name.find(".kolvo-") != std::string::npos) names.push_back(name);
  }
  return names;
}

// Enough text to make every format write well past any buffer and a
// one-block file size limit.
std::string bigDocument() {
  std::string doc;
  for (int i = 0; i < 4000; ++i) doc += "line " + std::to_string(i) + " with %bsbold%be text\n";
  return doc;
}

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolAvailable("bash")) GTEST_SKIP() << "bash is not installed";
    writeFile(in, "Hello %bsworld%be\n");
  }
  TempDir dir;
  fs::path in = dir / "in.txt";
  fs::path out = dir / "out.doc";
};

// ---------------------------------------------------------------------------
// Writes that fail

TEST_F(FaultInjection, FullDiskFailsInEveryFormatWithTheReason) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
  // Small documents fail only when the buffer is flushed at the end, large
  // ones in the middle: both must be reported.
  writeFile(dir / "big.txt", bigDocument());
  for (const FormatInfo& f : kFormats) {
    const std::string format = std::string("-") + f.letter;
    for (const fs::path& input : {in, dir / "big.txt"}) {
      const CommandResult r = kolvo({format, input.string(), "/dev/full", "-s"});
      EXPECT_EQ(r.status, 1) << format;
      EXPECT_EQ(r.err, "kolvo: cannot write output '/dev/full': No space left on device\n")
          << format;
      EXPECT_EQ(r.out, "");
    }
  }
  // The device is written to, never removed.
  struct stat st {};
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(FaultInjection, FullDiskOnStandardOutput) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
  const CommandResult r = shell("\"$K\" -P " + quoted(in) + " - -s > /dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: cannot write output 'standard output': No space left on device\n");
}

TEST_F(FaultInjection, FileSizeLimitMidWayLeavesNoFileAndAnOldOneAsItWas) {
  // ulimit -f counts blocks of 1024 bytes: the first 64 KiB flush already
  // crosses it. Without care the limit's signal would kill the program and
  // leave a truncated document behind.
  writeFile(in, bigDocument());
  for (const bool existing : {false, true}) {
    for (const char* format : {"-h", "-p", "-P"}) {
      if (existing) writeFile(out, "the old version\n");
      const CommandResult r =
          shell("ulimit -f 1; exec \"$K\" " + std::string(format) + " " + quoted(in) + " " +
                quoted(out) + " -s");
      EXPECT_EQ(r.status, 1) << format;
      EXPECT_EQ(r.err, "kolvo: cannot write output '" + out.string() + "': File too large\n");
      EXPECT_EQ(r.out, "");
      if (existing) {
        EXPECT_EQ(readFile(out), "the old version\n") << format;
      } else {
        EXPECT_FALSE(fs::exists(out)) << format;
      }
      EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{}) << format;
    }
  }
}

// A file system of a few blocks, mounted in-process where the test may:
// the disk fills up under the temporary file.
class SmallFileSystem {
 public:
  explicit SmallFileSystem(const fs::path& where) : where_(where) {
    fs::create_directory(where);
    mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) umount2(where_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;
  bool mounted() const { return mounted_; }

 private:
  fs::path where_;
  bool mounted_ = false;
};

TEST_F(FaultInjection, FullDiskLeavesAnOldOutputAsItWas) {
  const SmallFileSystem small(dir / "small");
  if (!small.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (needs CAP_SYS_ADMIN)";
  writeFile(in, bigDocument());
  // No extension: HTML and PDF both go to it without a warning.
  const fs::path kept = dir / "small" / "out";
  writeFile(kept, "the old version\n");
  for (const char* format : {"-h", "-P"}) {
    const CommandResult r = kolvo({format, in.string(), kept.string(), "-s"});
    EXPECT_EQ(r.status, 1) << format;
    EXPECT_EQ(r.err, "kolvo: cannot write output '" + kept.string() +
                         "': No space left on device\n");
    EXPECT_EQ(readFile(kept), "the old version\n") << format;
    EXPECT_EQ(temporaryFilesIn(dir / "small"), std::vector<std::string>{}) << format;
  }
}

TEST_F(FaultInjection, FailedWriteThroughASymbolicLinkKeepsTheTargetAndTheLink) {
  writeFile(in, bigDocument());
  const fs::path target = dir / "target.html";
  const fs::path link = dir / "link.html";
  writeFile(target, "old content");
  fs::create_symlink(target, link);
  const CommandResult r =
      shell("ulimit -f 1; exec \"$K\" -h " + quoted(in) + " " + quoted(link) + " -s");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("File too large"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(target), "old content");
  EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{});
}

TEST_F(FaultInjection, ReadErrorLeavesNoOutputAndAnOldOneAsItWas) {
  // Reading a process's own memory file at offset 0 fails with EIO.
  if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "/proc/self/mem is missing";
  for (const bool existing : {false, true}) {
    if (existing) writeFile(out, "the old version\n");
    const CommandResult r = kolvo({"-h", "/proc/self/mem", out.string(), "-s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kolvo: cannot read input '/proc/self/mem': Input/output error\n");
    if (existing) {
      EXPECT_EQ(readFile(out), "the old version\n");
    } else {
      EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{});
  }
}

// ---------------------------------------------------------------------------
// What a complete output replaces

unsigned modeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777U;
}

TEST_F(FaultInjection, ANewOutputTakesTheUmaskAndAnOldOneKeepsItsMode) {
  const CommandResult made = shell("umask 027; exec \"$K\" -h " + quoted(in) + " " + quoted(out) + " -s");
  EXPECT_EQ(made.status, 0);
  EXPECT_EQ(made.err, "");
  EXPECT_EQ(modeOf(out), 0640U);
  ASSERT_EQ(chmod(out.c_str(), 0751), 0);
  writeFile(in, "Second %bsversion%be\n");
  const CommandResult replaced = shell("umask 077; exec \"$K\" -h " + quoted(in) + " " + quoted(out) + " -s");
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(modeOf(out), 0751U);
  EXPECT_NE(readFile(out).find("Second <b>version</b>"), std::string::npos);
  EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{});
}

TEST_F(FaultInjection, AnOutputReachedThroughALinkKeepsTheLink) {
  fs::create_directory(dir / "real");
  const fs::path target = dir / "real" / "doc.html";
  const fs::path link = dir / "doc.html";
  writeFile(target, "old content");
  fs::create_symlink("real/doc.html", link);
  const CommandResult r = kolvo({"-h", in.string(), link.string(), "-s"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real/doc.html");
  EXPECT_NE(readFile(target).find("Hello <b>world</b>"), std::string::npos);
  EXPECT_EQ(temporaryFilesIn(dir / "real"), std::vector<std::string>{});
  EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{});
}

TEST_F(FaultInjection, OutputThatIsADirectory) {
  const fs::path folder = dir / "folder";
  fs::create_directory(folder);
  writeFile(folder / "kept.txt", "x");
  const CommandResult r = kolvo({"-h", in.string(), folder.string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: cannot open output '" + folder.string() + "': Is a directory\n");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(readFile(folder / "kept.txt"), "x");
}

TEST_F(FaultInjection, ExistingOutputSurvivesEveryInputThatCannotBeOpened) {
  const fs::path folder = dir / "folder";
  fs::create_directory(folder);
  const std::vector<std::pair<std::string, std::string>> inputs = {
      {(dir / "missing.txt").string(), "cannot open input"},
      {folder.string(), "Is a directory"},
      {out.string(), "same file"},
  };
  for (const auto& [input, reason] : inputs) {
    writeFile(out, "precious");
    for (const char* format : {"-h", "-P"}) {
      const CommandResult r = kolvo({format, input, out.string(), "-s"});
      EXPECT_EQ(r.status, 1) << input;
      EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
      EXPECT_EQ(readFile(out), "precious") << input;
    }
  }
}

// ---------------------------------------------------------------------------
// Standard streams

TEST_F(FaultInjection, ClosedStandardOutputAsTheOutputFails) {
  for (const char* format : {"-h", "-P"}) {
    const CommandResult r = shell("\"$K\" " + std::string(format) + " " + quoted(in) + " - -s >&-");
    EXPECT_EQ(r.status, 1) << format;
    EXPECT_EQ(r.err, "kolvo: cannot write output 'standard output': Bad file descriptor\n");
  }
}

TEST_F(FaultInjection, InformationCommandsReportAnOutputTheyCouldNotWrite) {
  for (const char* command : {"--help", "--version", "--markup-reference"}) {
    const CommandResult closed = shell("\"$K\" " + std::string(command) + " >&-");
    EXPECT_EQ(closed.status, 1) << command;
    EXPECT_EQ(closed.err, "kolvo: cannot write output 'standard output': Bad file descriptor\n");
    if (!fs::exists("/dev/full")) continue;
    const CommandResult full = shell("\"$K\" " + std::string(command) + " > /dev/full");
    EXPECT_EQ(full.status, 1) << command;
    EXPECT_EQ(full.err, "kolvo: cannot write output 'standard output': No space left on device\n");
  }
}

TEST_F(FaultInjection, ClosedStandardInputAsTheInputFailsAndTouchesNothing) {
  writeFile(out, "precious");
  const CommandResult r = shell("\"$K\" -h - " + quoted(out) + " -s <&-");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: cannot read input 'standard input': Bad file descriptor\n");
  EXPECT_EQ(readFile(out), "precious");
}

TEST_F(FaultInjection, ConsoleTextNeverLandsInTheDocumentWhenStandardOutputIsClosed) {
  // With standard output closed, the next file opened would get its
  // descriptor; the version line and trace must not end up in the document.
  const CommandResult version =
      shell("\"$K\" -h - " + quoted(out) + " -V >&- < " + quoted(in));
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(readFile(out).find("Version"), std::string::npos);
  const CommandResult trace = shell("\"$K\" -p - " + quoted(out) + " -v >&- < " + quoted(in));
  EXPECT_EQ(trace.status, 0);
  EXPECT_EQ(readFile(out).find("writing line"), std::string::npos);
  EXPECT_EQ(readFile(out).substr(0, 6), "%!PS \n");
}

TEST_F(FaultInjection, ClosedStandardErrorDoesNotCatchTheDocument) {
  const CommandResult r = shell("\"$K\" -h " + quoted(in) + " " + quoted(out) + " -s 2>&-");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(readFile(out).find("Hello <b>world</b>"), std::string::npos);
}

TEST_F(FaultInjection, BrokenPipeEndsWithTheReason) {
  writeFile(in, bigDocument() + bigDocument());
  for (const FormatInfo& f : kFormats) {
    // Every paged format, and two flowing ones to compare.
    if (!f.paged && f.format != Format::AbiWord && f.format != Format::Html) continue;
    const std::string format = std::string("-") + f.letter;
    const CommandResult r = shell("\"$K\" " + format + " " + quoted(in) +
                                  " - -s | { read -r -n 1 _; }; echo \"${PIPESTATUS[0]}\"");
    EXPECT_EQ(r.out, "1\n") << format;
    EXPECT_EQ(r.err, "kolvo: cannot write output 'standard output': Broken pipe\n") << format;
  }
}

// ---------------------------------------------------------------------------
// The output is the input

TEST_F(FaultInjection, InputReachedThroughALinkIsStillTheOutput) {
  const std::string original = readFile(in);
  const fs::path link = dir / "link.txt";
  fs::create_symlink(in, link);
  const CommandResult r = kolvo({"-h", link.string(), in.string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: input '" + link.string() + "' and output '" + in.string() +
                       "' are the same file; nothing was written\n");
  EXPECT_EQ(readFile(in), original);
}

TEST_F(FaultInjection, StandardOutputAppendedToTheInputIsRefused) {
  // Reading a file while appending to it would never end for a large file;
  // the size limit stops a regression before it fills the disk.
  writeFile(in, bigDocument());
  const std::string original = readFile(in);
  const CommandResult r =
      shell("ulimit -f 20000; \"$K\" -h " + quoted(in) + " - -s >> " + quoted(in));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: input '" + in.string() +
                       "' and standard output are the same file; nothing was written\n");
  EXPECT_EQ(readFile(in), original);
}

TEST_F(FaultInjection, StandardStreamsOnTheSameTerminalOrPipeAreNotTheSameFile) {
  // Only regular files are compared: "-" to "-" through pipes works.
  const CommandResult r = kolvo({"-h", "-", "-", "-s"}, "text\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("text  <br />"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Signals

// Starts kolvo reading standard input from a pipe that the test holds open,
// so that the conversion is still running when the signal comes.
struct RunningKolvo {
  pid_t pid = -1;
  int feed = -1;
};

RunningKolvo startFedFromPipe(const std::vector<std::string>& args, bool ignoreHangUp = false) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(fds[0], 0);
    close(fds[0]);
    close(fds[1]);
    if (ignoreHangUp) signal(SIGHUP, SIG_IGN);
    std::vector<char*> argv;
    std::string binary = kolvoBinary();
    argv.push_back(binary.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[0]);
  return {pid, fds[1]};
}

// Feeds text until the output's temporary file in `dir` has received its
// first flush.
void feedUntilWritten(const RunningKolvo& run, const fs::path& dir) {
  const std::string chunk = bigDocument();
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(write(run.feed, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
    for (const std::string& name : temporaryFilesIn(dir)) {
      std::error_code ec;
      if (fs::file_size(dir / name, ec) > 0) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FAIL() << "the output was never written";
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

TEST_F(FaultInjection, InterruptOrTerminateLeavesNoOutputAndAnOldOneAsItWas) {
  for (const bool existing : {false, true}) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
      if (existing) writeFile(out, "the old version\n");
      const RunningKolvo run = startFedFromPipe({"-P", "-", out.string(), "-s"});
      feedUntilWritten(run, dir.path());
      kill(run.pid, sig);
      const int status = waitFor(run.pid);
      close(run.feed);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
      if (existing) {
        EXPECT_EQ(readFile(out), "the old version\n") << sig;
      } else {
        EXPECT_FALSE(fs::exists(out)) << sig;
      }
      EXPECT_EQ(temporaryFilesIn(dir.path()), std::vector<std::string>{}) << sig;
    }
  }
}

TEST_F(FaultInjection, AnIgnoredHangUpStaysIgnored) {
  // Under nohup the conversion goes on and completes.
  const RunningKolvo run = startFedFromPipe({"-h", "-", out.string(), "-s"}, true);
  feedUntilWritten(run, dir.path());
  kill(run.pid, SIGHUP);
  const std::string last = "the last line\n";
  ASSERT_EQ(write(run.feed, last.data(), last.size()), static_cast<ssize_t>(last.size()));
  close(run.feed);
  const int status = waitFor(run.pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string doc = readFile(out);
  EXPECT_NE(doc.find("the last line  <br />\n</body></html>\n"), std::string::npos);
}

}  // namespace
}  // namespace kolvo::test
