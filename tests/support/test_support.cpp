#include "support/test_support.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kolvo::test {

std::string kolvoBinary() { return KOLVO_BINARY; }
std::filesystem::path sourceDir() { return KOLVO_SOURCE_DIR; }

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::filesystem::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kolvo-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {

// The program that `env` would start: the first word after its options
// ("-u NAME" takes the next word) and assignments.
std::string programStartedByEnv(const std::vector<std::string>& argv) {
  for (std::size_t i = 1; i < argv.size(); ++i) {
    if (argv[i] == "-u") {
      ++i;
    } else if (!argv[i].starts_with("-") && argv[i].find('=') == std::string::npos) {
      return argv[i];
    }
  }
  return "";
}

}  // namespace

std::string externalProgramRefusal(const std::vector<std::string>& argv) {
  if (std::getenv("KOLVO_NO_EXTERNAL_PROGRAMS") == nullptr || argv.empty()) return "";
  const std::string program = argv.front() == "env" ? programStartedByEnv(argv) : argv.front();
  if (program == kolvoBinary() || program == "sh" || program == "bash") return "";
  return "the quick loop starts no external program, but this test starts '" + program +
         "': give its suite a name that KOLVO_SLOW_SUITES in tests/CMakeLists.txt takes "
         "(a suite that runs readers ends in \"Readers\")";
}

CommandResult runCommand(const std::vector<std::string>& argv, std::string_view input) {
  if (const std::string refusal = externalProgramRefusal(argv); !refusal.empty()) {
    throw std::logic_error(refusal);
  }
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0)
    throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    // Every program started here sees the same date (typed documents name
    // the date they were made, so two runs a second apart would differ)
    // and none of the user's presets; a test that wants either says so
    // through env.
    setenv("SOURCE_DATE_EPOCH", "1767225600", 0);
    unsetenv("KOLVO_OPTIONS");
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  // Feed standard input and drain both outputs together so that no side
  // blocks on a full pipe.
  std::signal(SIGPIPE, SIG_IGN);
  CommandResult result;
  std::size_t fed = 0;
  int inFd = inPipe[1];
  if (input.empty()) {
    close(inFd);
    inFd = -1;
  }
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen || inFd >= 0) {
    pollfd fds[3];
    nfds_t n = 0;
    int outIdx = -1, errIdx = -1, inIdx = -1;
    if (outOpen) { outIdx = static_cast<int>(n); fds[n++] = {outPipe[0], POLLIN, 0}; }
    if (errOpen) { errIdx = static_cast<int>(n); fds[n++] = {errPipe[0], POLLIN, 0}; }
    if (inFd >= 0) { inIdx = static_cast<int>(n); fds[n++] = {inFd, POLLOUT, 0}; }
    if (poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    char buf[65536];
    auto drain = [&](int idx, int fd, bool& open, std::string& into) {
      if (idx < 0 || fds[idx].revents == 0) return;
      ssize_t got = read(fd, buf, sizeof buf);
      if (got <= 0) open = false; else into.append(buf, static_cast<std::size_t>(got));
    };
    drain(outIdx, outPipe[0], outOpen, result.out);
    drain(errIdx, errPipe[0], errOpen, result.err);
    if (inIdx >= 0 && fds[inIdx].revents != 0) {
      ssize_t put = write(inFd, input.data() + fed, input.size() - fed);
      if (put <= 0) fed = input.size(); else fed += static_cast<std::size_t>(put);
      if (fed >= input.size()) { close(inFd); inFd = -1; }
    }
  }
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) result.status = 128 + WTERMSIG(status);
  return result;
}

CommandResult runKolvo(std::vector<std::string> args, std::string_view input) {
  args.insert(args.begin(), kolvoBinary());
  return runCommand(args, input);
}

bool toolAvailable(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    if (access((std::filesystem::path(dir) / name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

}  // namespace kolvo::test
