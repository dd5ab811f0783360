// The output file decides when it is opened what becomes of it if the
// conversion fails: removed, emptied through its link, or left alone.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include "driver/output_file.hpp"
#include "support/test_support.hpp"
#include "writers/output_sink.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

void writeSome(const OutputFile& out) {
  ASSERT_EQ(write(out.fd(), "half", 4), 4);
}

TEST(OutputFile, ARegularFileIsRemovedWhenIncompleteAndKeptWhenComplete) {
  TempDir dir;
  const fs::path path = dir / "out.html";
  writeFile(path, "old content");
  {
    OutputFile out(path.string(), false);
    EXPECT_EQ(out.disposal(), Disposal::Remove);
    EXPECT_EQ(out.name(), path.string());
    EXPECT_EQ(readFile(path), "");  // opening empties it
    writeSome(out);
    out.finish(false);
  }
  EXPECT_FALSE(fs::exists(path));
  {
    OutputFile out(path.string(), false);
    writeSome(out);
    out.finish(true);
  }
  EXPECT_EQ(readFile(path), "half");
  {
    // Abandoned without finish(): taken back all the same.
    OutputFile out(path.string(), false);
    writeSome(out);
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST(OutputFile, ThroughASymbolicLinkTheTargetIsEmptiedAndTheLinkKept) {
  TempDir dir;
  const fs::path target = dir / "target.html";
  const fs::path link = dir / "link.html";
  writeFile(target, "old content");
  fs::create_symlink(target, link);
  {
    OutputFile out(link.string(), false);
    EXPECT_EQ(out.disposal(), Disposal::EmptyTarget);
    writeSome(out);
    out.finish(false);
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(target), "");
}

TEST(OutputFile, DevicesAndStandardOutputAreLeftAlone) {
  {
    OutputFile out("/dev/null", false);
    EXPECT_EQ(out.disposal(), Disposal::Leave);
    out.finish(false);
  }
  EXPECT_TRUE(fs::exists("/dev/null"));
  OutputFile standard("-", false);
  EXPECT_EQ(standard.disposal(), Disposal::Leave);
  EXPECT_EQ(standard.fd(), STDOUT_FILENO);
  EXPECT_EQ(standard.name(), "standard output");
  standard.finish(false);
  EXPECT_NE(fcntl(STDOUT_FILENO, F_GETFD), -1) << "standard output was closed";
}

TEST(OutputFile, OpeningFailuresCarryTheMessage) {
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
}

}  // namespace
}  // namespace kolvo::test
