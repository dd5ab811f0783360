// The kolvo binary as a user runs it: arguments, messages, exit statuses and
// what is left on disk when something goes wrong. (Full disks, broken pipes
// and the other failures from outside are in fault_injection_test.cpp.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "markup/format.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

CommandResult kolvo(std::vector<std::string> args, std::string_view input = {}) {
  return runKolvo(std::move(args), input);
}

class CommandLine : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path in = dir / "in.txt";
  fs::path out = dir / "out.html";
  void SetUp() override { writeFile(in, "Hello %bsworld%be\n"); }
};

TEST_F(CommandLine, HelpAndVersion) {
  const CommandResult help = kolvo({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find(
                "Usage: kolvo [--escape] [--paper SIZE] [--font FILE] FORMAT INPUT OUTPUT OPTION"),
            std::string::npos);
  EXPECT_EQ(help.err, "");
  const CommandResult version = kolvo({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Version 0.9.0 b 2026 \n");
}

TEST_F(CommandLine, TooFewArgumentsShowUsageAndTouchNothing) {
  for (auto args : {std::vector<std::string>{}, {"-h"}, {"-h", in.string()},
                    {"-h", in.string(), out.string()}}) {
    const CommandResult r = kolvo(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Usage: kolvo"), std::string::npos);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(CommandLine, UnknownFormatNamesEveryLetter) {
  for (std::string word : {"-H", "-x", "h", "", "-"}) {
    const CommandResult r = kolvo({word, in.string(), out.string(), "-s"});
    EXPECT_EQ(r.status, 2) << word;
    std::size_t at = 0;
    for (const FormatInfo& f : kFormats) {
      const std::string entry = std::string(1, f.letter) + " (" + std::string(f.name) + ")";
      at = r.err.find(entry, at);
      ASSERT_NE(at, std::string::npos) << entry << " in table order: " << r.err;
    }
    EXPECT_FALSE(fs::exists(out));
  }
}

TEST_F(CommandLine, OnlyTheSecondCharacterOfFormatAndOptionCounts) {
  ASSERT_EQ(kolvo({"-h", in.string(), out.string(), "-s"}).status, 0);
  const std::string expected = readFile(out);
  const std::string longWord(300, 'h');
  for (const std::string& word : std::vector<std::string>{"/h", "xh", "-hello", longWord}) {
    ASSERT_EQ(kolvo({word, in.string(), out.string(), "-s", "extra", "args"}).status, 0);
    EXPECT_TRUE(sameBytes(expected, readFile(out))) << word;
  }
  for (const std::string& option : std::vector<std::string>{"-x", "v", "", std::string(300, 's')}) {
    const CommandResult r = kolvo({"-h", in.string(), out.string(), option});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(sameBytes(expected, readFile(out)));
  }
}

TEST_F(CommandLine, VersionOptionPrintsTheLineAndWritesTheSameFile) {
  const CommandResult r = kolvo({"-h", in.string(), out.string(), "-V"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Version 0.9.0 b 2026 \n");
  const std::string withVersion = readFile(out);
  kolvo({"-h", in.string(), out.string(), "-s"});
  EXPECT_TRUE(sameBytes(withVersion, readFile(out)));
}

TEST_F(CommandLine, ProgressTraceForFlowingText) {
  writeFile(in, "one\n$sl 1 030 400 565 400\nthree\n");
  const CommandResult r = kolvo({"-h", in.string(), out.string(), "-v"});
  EXPECT_EQ(r.out, ".........");
  EXPECT_EQ(readFile(out).find("$s"), std::string::npos);
}

TEST_F(CommandLine, MissingInputLeavesAnExistingOutputAlone) {
  writeFile(out, "precious");
  const fs::path missing = dir / "missing.txt";
  const CommandResult r = kolvo({"-h", missing.string(), out.string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: cannot open input '" + missing.string() +
                       "': No such file or directory\n");
  EXPECT_EQ(readFile(out), "precious");
  const fs::path fresh = dir / "fresh.html";
  EXPECT_EQ(kolvo({"-h", missing.string(), fresh.string(), "-s"}).status, 1);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(CommandLine, InputThatIsADirectory) {
  const CommandResult r = kolvo({"-h", dir.path().string(), out.string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Is a directory"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(CommandLine, SameFileForInputAndOutputIsRefused) {
  const std::string original = readFile(in);
  fs::create_symlink(in, dir / "link.txt");
  fs::create_hard_link(in, dir / "hard.txt");
  for (const fs::path& alias : {in, dir / "link.txt", dir / "hard.txt"}) {
    const CommandResult r = kolvo({"-h", in.string(), alias.string(), "-s"});
    EXPECT_EQ(r.status, 1) << alias;
    EXPECT_NE(r.err.find("same file"), std::string::npos);
    EXPECT_EQ(readFile(in), original);
  }
  // Standard input redirected from the output file is refused as well.
  const CommandResult r = runCommand(
      {"sh", "-c", "'" + kolvoBinary() + "' -h - '" + in.string() + "' -s < '" + in.string() + "'"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(readFile(in), original);
}

TEST_F(CommandLine, OutputThatCannotBeOpened) {
  const fs::path nowhere = dir / "no" / "such" / "dir.html";
  const CommandResult r = kolvo({"-h", in.string(), nowhere.string(), "-s"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "kolvo: cannot open output '" + nowhere.string() +
                       "': No such file or directory\n");
}

TEST_F(CommandLine, StandardStreamsKeepTheDocumentClean) {
  const CommandResult r = kolvo({"-h", "-", "-", "-v"}, "a\nb\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "<html>\n<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n"
                   "a  <br />\nb  <br />\n</body></html>\n");
  EXPECT_EQ(r.err, "......");
  const CommandResult v = kolvo({"-h", "-", "-", "-V"}, "");
  EXPECT_EQ(v.err, "Version 0.9.0 b 2026 \n");
  EXPECT_EQ(v.out.find("Version"), std::string::npos);
}

TEST_F(CommandLine, LongLinesAreSplitIntoPiecesOf559Bytes) {
  writeFile(in, std::string(600, 'x') + "\n");
  ASSERT_EQ(kolvo({"-h", in.string(), out.string(), "-s"}).status, 0);
  const std::string doc = readFile(out);
  EXPECT_NE(doc.find("\n" + std::string(559, 'x') + " <br />\n" + std::string(41, 'x') +
                     "  <br />\n"),
            std::string::npos);
}

}  // namespace
}  // namespace kolvo::test
