// The kolvo binary as a user runs it: arguments, messages, exit statuses and
// what is left on disk when something goes wrong. (Full disks, broken pipes
// and the other failures from outside are in fault_injection_test.cpp.)
#include <gtest/gtest.h>

#include <algorithm>
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
  EXPECT_TRUE(help.out.starts_with("Usage: kolvo [SETTING...] FORMAT INPUT OUTPUT [OPTION]\n"));
  // One screen: the tags are --markup-reference's.
  EXPECT_LE(std::count(help.out.begin(), help.out.end(), '\n'), 24);
  EXPECT_EQ(help.err, "");
  const CommandResult version = kolvo({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Version 0.9.0 b 2026 \n");
}

TEST_F(CommandLine, TooFewArgumentsNameTheMissingWordAndTouchNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "FORMAT"}, {{"-h"}, "INPUT"}, {{"-h", in.string()}, "OUTPUT"}};
  for (const auto& [args, missing] : cases) {
    const CommandResult r = kolvo(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.starts_with("kolvo: missing " + missing + "\nUsage: kolvo ")) << r.err;
    EXPECT_TRUE(r.err.ends_with("\nTry 'kolvo --help' for more information.\n")) << r.err;
    EXPECT_EQ(r.err.find("Formats:"), std::string::npos) << "the whole usage: " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(out));
  }
}

