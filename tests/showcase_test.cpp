// The example and the gallery made from it: examples/showcase.txt uses every
// tag and every drawing shape, and the README shows a picture of it for each
// format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "markup/format.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

std::string showcase() { return readFile(sourceDir() / "examples" / "showcase.txt"); }

TEST(Showcase, UsesEveryTagAndEveryDrawingShape) {
  const std::string text = showcase();
  for (const TagRow& row : kTagTable) {
    EXPECT_NE(text.find(row.tag), std::string::npos) << row.tag << " is not in the showcase";
  }
  std::set<char> shapes;
  std::set<char> colours;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("$s", 0) != 0) continue;
    ASSERT_GE(line.size(), 21u) << line;
    shapes.insert(line[2]);
    colours.insert(line[4]);
  }
  EXPECT_EQ(shapes, (std::set<char>{'l', 't', 'b', 'r'}));
  // At least one colour code outside the table, which keeps the last colour.
  const std::string known = "0123456789gG";
  EXPECT_TRUE(std::any_of(colours.begin(), colours.end(),
                          [&](char c) { return known.find(c) == std::string::npos; }));
}

// Every line fits in one piece of 559 bytes, so no line of the example is
// cut in two.
// What examples/showcase.sh says the check keeps on purpose, by line and
// column; anything else the check finds is a mistake in the example.
TEST(Showcase, CheckFindsOnlyWhatTheExampleKeepsOnPurpose) {
  const CommandResult r =
      runKolvo({"--check", (sourceDir() / "examples" / "showcase.txt").string()});
  EXPECT_EQ(r.status, 1);
  std::vector<std::string> places;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("showcase.txt:");
    ASSERT_NE(at, std::string::npos) << line;
    const std::string finding = line.substr(at + 13);
    EXPECT_EQ(finding.find(": error:"), std::string::npos) << line;
    if (finding.find(": note:") == std::string::npos) {
      places.push_back(finding.substr(0, finding.find(": ")));
    }
  }
  const std::vector<std::string> kept = {
      "5:13", "5:32", "5:37", "5:55", "6:8",   "6:16",  "7:1",   "7:16",  "8:47",
      "10:1", "10:15", "15:53", "15:72", "16:16", "17:61", "17:68", "23:5", "24:95"};
  EXPECT_EQ(places, kept);
}

// The long-line example is made for wrapping text as typed; so laid out, it
// has nothing for the check to find.
TEST(Showcase, LongLineExampleIsCleanWhereItIsMeantToBeUsed) {
  const CommandResult r =
      runKolvo({"--escape", "--paper", "a4", "--check",
                (sourceDir() / "examples" / "long-lines.txt").string()});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");
}

TEST(Showcase, LinesAreShorterThanAPiece) {
  std::istringstream lines(showcase());
  std::string line;
  while (std::getline(lines, line)) EXPECT_LT(line.size() + 1, 560u) << line;
}

TEST(Gallery, HoldsAModestPictureOfEveryFormatThatTheReadmeShows) {
  const std::string readme = readFile(sourceDir() / "README.md");
  for (const FormatInfo& f : kFormats) {
    // The picture is named after the format in lower case, without a version:
    // "DocBook 5" is docbook.png.
    std::string name(f.name.substr(0, f.name.find(' ')));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string relative = "docs/gallery/" + name + ".png";
    const auto path = sourceDir() / relative;
    ASSERT_TRUE(std::filesystem::exists(path)) << relative << " (make it with docs/make-gallery.sh)";
    const std::string png = readFile(path);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << relative;
    EXPECT_LT(png.size(), 300u * 1024u) << relative;
    EXPECT_NE(readme.find("<img src=\"" + relative + "\""), std::string::npos)
        << f.name << ": the README does not show " << relative;
  }
}

// The paper sizes have their pictures too: the long-line example on A4 and
// on Letter, and the pages for print.
TEST(Gallery, ShowsTheLongLineExampleOnA4AndLetter) {
  const std::string readme = readFile(sourceDir() / "README.md");
  EXPECT_TRUE(std::filesystem::exists(sourceDir() / "examples" / "long-lines.txt"));
  EXPECT_TRUE(std::filesystem::exists(sourceDir() / "examples" / "letter.txt"));
  // And the pages for print: the letter with margins, header and footer,
  // and a source file with --mono.
  for (const char* name : {"paper-a4", "paper-letter", "letter", "mono"}) {
    const std::string relative = "docs/gallery/" + std::string(name) + ".png";
    const std::string png = readFile(sourceDir() / relative);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << relative;
    EXPECT_LT(png.size(), 300u * 1024u) << relative;
    EXPECT_NE(readme.find("<img src=\"" + relative + "\""), std::string::npos) << relative;
  }
}

// Each example of examples/scripts/ (a script that is shaped or runs right
// to left) has its picture, small, and the README shows it; and the
// README's eleven scripts all have their example.
TEST(Gallery, ShowsEveryScriptExample) {
  const std::string readme = readFile(sourceDir() / "README.md");
  std::size_t examples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(sourceDir() / "examples" / "scripts")) {
    if (entry.path().extension() != ".txt") continue;
    ++examples;
    const std::string relative = "docs/gallery/script-" + entry.path().stem().string() + ".png";
    ASSERT_TRUE(std::filesystem::exists(sourceDir() / relative))
        << relative << " (make it with docs/make-gallery.sh build/kolvo docs/gallery scripts)";
    const std::string png = readFile(sourceDir() / relative);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << relative;
    EXPECT_LT(png.size(), 60u * 1024u) << relative;
    EXPECT_NE(readme.find("<img src=\"" + relative + "\""), std::string::npos) << relative;
  }
  EXPECT_EQ(examples, 11u);
}

}  // namespace
}  // namespace kolvo::test
