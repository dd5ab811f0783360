// The bash completion, docs/completion/kolvo.bash, as bash runs it: the
// format words first, file names next, the option words fourth.
#include <gtest/gtest.h>

#include "driver/options.hpp"
#include "markup/format.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

class Completion : public ::testing::Test {
 protected:
  TempDir dir;

  void SetUp() override {
    writeFile(dir / "letter.txt", "x\n");
    writeFile(dir / "letter.ps", "x\n");
    writeFile(dir / "notes.txt", "x\n");
  }

  // The candidates bash offers for word `index` of `words` (word 0 is
  // "kolvo"), one per line, as the completion function leaves them.
  std::string complete(const std::vector<std::string>& words, std::size_t index) {
    std::string script = "cd '" + dir.path().string() + "' || exit 9\n" +
                         "source '" + (sourceDir() / "docs" / "completion" / "kolvo.bash").string() +
                         "' || exit 9\n" + "COMP_WORDS=(";
    for (const std::string& w : words) script += "'" + w + "' ";
    script += ")\nCOMP_CWORD=" + std::to_string(index) + "\n" +
              "COMP_LINE=\"${COMP_WORDS[*]}\"\n"
              "_kolvo kolvo \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD-1]}\"\n"
              "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
    const CommandResult r = runCommand({"bash", "--norc", "--noprofile", "-c", script});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
  }
};

std::string completionScript() {
  return readFile(sourceDir() / "docs" / "completion" / "kolvo.bash");
}

TEST_F(Completion, FirstWordOffersTheFormatsAndTheLongOptions) {
  KOLVO_REQUIRE_TOOL("bash");
  std::string formats;
  for (const FormatInfo& f : kFormats) formats += std::string("-") + f.letter + "\n";
  std::string longOptions;
  for (const LongOption& option : kLongOptions) longOptions += std::string(option.name) + "\n";
  EXPECT_EQ(complete({"kolvo", ""}, 1), formats + longOptions);
  EXPECT_EQ(complete({"kolvo", "-P"}, 1), "-P\n");
  EXPECT_EQ(complete({"kolvo", "--"}, 1), longOptions);
  EXPECT_EQ(complete({"kolvo", "--v"}, 1), "--version\n");
  EXPECT_EQ(complete({"kolvo", "-x"}, 1), "\n");  // nothing to offer
}

TEST_F(Completion, FourthWordOffersTheOptionWords) {
  KOLVO_REQUIRE_TOOL("bash");
  EXPECT_EQ(complete({"kolvo", "-p", "letter.txt", "letter.ps", ""}, 4), "-s\n-t\n-T\n-v\n-V\n");
  EXPECT_EQ(complete({"kolvo", "-p", "letter.txt", "letter.ps", "-T"}, 4), "-T\n");
  // Nothing follows a long option, and nothing follows the fourth word.
  EXPECT_EQ(complete({"kolvo", "--help", "a", "b", ""}, 4), "\n");
  EXPECT_EQ(complete({"kolvo", "-p", "letter.txt", "letter.ps", "-s", ""}, 5), "\n");
}

// The metadata's settings, offered after a setting until given.
const std::string kPageOffers = "--header\n--footer\n--margins\n--mono\n";
const std::string kMetadataOffers = "--title\n--author\n--subject\n--keywords\n--lang\n--outline\n";

