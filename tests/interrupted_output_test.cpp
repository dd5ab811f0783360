// A conversion of a large input ended by SIGTERM or SIGINT at a random
// moment leaves OUTPUT either as it was before, byte for byte, or complete,
// and never a temporary file beside it. Slow (HugeInput): each of the
// hundred runs converts up to 200 MB.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A signal this test sends must reach kolvo with its default action, as
// from a terminal, even when the test itself was started with it ignored.
pid_t startConversion(const fs::path& in, const fs::path& out) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  std::string binary = kolvoBinary();
  std::string format = "-h", input = in.string(), output = out.string(), option = "-s";
  char* argv[] = {binary.data(), format.data(), input.data(), output.data(), option.data(),
                  nullptr};
  execv(argv[0], argv);
  _exit(127);
}

int waitFor(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

// The names in `dir` but the input and the output.
std::vector<std::string> othersIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename();
    if (name != "in.txt" && name != "out.html") names.push_back(name);
  }
  return names;
}

// The same size and the same bytes at both ends: a complete conversion.
bool looksComplete(const fs::path& out, std::uintmax_t size, const std::string& ending) {
  std::error_code ec;
  if (fs::file_size(out, ec) != size) return false;
  const std::string doc = readFile(out);
  return doc.ends_with(ending);
}

TEST(HugeInput, SignalsAtRandomMomentsLeaveTheOldOutputOrTheNewOneAndNoTemporaryFile) {
  TempDir dir;
  const fs::path in = dir / "in.txt";
  const fs::path out = dir / "out.html";
  std::string text;
  const std::string line = "A line of prose with %bsbold%be and %isitalic%ie text, and more.\n";
  while (text.size() < 200U * 1000U * 1000U) text += line;
  writeFile(in, text);
  text.clear();
  text.shrink_to_fit();
  // One whole run gives the complete output and how long a run takes.
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(waitFor(startConversion(in, out)), 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  const std::uintmax_t size = fs::file_size(out);
  const std::string ending = "</body></html>\n";
  ASSERT_TRUE(looksComplete(out, size, ending));

  const std::string old = "the old version\n";
  std::random_device seeder;
  const unsigned seed = seeder();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> moment(0, whole.count() * 11 / 10);
  int interrupted = 0;
  for (int run = 0; run < 100; ++run) {
    writeFile(out, old);
    const int sig = run % 2 == 0 ? SIGTERM : SIGINT;
    const pid_t pid = startConversion(in, out);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    kill(pid, sig);
    const int status = waitFor(pid);
    if (WIFSIGNALED(status)) {
      ASSERT_EQ(WTERMSIG(status), sig) << "run " << run;
      // A signal after the rename ends a program whose output is complete.
      const bool complete = looksComplete(out, size, ending);
      ASSERT_TRUE(complete || readFile(out) == old) << "run " << run;
      interrupted += complete ? 0 : 1;
    } else {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << run;
      ASSERT_TRUE(looksComplete(out, size, ending)) << "run " << run;
    }
    ASSERT_EQ(othersIn(dir.path()), std::vector<std::string>{}) << "run " << run;
  }
  // Most moments fall inside a run; were none to, nothing was shown.
  EXPECT_GE(interrupted, 25) << "of 100 runs";
}

}  // namespace
}  // namespace kolvo::test
