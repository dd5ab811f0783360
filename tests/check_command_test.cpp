// `kolvo --check` as a user runs it: findings on standard output, the
// summary on standard error, and exit statuses a script can rely on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

class CheckCommand : public ::testing::Test {
 protected:
  TempDir dir;
  std::string file(std::string_view name, std::string_view text) {
    writeFile(dir / name, text);
    return (dir / name).string();
  }
};

TEST_F(CheckCommand, CleanDocumentExitsZero) {
  const std::string letter = file("letter.txt", "%BsA letter%Be\nDear reader, %bsthanks%be.\n");
  const CommandResult r = runKolvo({"--check", letter});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "kolvo: no problems in " + letter + "\n");
}

TEST_F(CheckCommand, FindingsGoToStandardOutputAndTheSummaryToStandardError) {
  const std::string letter = file("letter.txt", "Dear %bSreader\n%bsbold\n");
  const CommandResult r = runKolvo({"--check", "-d", letter});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, letter +
                       ":1:6: warning: unknown tag %bS, shown as typed (did you mean %Bs, %bs or "
                       "%be?)\n" +
                       letter +
                       ":2:1: warning: %bs (bold on) is not closed on its line (every line is a "
                       "paragraph): in DocBook the conversion balances the line's elements\n");
  EXPECT_EQ(r.err, "kolvo: 2 warnings in " + letter + "\n");
}

TEST_F(CheckCommand, NotesAloneExitZero) {
  const std::string letter = file("letter.txt", "text%be\n");
  const CommandResult r = runKolvo({"--check", "-h", letter});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "kolvo: 1 note in " + letter + "\n");
}

TEST_F(CheckCommand, StandardInputIsNamedStdin) {
  const CommandResult r = runKolvo({"--check", "-l", "-"}, "a & b\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("<stdin>:1:3: error: '&'", 0), 0u) << r.out;
  EXPECT_EQ(r.err, "kolvo: 1 error in <stdin>\n");
}

TEST_F(CheckCommand, EscapeMayStandBeforeOrAfterCheck) {
  // U+0984 is unassigned: no font draws it.
  const std::string letter = file("letter.txt", "a & b \xE0\xA6\x84\n");
  for (const auto& words : {std::vector<std::string>{"--escape", "--check", "-P", letter},
                            std::vector<std::string>{"--check", "--escape", "-P", letter}}) {
    const CommandResult r = runKolvo(words);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(letter + ":1:7: warning: 1 character of this line has no glyph in the "
                                   "standard",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("fonts of PDF and shows as '?': U+0984"), std::string::npos) << r.out;
  }
}

TEST_F(CheckCommand, WritesNoDocument) {
  const std::string letter = file("letter.txt", "plain\n");
  EXPECT_EQ(runKolvo({"--check", "-p", letter}).status, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(CheckCommand, WrongCommandLinesAreUsageErrors) {
  const std::string letter = file("letter.txt", "plain\n");
  const CommandResult none = runKolvo({"--check"});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err,
            "kolvo: --check takes INPUT, or FORMAT and INPUT\n"
            "Try 'kolvo --help' for more information.\n");
  EXPECT_EQ(runKolvo({"--check", "-p", letter, "out.ps"}).status, 2);
  const CommandResult format = runKolvo({"--check", "-x", letter});
  EXPECT_EQ(format.status, 2);
  EXPECT_EQ(format.err.rfind("kolvo: unknown format '-x'", 0), 0u) << format.err;
}

TEST_F(CheckCommand, FailuresAreReportedAsForAConversion) {
  const std::string missing = (dir / "missing.txt").string();
  const CommandResult r = runKolvo({"--check", missing});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "kolvo: cannot open input '" + missing + "': No such file or directory\n");

  const CommandResult folder = runKolvo({"--check", dir.path().string()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "kolvo: cannot read input '" + dir.path().string() + "': Is a directory\n");

  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "/dev/full is missing";
  const std::string faulty = file("faulty.txt", "%bS\n");
  const CommandResult full =
      runCommand({"sh", "-c", "\"$0\" --check \"$1\" > /dev/full", kolvoBinary(), faulty});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err.rfind("kolvo: cannot write findings to standard output:", 0), 0u)
      << full.err;
}

}  // namespace
}  // namespace kolvo::test
