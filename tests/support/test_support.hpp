#pragma once
// Helpers shared by the test files: files, temporary folders, running the
// kolvo binary and the programs that read its output.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kolvo::test {

std::string kolvoBinary();
std::filesystem::path sourceDir();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view content);

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs argv[0] (searched in PATH) with the given arguments, feeding `input`
// on standard input, and collects both output streams.
// In the quick loop (ctest -LE slow sets KOLVO_NO_EXTERNAL_PROGRAMS) it
// throws instead of starting anything but the kolvo binary, or sh, bash or
// env launching it (redirections, limits, an environment) or the completion
// script: a test that starts a reader belongs in a slow suite, see
// KOLVO_SLOW_SUITES in tests/CMakeLists.txt.
CommandResult runCommand(const std::vector<std::string>& argv, std::string_view input = {});

// Why runCommand may not start `argv` in the quick loop, or "" if it may.
std::string externalProgramRefusal(const std::vector<std::string>& argv);

// Runs the kolvo binary under test with the given arguments.
CommandResult runKolvo(std::vector<std::string> args, std::string_view input = {});

// True when `name` is an executable in PATH.
bool toolAvailable(const std::string& name);

}  // namespace kolvo::test

// Skips the current test, saying why, when a consumer program is missing.
#define KOLVO_REQUIRE_TOOL(name)                                                  \
  do {                                                                            \
    if (!::kolvo::test::toolAvailable(name)) GTEST_SKIP() << (name) << " is not installed"; \
  } while (0)
