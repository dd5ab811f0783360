// Typed LaTeX under lualatex and xelatex: the real text of every script
// (the manual pages the pdflatex test sets, and message catalogues in
// Hebrew, Arabic and Hindi) compiles, pdftotext gives it back, and the same
// files still compile with pdflatex. The first lualatex run on a machine
// builds luaotfload's font database (a minute or more), which is done
// first, on its own, so that it is not counted against any document.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "support/catalogue_text.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "support/words_back.hpp"

namespace kolvo::test {
namespace {

// A language's catalogue lines as one text; none where it has fewer than 20.
std::string translations(const std::string& language, std::size_t count) {
  const std::vector<std::string> lines = catalogueLines(language, count);
  if (lines.size() < 20) return {};
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

CommandResult compile(const char* engine, const std::filesystem::path& tex) {
  return runCommand({engine, "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                     "-output-directory", tex.parent_path().string(), tex.string()});
}

std::string tail(const std::string& log) { return log.substr(log.size() > 3000 ? log.size() - 3000 : 0); }

std::string pdfText(const std::filesystem::path& pdf) {
  // Not -raw: it leaves a right-to-left line's letters apart.
  return runCommand({"pdftotext", "-enc", "UTF-8", pdf.string(), "-"}).out;
}

struct Sample {
  std::string name;
  std::string text;
  bool byWords;  // else by characters: marks within a word may come back reordered
};

std::vector<Sample> samples(const std::filesystem::path& corpus) {
  std::vector<Sample> found;
  for (const char* page : {"man-ru-ls", "man-ru-man", "man-el-diff", "man-ja-ls", "man-ja-cat", "man-zh-ls",
                           "man-ko-apropos"}) {
    const std::filesystem::path input = corpus / (std::string(page) + ".txt");
    if (std::filesystem::exists(input)) found.push_back({page, readFile(input), true});
  }
  if (toolAvailable("msgunfmt")) {
    for (const char* language : {"he", "ar", "hi"}) {
      std::string text = translations(language, 200);
      if (!text.empty()) found.push_back({std::string("catalogue-") + language, std::move(text), false});
    }
  }
  return found;
}

TEST(LatexUnicodeEngineReaders, LualatexShowsTheRealTextOfEveryScript) {
  for (const char* tool : {"lualatex", "pdflatex", "pdftotext", "luaotfload-tool", "man", "col"}) {
    KOLVO_REQUIRE_TOOL(tool);
  }
  runCommand({"luaotfload-tool", "--update"});  // the font database, once per machine
  TempDir dir;
  const CommandResult collected = runCommand(
      {std::string(KOLVO_SOURCE_DIR) + "/tests/real_text/collect.sh", (dir / "corpus").string()});
  ASSERT_EQ(collected.status, 0) << collected.err;
  const std::vector<Sample> all = samples(dir / "corpus");
  if (all.empty()) GTEST_SKIP() << "no manual pages or catalogues in these languages";
  for (const Sample& sample : all) {
    const std::filesystem::path tex = dir / (sample.name + ".tex");
    writeFile(tex, convertText(sample.text, Format::Latex, 's', nullptr, TextMode::Typed));
    const CommandResult lua = compile("lualatex", tex);
    ASSERT_EQ(lua.status, 0) << sample.name << ": " << tail(lua.out);
    const std::string shown = pdfText(dir / (sample.name + ".pdf"));
    const double share = sample.byWords ? wordsBack(sample.text, shown) : charactersBack(sample.text, shown);
    std::cout << sample.name << ": " << share * 100 << (sample.byWords ? "% of the words" : "% of the characters")
              << " back from lualatex\n";
    EXPECT_GE(share, 0.95) << sample.name;
    const CommandResult pdf = compile("pdflatex", tex);
    EXPECT_EQ(pdf.status, 0) << sample.name << ": " << tail(pdf.out);
  }
}

// One line of each script, a right-to-left line with a left-to-right run,
// under xelatex and lualatex; and a script whose fonts are all missing
// from the machine is set in the main font without stopping the document.
TEST(LatexUnicodeEngineReaders, EveryEngineSetsEachScriptAndMissingFontsPassOver) {
  for (const char* tool : {"lualatex", "xelatex", "pdftotext"}) KOLVO_REQUIRE_TOOL(tool);
  const std::string typed =
      "Hello Привет Γειά σου Tiếng Việt\n"
      "你好 こんにちは 안녕하세요\n"
      "שלום עולם and words 123\n"
      "مرحبا بالعالم\n"
      "नमस्ते दुनिया สวัสดี\n";
  TempDir dir;
  std::string latex = convertText(typed, Format::Latex, 's', nullptr, TextMode::Typed);
  for (const char* engine : {"xelatex", "lualatex"}) {
    const std::filesystem::path tex = dir / (std::string(engine) + ".tex");
    writeFile(tex, latex);
    const CommandResult run = compile(engine, tex);
    ASSERT_EQ(run.status, 0) << engine << ": " << tail(run.out);
    const double share = charactersBack(typed, pdfText(dir / (std::string(engine) + ".pdf")));
    std::cout << engine << ": " << share * 100 << "% of the characters back\n";
    EXPECT_GE(share, 0.95) << engine;
  }
  const std::string hebrewFonts = std::string("\\kolvo@font{Hebrew}{\\kolvo@shaping Script=Hebrew}{");
  const std::size_t fonts = latex.find(hebrewFonts);
  ASSERT_NE(fonts, std::string::npos) << latex;
  const std::size_t listStart = fonts + hebrewFonts.size();
  latex.replace(listStart, latex.find('}', listStart) - listStart, "No Such Font Kolvo,Nor This One");
  writeFile(dir / "missing.tex", latex);
  const CommandResult run = compile("lualatex", dir / "missing.tex");
  EXPECT_EQ(run.status, 0) << tail(run.out);
}

// Generated lines thick with tags (centred lines, sizes, page breaks), a
// word of each script between their pieces and every fifth line opening
// right to left: the run macros and the right-to-left paragraphs sit
// inside any tag's groups (the colour tags' \pdfliteral too), under every engine.
TEST(LatexUnicodeEngineReaders, EveryEngineCompilesScriptsAmongAnyTags) {
  for (const char* tool : {"lualatex", "xelatex", "pdflatex"}) KOLVO_REQUIRE_TOOL(tool);
  const std::string_view words[] = {"Жук", "αβ", "Việt", "中文", "かな", "한글", "שלום", "مرحبا", "नमस्ते", "☃"};
  std::string document;
  std::size_t next = 0;
  std::size_t lines = 0;
  for (const std::string& line : tagHeavyLines(20261208u, 150, 4)) {
    if (++lines % 5 == 0) document += "עברית ";
    for (const char c : line) {
      document += c;
      if (c == ' ') document.append(words[next++ % std::size(words)]).push_back(' ');
    }
  }
  TempDir dir;
  const std::string latex = convertText(document, Format::Latex, 's', nullptr, TextMode::Typed);
  ASSERT_NE(latex.find("\\kolvoRightToLeft{"), std::string::npos);
  for (const char* engine : {"pdflatex", "lualatex", "xelatex"}) {
    const std::filesystem::path tex = dir / (std::string(engine) + ".tex");
    writeFile(tex, latex);
    const CommandResult run = compile(engine, tex);
    EXPECT_EQ(run.status, 0) << engine << ": " << tail(run.out);
  }
}

// Where pdftotext -bbox finds the first word that holds `text`, from the
// left; -1 where none does. (Words may come letter by letter or whole,
// their letters in either order, by the engine.)
double leftOf(const std::string& boxes, std::string_view text) {
  std::istringstream lines(boxes);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t box = line.find("<word xMin=\"");
    const std::size_t word = line.find('>', box);
    if (box == std::string::npos || word == std::string::npos) continue;
    if (line.find(text, word) != std::string::npos) return std::stod(line.substr(box + 12));
  }
  return -1;
}

// A Hebrew run in a left-to-right line stands as the bidirectional
// algorithm orders it: its last word leftmost, its number left to right
// between its words, the Latin words outside it in place.
TEST(LatexUnicodeEngineReaders, RightToLeftRunsOfALeftToRightLineStandFromTheRight) {
  for (const char* tool : {"lualatex", "xelatex", "pdftotext"}) KOLVO_REQUIRE_TOOL(tool);
  // שלום, עולם 12 ספר: a letter of each word its own (ש, ע, ס).
  const std::string latex =
      convertText("Hello \u05E9\u05DC\u05D5\u05DD, \u05E2\u05D5\u05DC\u05DD 12 \u05E1\u05E4\u05E8. world\n",
                  Format::Latex, 's', nullptr, TextMode::Typed);
  TempDir dir;
  for (const char* engine : {"lualatex", "xelatex"}) {
    const std::filesystem::path tex = dir / (std::string(engine) + ".tex");
    writeFile(tex, latex);
    const CommandResult run = compile(engine, tex);
    ASSERT_EQ(run.status, 0) << engine << ": " << tail(run.out);
    std::filesystem::path pdf = tex;
    pdf.replace_extension(".pdf");
    const std::string boxes = runCommand({"pdftotext", "-bbox", pdf.string(), "-"}).out;
    const double hello = leftOf(boxes, "Hello");
    const double third = leftOf(boxes, "\u05E1");
    const double number = leftOf(boxes, "12");
    const double second = leftOf(boxes, "\u05E2");
    const double first = leftOf(boxes, "\u05E9");
    const double world = leftOf(boxes, "world");
    if (third < 0 || first < 0) GTEST_SKIP() << "no Hebrew font for " << engine;
    EXPECT_LT(hello, third) << engine;
    EXPECT_LT(third, number) << engine;
    EXPECT_LT(number, second) << engine;
    EXPECT_LT(second, first) << engine;
    EXPECT_LT(first, world) << engine;
  }
}

}  // namespace
}  // namespace kolvo::test
