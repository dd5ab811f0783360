// The output file is written under a temporary name beside OUTPUT and put
// in place by a rename once complete: until then OUTPUT stays as it was.
// Streams and devices are written directly.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "driver/output_file.hpp"
#include "io/io_error.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

void writeSome(const OutputFile& out) {
  ASSERT_EQ(write(out.fd(), "half", 4), 4);
}

// The names in `dir`, to show that no temporary file is left behind.
std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

unsigned modeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777U;
}

TEST(OutputFile, AnExistingFileStaysAsItWasUntilTheOutputIsComplete) {
  TempDir dir;
  const fs::path path = dir / "out.html";
  writeFile(path, "old content");
  {
    OutputFile out(path.string(), false);
    EXPECT_EQ(out.way(), OutputWay::Replaced);
    EXPECT_EQ(out.name(), path.string());
    EXPECT_EQ(fs::path(out.temporaryPath()).parent_path(), dir.path());
    writeSome(out);
    EXPECT_EQ(readFile(path), "old content");
    out.finish(false);
  }
  EXPECT_EQ(readFile(path), "old content");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.html"});
  {
    // Abandoned without finish(): taken back all the same.
    OutputFile out(path.string(), false);
    writeSome(out);
  }
  EXPECT_EQ(readFile(path), "old content");
  {
    OutputFile out(path.string(), false);
    writeSome(out);
    out.finish(true);
  }
  EXPECT_EQ(readFile(path), "half");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.html"});
}

TEST(OutputFile, ANewFileTakesTheUmaskAndAnOldOneKeepsItsMode) {
  TempDir dir;
  const mode_t before = umask(027);
  {
    OutputFile out((dir / "new.txt").string(), false);
    out.finish(true);
  }
  EXPECT_EQ(modeOf(dir / "new.txt"), 0640U);
  // Modes the umask of 027 would not give, set-group-id among them.
  for (const unsigned mode : {0600U, 0666U, 0755U, 02770U}) {
    const fs::path path = dir / "old.txt";
    writeFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
    OutputFile out(path.string(), false);
    writeSome(out);
    out.finish(true);
    EXPECT_EQ(modeOf(path), mode) << std::oct << mode;
    EXPECT_EQ(readFile(path), "half");
  }
  umask(before);
}

TEST(OutputFile, ThroughASymbolicLinkTheFileItNamesIsReplacedAndTheLinkKept) {
  TempDir dir;
  fs::create_directory(dir / "elsewhere");
  const fs::path target = dir / "elsewhere" / "target.html";
  const fs::path link = dir / "link.html";
  const fs::path chain = dir / "chain.html";
  writeFile(target, "old content");
  fs::create_symlink("elsewhere/target.html", link);  // relative to the link's folder
  fs::create_symlink(link, chain);
  {
    OutputFile out(chain.string(), false);
    EXPECT_EQ(fs::path(out.temporaryPath()).parent_path(), dir / "elsewhere");
    writeSome(out);
    out.finish(false);
  }
  EXPECT_EQ(readFile(target), "old content");
  {
    OutputFile out(chain.string(), false);
    writeSome(out);
    out.finish(true);
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(fs::is_symlink(chain));
  EXPECT_EQ(fs::read_symlink(link), "elsewhere/target.html");
  EXPECT_EQ(readFile(target), "half");
  EXPECT_EQ(namesIn(dir / "elsewhere"), std::vector<std::string>{"target.html"});
  // A link to nowhere gets the file it names.
  fs::create_symlink("made.html", dir / "dangling.html");
  {
    OutputFile out((dir / "dangling.html").string(), false);
    writeSome(out);
    out.finish(true);
  }
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.html"));
  EXPECT_EQ(readFile(dir / "made.html"), "half");
}

TEST(OutputFile, DevicesAndStandardOutputAreWrittenDirectly) {
  {
    OutputFile out("/dev/null", false);
    EXPECT_EQ(out.way(), OutputWay::Direct);
    EXPECT_EQ(out.temporaryPath(), "");
    out.finish(false);
  }
  EXPECT_TRUE(fs::exists("/dev/null"));
  // A named pipe has no content to keep: its reader gets the bytes as they come.
  TempDir dir;
  const fs::path fifo = dir / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  {
    OutputFile out(fifo.string(), false);
    EXPECT_EQ(out.way(), OutputWay::Direct);
    writeSome(out);
    out.finish(true);
  }
  std::array<char, 8> got{};
  EXPECT_EQ(read(reader, got.data(), got.size()), 4);
  EXPECT_EQ(std::string(got.data(), 4), "half");
  close(reader);
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"pipe"});
  OutputFile standard("-", false);
  EXPECT_EQ(standard.way(), OutputWay::Direct);
  EXPECT_EQ(standard.fd(), STDOUT_FILENO);
  EXPECT_EQ(standard.name(), "standard output");
  standard.finish(false);
  EXPECT_NE(fcntl(STDOUT_FILENO, F_GETFD), -1) << "standard output was closed";
}

TEST(OutputFile, OpeningFailuresCarryTheMessageAndTouchNothing) {
  TempDir dir;
  const fs::path nowhere = dir / "no" / "out.html";
  try {
    OutputFile out(nowhere.string(), false);
    ADD_FAILURE() << "opened " << nowhere;
  } catch (const IoError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot open output '" + nowhere.string() + "': No such file or directory");
  }
  EXPECT_THROW({ const OutputFile closed("-", true); }, IoError);
  EXPECT_THROW({ const OutputFile empty("", false); }, IoError);
  // A name with control bytes is shown escaped.
  const std::string strange = (dir / "no").string() + "/\x1b[31m\r.html";
  try {
    OutputFile out(strange, false);
    ADD_FAILURE() << "opened the strange name";
  } catch (const IoError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot open output '" + (dir / "no").string() +
                                         "/\\x1b[31m\\r.html': No such file or directory");
  }
  if (geteuid() == 0) return;  // root may write anywhere
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  writeFile(locked / "out.html", "old");
  chmod(locked.c_str(), 0555);
  EXPECT_THROW({ const OutputFile out((locked / "out.html").string(), false); }, IoError);
  chmod(locked.c_str(), 0755);
  EXPECT_EQ(readFile(locked / "out.html"), "old");
}

}  // namespace
}  // namespace kolvo::test