TEST_F(Completion, SettingsComeBeforeTheFormat) {
  KOLVO_REQUIRE_TOOL("bash");
  EXPECT_EQ(complete({"kolvo", "--escape", "-"}, 2),
            "-a\n-d\n-h\n-r\n-l\n-p\n-P\n-o\n--paper\n--font\n--encoding\n" + kPageOffers +
                kMetadataOffers + "--quiet\n--jobs\n--output-dir\n--check\n");
  EXPECT_EQ(complete({"kolvo", "--escape", "--check", "-"}, 3), "-a\n-d\n-h\n-r\n-l\n-p\n-P\n-o\n");
  EXPECT_EQ(complete({"kolvo", "--check", "-p", "n"}, 3), "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--paper", "a4", "--"}, 3),
            "--escape\n--font\n--encoding\n" + kPageOffers + kMetadataOffers + "--quiet\n--jobs\n--output-dir\n--check\n");
  EXPECT_EQ(complete({"kolvo", "--encoding", "KOI8-R", "--"}, 3),
            "--escape\n--paper\n--font\n" + kPageOffers + kMetadataOffers + "--quiet\n--jobs\n--output-dir\n--check\n");
  EXPECT_EQ(complete({"kolvo", "--quiet", "--"}, 2),
            "--escape\n--paper\n--font\n--encoding\n" + kPageOffers + kMetadataOffers + "--jobs\n--output-dir\n--check\n");
  // A page design's words are passed over, each setting offered once, and
  // a template or margins are the user's own to type.
  EXPECT_EQ(complete({"kolvo", "--mono", "--header", "%f", "--margins", "1in", "--"}, 6),
            "--escape\n--paper\n--font\n--encoding\n--footer\n" + kMetadataOffers + "--quiet\n--jobs\n--output-dir\n--check\n");
  EXPECT_EQ(complete({"kolvo", "--footer", ""}, 2), "\n");
  EXPECT_EQ(complete({"kolvo", "--footer", "x", "-p", "letter.txt", "n"}, 5), "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--encoding", "SH"}, 2), "SHIFT_JIS\n");
  EXPECT_EQ(complete({"kolvo", "--encoding", "KOI8-R", "-p", "letter.txt", "n"}, 5),
            "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--escape", "--paper", "a4", "-p", "letter.txt", "n"}, 6),
            "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--paper", "letter", "-p", "letter.txt", "letter.ps", "-T"}, 6),
            "-T\n");
  EXPECT_EQ(complete({"kolvo", "--escape", "-p", "letter.txt", "n"}, 4), "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--escape", "-p", "letter.txt", "letter.ps", "-t"}, 5), "-t\n");
}

TEST_F(Completion, MetadataTakesTheUsersWordsAndIsOfferedUntilGiven) {
  KOLVO_REQUIRE_TOOL("bash");
  // The word after a metadata setting is free text: nothing is offered.
  EXPECT_EQ(complete({"kolvo", "--title", "n"}, 2), "\n");
  EXPECT_EQ(complete({"kolvo", "--lang", ""}, 2), "\n");
  // A title and its word count as one setting before FORMAT.
  EXPECT_EQ(complete({"kolvo", "--title", "Notes", "--outline", "-p", "letter.txt", "n"}, 6),
            "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--title", "T", "--author", "A", "--lang", "en", "--o"}, 7),
            "--outline\n--output-dir\n");
}

// The names the script offers are the format table's, in its order.
std::vector<std::string> formatNames() {
  std::vector<std::string> names;
  for (const FormatInfo& f : kFormats) {
    names.emplace_back(f.extension);
    for (const std::string_view alias : f.aliases) {
      if (!alias.empty()) names.emplace_back(alias);
    }
  }
  return names;
}

TEST(CompletionScript, NamesEveryFormatByItsTableNames) {
  std::string list;
  for (const std::string& name : formatNames()) list += (list.empty() ? "" : " ") + name;
  EXPECT_NE(completionScript().find("local names='" + list + "'\n"), std::string::npos) << list;
}

TEST_F(Completion, AFormatBegunWithALetterIsCompletedToItsName) {
  KOLVO_REQUIRE_TOOL("bash");
  std::string startingWithP;
  for (const std::string& name : formatNames()) {
    if (name.starts_with('p')) startingWithP += name + "\n";
  }
  EXPECT_EQ(complete({"kolvo", "p"}, 1), startingWithP);
  EXPECT_EQ(complete({"kolvo", "--escape", "doc"}, 2), "docbook\n");
  EXPECT_EQ(complete({"kolvo", "--check", "lat"}, 2), "latex\n");
  EXPECT_EQ(complete({"kolvo", "-x"}, 1), "\n");
}