// OPTION may be left out: it is `s`, the same bytes.
TEST_F(CommandLine, ThreeWordsConvertAsWithOptionS) {
  ASSERT_EQ(kolvo({"-h", in.string(), out.string(), "-s"}).status, 0);
  const std::string expected = readFile(out);
  fs::remove(out);
  const CommandResult r = kolvo({"-h", in.string(), out.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(sameBytes(expected, readFile(out)));
}

// Lines that cannot mean what they say: exit 2, one message naming the
// problem, nothing written and the input as it was.
TEST_F(CommandLine, RefusedLinesWriteNothing) {
  const fs::path second = dir / "b.txt";
  writeFile(second, "second input\n");
  const std::string a = in.string();
  const std::string b = second.string();
  const std::string pdf = (dir / "out.pdf").string();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-P", a, b, pdf, "-s"}, "too many words after FORMAT INPUT OUTPUT OPTION: '-s'"},
      {{"-P", a, b, pdf}, "OPTION '" + pdf + "' looks like a file name"},
      {{"-P", a, "-s", pdf}, "OUTPUT '-s' looks like an option"},
      {{"-P", a, pdf, "-s", "--escpae"}, "unknown option '--escpae'; did you mean --escape?"},
      {{"--paper=leter", "-P", a, pdf}, "unknown paper size 'leter'"},
      {{"-e", a, pdf}, "'-e' is not an option; did you mean --escape?"},
      {{"-escape", a, pdf}, "'-escape' is not an option; did you mean --escape?"},
      {{"-paper", "letter", a, pdf}, "did you mean --paper?"},
      {{"--escape=yes", "-P", a, pdf}, "option '--escape' takes no value"},
  };
  for (const auto& [args, message] : cases) {
    const CommandResult r = kolvo(args);
    EXPECT_EQ(r.status, 2) << args.front();
    EXPECT_TRUE(r.err.starts_with("kolvo: ")) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(second), "second input\n");
    EXPECT_EQ(readFile(in), "Hello %bsworld%be\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "something was written for " << message;
  }
}

TEST_F(CommandLine, FormatNamesPickTheirFormatInAnyCase) {
  const std::string pdf = (dir / "out.pdf").string();
  ASSERT_EQ(kolvo({"-P", in.string(), pdf, "-s"}).status, 0);
  const std::string expected = readFile(pdf);
  for (const std::string word : {"pdf", "PDF", "Pdf"}) {
    const CommandResult r = kolvo({word, in.string(), pdf, "-s"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(sameBytes(expected, readFile(pdf))) << word;
  }
}

// Odd but meant: the run goes on, and standard error says what is odd.
TEST_F(CommandLine, WarningsLeaveTheConversionDone) {
  const std::string pdf = (dir / "out.pdf").string();
  const CommandResult docbook = kolvo({"-d", in.string(), pdf, "-s"});
  EXPECT_EQ(docbook.status, 0);
  EXPECT_EQ(docbook.err, "kolvo: warning: writing DocBook 5 to '" + pdf + "'\n");
  EXPECT_TRUE(readFile(pdf).starts_with("<?xml"));
  const CommandResult font = kolvo({"--font", "/nonexistent.ttf", "-P", in.string(), pdf});
  EXPECT_EQ(font.status, 0);
  EXPECT_EQ(font.err, "kolvo: warning: --font has no effect without --escape\n");
  // Standard output and an extension of the same format are no surprise.
  EXPECT_EQ(kolvo({"-d", in.string(), "-"}).err, "");
  EXPECT_EQ(kolvo({"-d", in.string(), (dir / "out.XML").string()}).err, "");
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
  for (const std::string& word : std::vector<std::string>{"/h", "xh", "-hello", "-help", longWord}) {
    ASSERT_EQ(kolvo({word, in.string(), out.string(), "-s"}).status, 0);
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

CommandResult kolvoWithPresets(const std::string& presets, std::vector<std::string> args) {
  args.insert(args.begin(), {"env", "KOLVO_OPTIONS=" + presets, kolvoBinary()});
  return runCommand(args);
}

// KOLVO_OPTIONS: settings said once, read before the command line, which
// can turn each back off.
TEST_F(CommandLine, PresetSettingsComeFromTheEnvironment) {
  const std::string typed = (dir / "typed.html").string();
  writeFile(in, "a & b\n");
  ASSERT_EQ(kolvo({"--escape", "-h", in.string(), typed}).status, 0);
  const CommandResult preset = kolvoWithPresets(" --escape\t", {"-h", in.string(), out.string()});
  EXPECT_EQ(preset.status, 0) << preset.err;
  EXPECT_TRUE(sameBytes(readFile(typed), readFile(out)));
  const std::string markup = (dir / "markup.html").string();
  ASSERT_EQ(kolvo({"-h", in.string(), markup}).status, 0);
  const CommandResult undone =
      kolvoWithPresets("--escape --font=/x.ttf", {"-h", in.string(), out.string(), "--no-escape",
                                                  "--no-font"});
  EXPECT_EQ(undone.status, 0);
  EXPECT_EQ(undone.err, "");
  EXPECT_TRUE(sameBytes(readFile(markup), readFile(out)));
  fs::remove(out);
  for (const char* presets : {"-s", "--help", "--papr a4", "--paper"}) {
    const CommandResult r = kolvoWithPresets(presets, {"-h", in.string(), out.string()});
    EXPECT_EQ(r.status, 2) << presets;
    EXPECT_TRUE(r.err.starts_with("kolvo: in KOLVO_OPTIONS: ")) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(out));
  }
}

// --quiet: the same document and exit status, nothing on standard error but
// errors; --no-quiet brings a preset --quiet's warnings back.
TEST_F(CommandLine, QuietLeavesOutWarningsButNotErrors) {
  writeFile(in, "Caf\xC3\xA9 & co " + std::string(300, 'x') + "\n");
  const std::string loud = (dir / "loud.pdf").string();
  const CommandResult warned = kolvo({"--font", "/x.ttf", "pdf", in.string(), loud});
  ASSERT_EQ(warned.status, 0);
  EXPECT_NE(warned.err.find("--font has no effect"), std::string::npos) << warned.err;
  EXPECT_NE(warned.err.find("beyond ASCII"), std::string::npos) << warned.err;
  EXPECT_NE(warned.err.find("wider than the page"), std::string::npos) << warned.err;
  const std::string quietOut = (dir / "quiet.html").string();  // no word on the extension either
  const CommandResult quiet =
      kolvo({"pdf", in.string(), quietOut, "--quiet", "--font", "/x.ttf"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_TRUE(sameBytes(readFile(loud), readFile(quietOut)));
  const CommandResult back =
      kolvoWithPresets("--quiet", {"--font", "/x.ttf", "pdf", in.string(),
                                   (dir / "back.pdf").string(), "--no-quiet"});
  EXPECT_EQ(back.err, warned.err);
  const CommandResult failed = kolvo({"--quiet", "pdf", (dir / "none.txt").string(), loud});
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(failed.err.starts_with("kolvo: ")) << failed.err;
  EXPECT_TRUE(sameBytes(readFile(loud), readFile(quietOut)));
}

}  // namespace
}  // namespace kolvo::test
