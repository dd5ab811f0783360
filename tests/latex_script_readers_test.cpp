// pdflatex sets the real text of each script of its own (manual pages in
// Russian, Greek, Japanese, Chinese and Korean, as tests/real_text/collect.sh
// gathers them) from typed LaTeX, and pdftotext gives back its words.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "support/words_back.hpp"
#include "text/latex_scripts.hpp"
#include "text/typed_text.hpp"

namespace kolvo::test {
namespace {

// What the preamble may load, and the fonts pdftotext can read text from.
const char* const kTexFiles[] = {"t2aenc.def",       "lgrenc.def",   "t5enc.def",   "CJKutf8.sty",
                                 "cm-super-t2a.enc", "gbsnu4e.tfm",  "udmj30.tfm",  "uwmjac.tfm",
                                 "lmodern.sty"};

TEST(LatexScriptReaders, PdflatexSetsTheRealTextOfEachScript) {
  for (const char* tool : {"pdflatex", "pdftotext", "kpsewhich", "man", "col"}) KOLVO_REQUIRE_TOOL(tool);
  for (const char* file : kTexFiles) {
    if (runCommand({"kpsewhich", file}).out.empty()) {
      GTEST_SKIP() << file << " is missing (install texlive-lang-cyrillic texlive-lang-greek "
                   << "texlive-lang-cjk texlive-lang-korean texlive-lang-other cm-super "
                   << "latex-cjk-chinese-arphic-gbsn00lp latex-cjk-japanese-wadalab lmodern)";
    }
  }
  TempDir dir;
  const CommandResult collected = runCommand(
      {std::string(KOLVO_SOURCE_DIR) + "/tests/real_text/collect.sh", (dir / "corpus").string()});
  ASSERT_EQ(collected.status, 0) << collected.err;
  // Korean is only set: its fonts draw each syllable from the glyphs of its
  // letters, which pdftotext gives back apart.
  const std::pair<const char*, bool> pages[] = {
      {"man-ru-ls", true}, {"man-ru-man", true}, {"man-el-diff", true},    {"man-ja-ls", true},
      {"man-ja-cat", true}, {"man-zh-ls", true},  {"man-ko-apropos", false}};
  std::size_t judged = 0;
  for (const auto& [page, wordsCount] : pages) {
    const std::filesystem::path input = dir / "corpus" / (std::string(page) + ".txt");
    if (!std::filesystem::exists(input)) {
      std::cout << page << ": not on this machine (its manual pages are not installed)\n";
      continue;
    }
    const std::string tex = (dir / (std::string(page) + ".tex")).string();
    const CommandResult kolvo = runKolvo({"--escape", "-l", input.string(), tex, "-s"});
    ASSERT_EQ(kolvo.status, 0) << kolvo.err;
    const CommandResult latex = runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error",
                                            "-no-shell-escape", "-output-directory",
                                            dir.path().string(), tex});
    ASSERT_EQ(latex.status, 0) << page << ": "
                               << latex.out.substr(latex.out.size() > 3000 ? latex.out.size() - 3000 : 0);
    const CommandResult shown = runCommand(
        {"pdftotext", "-raw", "-enc", "UTF-8", (dir / (std::string(page) + ".pdf")).string(), "-"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const double share = wordsBack(readFile(input), shown.out);
    std::cout << page << ": " << share * 100 << "% of the words back\n";
    if (wordsCount) {
      EXPECT_GE(share, 0.95) << page;
    }
    ++judged;
  }
  if (judged == 0) GTEST_SKIP() << "no manual pages in these languages (install manpages-ru manpages-el manpages-ja manpages-zh)";
}

// Generated lines thick with tags, with a word of each script between
// their pieces: the runs' groups and environments must sit inside any
// tag's, centred lines, sizes and line breaks.
TEST(LatexScriptReaders, PdflatexCompilesScriptsAmongAnyTags) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  for (const char* file : kTexFiles) {
    if (runCommand({"kpsewhich", file}).out.empty()) GTEST_SKIP() << file << " is missing";
  }
  const std::string_view words[] = {"Жук", "αβ", "α", "ἄ", "Việt", "中文", "かな", "한글", "Ж中ά"};
  std::string document;
  std::size_t next = 0;
  for (const std::string& line : tagHeavyLines(20261213u, 1500, 4)) {
    for (const char c : line) {
      document += c;
      if (c == ' ') document.append(words[next++ % std::size(words)]).push_back(' ');
    }
  }
  TempDir dir;
  const std::string latex = convertText(document, Format::Latex, 's', nullptr, TextMode::Typed);
  ASSERT_NE(latex.find("\\usepackage[T2A,LGR,T5,T1]{fontenc}\n\\usepackage{CJKutf8}\n"),
            std::string::npos);
  writeFile(dir / "scripts.tex", latex);
  const CommandResult r =
      runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                  "-output-directory", dir.path().string(), (dir / "scripts.tex").string()});
  EXPECT_EQ(r.status, 0) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
}

}  // namespace
}  // namespace kolvo::test
