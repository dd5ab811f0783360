// Real text of eleven scripts (the machine's message catalogues) converted
// with --escape --paper a4 into PDF, and into PostScript read through
// ps2pdf, then given to pdftotext beside LibreOffice's own PDF of the same
// plain text: Kolvo must give back at least 98% of the characters, and at
// least as many words in order as LibreOffice does.
//
// "Words in order" (wordsInOrder, support/words_back.hpp) is the longest
// common subsequence of the typed text's words and pdftotext's, words
// being what blanks and line ends part, with the direction marks and
// embeddings pdftotext adds (U+200E, U+200F, U+202A-U+202E, U+2066-U+2069)
// left out: a word counts when it comes back whole and in its place among
// the others, so a word split in two, joined to its neighbour, or a line
// read in the wrong direction loses its words.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "support/catalogue_text.hpp"
#include "support/test_support.hpp"
#include "support/words_back.hpp"

namespace kolvo::test {
namespace {

struct Script {
  const char* name;
  const char* language;  // the catalogues' folder under /usr/share/locale
};

constexpr Script kScripts[] = {
    {"Arabic", "ar"},  {"Hebrew", "he"}, {"Persian", "fa"},  {"Hindi", "hi"},
    {"Bengali", "bn"}, {"Tamil", "ta"},  {"Thai", "th"},     {"Khmer", "km"},
    {"Georgian", "ka"}, {"Armenian", "hy"}, {"Amharic", "am"},
};

std::string pdfText(const std::filesystem::path& pdf) {
  const CommandResult text = runCommand({"pdftotext", "-enc", "UTF-8", pdf.string(), "-"});
  EXPECT_EQ(text.status, 0) << pdf << ": " << text.err;
  return text.out;
}

struct Judged {
  const Script* script;
  std::string typed;
};

// Kolvo's PDF and PostScript (through ps2pdf) of each script's text;
// the scripts with a catalogue and a font, whose text Kolvo drew whole.
std::vector<Judged> convertEach(const TempDir& dir) {
  std::vector<Judged> judged;
  for (const Script& script : kScripts) {
    const std::vector<std::string> lines = catalogueLines(script.language, 200);
    if (lines.size() < 20) {
      std::cout << script.name << ": no catalogue, passed over\n";
      continue;
    }
    std::string typed;
    for (const std::string& line : lines) typed += line + "\n";
    const std::filesystem::path input = dir / (std::string(script.language) + ".txt");
    writeFile(input, typed);
    const std::string base = (dir / script.language).string();
    const CommandResult pdf = runKolvo({"--escape", "--paper", "a4", "pdf", input.string(), base + ".pdf"});
    const CommandResult ps = runKolvo({"--escape", "--paper", "a4", "ps", input.string(), base + ".ps"});
    EXPECT_EQ(pdf.status + ps.status, 0) << script.name << ": " << pdf.err << ps.err;
    if (pdf.err.find("shown as") != std::string::npos) {
      std::cout << script.name << ": no font, passed over: " << pdf.err;
      continue;
    }
    const CommandResult distilled = runCommand({"ps2pdf", base + ".ps", base + "-ps.pdf"});
    EXPECT_EQ(distilled.status, 0) << script.name << ": " << distilled.err;
    judged.push_back({&script, std::move(typed)});
  }
  return judged;
}

// LibreOffice's PDF of every text, in one start of it (it is slow to
// start): OFFICE/LANGUAGE.pdf.
void officeExport(const TempDir& dir, const std::vector<Judged>& judged) {
  std::vector<std::string> command = {"soffice", "--headless", "--norestore",
                                      "-env:UserInstallation=file://" + (dir / "profile").string(),
                                      "--infilter=Text (encoded):UTF8,LF,,,", "--convert-to", "pdf",
                                      "--outdir", (dir / "office").string()};
  for (const Judged& j : judged) command.push_back((dir / (std::string(j.script->language) + ".txt")).string());
  const CommandResult converted = runCommand(command);
  ASSERT_EQ(converted.status, 0) << converted.err;
}

// The measure itself, in process: a word counts whole and in its place,
// the marks pdftotext adds round right-to-left text do not count.
TEST(WordsInOrder, CountsWholeWordsInTheirPlace) {
  EXPECT_EQ(wordsInOrder("one two three", "one two three"), 3u);
  EXPECT_EQ(wordsInOrder("one two three", "one\n\ntwo three\f"), 3u);  // lines and pages part words only
  EXPECT_EQ(wordsInOrder("one two three", "three one two"), 2u);
  EXPECT_EQ(wordsInOrder("one two three", "on e two three"), 2u);  // split
  EXPECT_EQ(wordsInOrder("one two three", "onetwo three"), 1u);    // joined
  EXPECT_EQ(wordsInOrder("a a b", "a b a"), 2u);
  EXPECT_EQ(wordsInOrder("", "one"), 0u);
  EXPECT_EQ(wordsInOrder("one", ""), 0u);
  // U+202B ... U+202C, U+2067 ... U+2069, U+200F round a Hebrew line.
  EXPECT_EQ(wordsInOrder("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD",
                         "\u202B\u05E9\u05DC\u05D5\u05DD \u2067\u05E2\u05D5\u05DC\u05DD\u2069\u200F\u202C"),
            2u);
}

TEST(ScriptReaders, EveryScriptComesBackAsWellAsFromLibreOffice) {
  for (const char* tool : {"pdftotext", "msgunfmt", "ps2pdf", "soffice"}) KOLVO_REQUIRE_TOOL(tool);
  TempDir dir;
  const std::vector<Judged> judged = convertEach(dir);
  if (judged.empty()) GTEST_SKIP() << "no catalogues or fonts for these scripts (install fonts-noto-core)";
  officeExport(dir, judged);
  for (const Judged& j : judged) {
    const Script& script = *j.script;
    SCOPED_TRACE(script.name);
    const std::string language = script.language;
    const std::string office = pdfText(dir / "office" / (language + ".pdf"));
    const std::string pdf = pdfText(dir / (language + ".pdf"));
    const std::string ps = pdfText(dir / (language + "-ps.pdf"));
    const std::size_t words = wordsOf(j.typed).size();
    const std::size_t officeWords = wordsInOrder(j.typed, office);
    const std::size_t pdfWords = wordsInOrder(j.typed, pdf);
    const std::size_t psWords = wordsInOrder(j.typed, ps);
    std::cout << script.name << ": characters back PDF " << charactersBack(j.typed, pdf) * 100 << "%, PostScript "
              << charactersBack(j.typed, ps) * 100 << "%, LibreOffice " << charactersBack(j.typed, office) * 100
              << "%; words in order of " << words << ": PDF " << pdfWords << ", PostScript " << psWords
              << ", LibreOffice " << officeWords << "\n";
    EXPECT_GE(charactersBack(j.typed, pdf), 0.98);
    EXPECT_GE(charactersBack(j.typed, ps), 0.98);
    EXPECT_GE(pdfWords, officeWords);
    EXPECT_GE(psWords, officeWords);
  }
}

}  // namespace
}  // namespace kolvo::test