// The sizes offered are the program's own, auto and none.
TEST_F(Completion, PaperOffersTheSizes) {
  KOLVO_REQUIRE_TOOL("bash");
  std::string sizes;
  for (const PaperSize& paper : kPaperSizes) sizes += std::string(paper.name) + "\n";
  EXPECT_EQ(complete({"kolvo", "--paper", ""}, 2), sizes + "auto\nnone\n");
  EXPECT_EQ(complete({"kolvo", "--escape", "--paper", "l"}, 3), "letter\nlegal\n");
  // A file called --paper is still a file name.
  EXPECT_EQ(complete({"kolvo", "-p", "--paper", "n"}, 3), "notes.txt\n");
}

TEST_F(Completion, InputAndOutputAreFileNames) {
  KOLVO_REQUIRE_TOOL("bash");
  // bash lists files in the order the folder gives them.
  const std::string both = complete({"kolvo", "-p", "let"}, 2);
  EXPECT_TRUE(both == "letter.ps\nletter.txt\n" || both == "letter.txt\nletter.ps\n") << both;
  EXPECT_EQ(complete({"kolvo", "-p", "letter.txt", "n"}, 3), "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--markup-reference", ""}, 2), "man\n");
  EXPECT_EQ(complete({"kolvo", "--version", ""}, 2), "\n");
}

// --output-dir takes a folder, then FORMAT and any number of inputs, no
// OPTION word; --check takes any number of inputs too; --jobs a number.
TEST_F(Completion, ABatchTakesAFolderThenInputFilesOnly) {
  KOLVO_REQUIRE_TOOL("bash");
  std::filesystem::create_directory(dir / "outputs");
  EXPECT_EQ(complete({"kolvo", "--output-dir", "o"}, 2), "outputs\n");
  EXPECT_EQ(complete({"kolvo", "--output-dir", "outputs", "-"}, 3),
            "-a\n-d\n-h\n-r\n-l\n-p\n-P\n-o\n--escape\n--paper\n--font\n--encoding\n" +
                kPageOffers + kMetadataOffers + "--quiet\n--jobs\n");
  EXPECT_EQ(complete({"kolvo", "--output-dir", "outputs", "-p", "letter.txt", "n"}, 5),
            "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--output-dir", "outputs", "-p", "letter.txt", "notes.txt", "n"}, 6),
            "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--check", "-p", "letter.txt", "n"}, 4), "notes.txt\n");
  EXPECT_EQ(complete({"kolvo", "--jobs", ""}, 2), "\n");
  EXPECT_EQ(complete({"kolvo", "--jobs", "2", "--output-dir", "outputs", "-p", "n"}, 6),
            "notes.txt\n");
  // A single run has no fifth word.
  EXPECT_EQ(complete({"kolvo", "-p", "letter.txt", "letter.ps", "-s", ""}, 5), "\n");
}

// The comment above the word list says what each format letter means.
TEST(CompletionScript, ExplainsEveryFormatLetter) {
  std::string legend = "# ";
  for (const FormatInfo& f : kFormats) {
    if (legend.size() > 2) legend += ", ";
    legend += std::string(1, f.letter) + " " + std::string(f.name);
  }
  EXPECT_NE(completionScript().find(legend + "\n"), std::string::npos) << legend;
}

TEST_F(Completion, IsRegisteredForKolvo) {
  KOLVO_REQUIRE_TOOL("bash");
  const std::string script = "source '" +
                             (sourceDir() / "docs" / "completion" / "kolvo.bash").string() +
                             "' && complete -p kolvo";
  const CommandResult r = runCommand({"bash", "--norc", "--noprofile", "-c", script});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "complete -F _kolvo kolvo\n");
}

}  // namespace
}  // namespace kolvo::test
