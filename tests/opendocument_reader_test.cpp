// LibreOffice reads the OpenDocument output: the showcase and a document of
// every tag, taken as markup and as typed, converted to PDF by one start of
// soffice (it takes seconds to start), and pdftotext finds their words in
// the PDFs. Slow: it runs both programs; it skips without them.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"
#include "writers/drawing.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

// The words of three letters or more that the input shows: drawing lines
// and the tags of the table left out.
std::set<std::string> shownWords(std::string_view input) {
  std::set<std::string> words;
  std::string word;
  const auto flush = [&] {
    if (word.size() >= 3) words.insert(word);
    word.clear();
  };
  std::size_t lineStart = 0;
  for (std::size_t at = 0; at < input.size(); ++at) {
    if (at == lineStart && isDrawingLine(input.substr(at))) {
      at = std::min(input.find('\n', at), input.size());
      lineStart = at + 1;
      continue;
    }
    if (input[at] == '\n') lineStart = at + 1;
    bool tag = false;
    for (const TagRow& row : kTagTable) tag = tag || input.substr(at, 3) == row.tag;
    if (tag) {
      flush();
      at += 2;
    } else if (std::isalpha(static_cast<unsigned char>(input[at])) != 0) {
      word += input[at];
    } else {
      flush();
    }
  }
  flush();
  return words;
}

std::string everyTag() {
  std::string text;
  for (const TagRow& row : kTagTable) {
    text += std::string(row.tag) + "word" + std::string(row.tag.substr(1)) + " ";
    if (row.tag[1] == 'g') text += "\n";  // lines of a few tags
  }
  return text + "\nlast line <b>bold</b> & fish\n";
}

struct Case {
  std::string name;
  std::string input;
  TextMode mode;
};

TEST(OpenDocumentReaders, LibreOfficeShowsTheWordsOfEveryDocument) {
  KOLVO_REQUIRE_TOOL("soffice");
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  const std::string showcase = readFile(sourceDir() / "examples" / "showcase.txt");
  const std::vector<Case> cases = {{"showcase", showcase, TextMode::Markup},
                                   {"showcase-typed", showcase, TextMode::Typed},
                                   {"tags", everyTag(), TextMode::Markup},
                                   {"tags-typed", everyTag(), TextMode::Typed}};
  std::vector<std::string> argv = {"soffice", "--headless", "--norestore",
                                   "-env:UserInstallation=file://" + (dir / "profile").string(),
                                   "--convert-to", "pdf", "--outdir", (dir / "pdf").string()};
  for (const Case& c : cases) {
    const fs::path doc = dir / (c.name + ".fodt");
    writeFile(doc, convertText(c.input, Format::OpenDocument, 's', nullptr, c.mode));
    argv.push_back(doc.string());
  }
  const CommandResult converted = runCommand(argv);
  ASSERT_EQ(converted.status, 0) << converted.err;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path pdf = dir / "pdf" / (c.name + ".pdf");
    ASSERT_TRUE(fs::exists(pdf)) << converted.out << converted.err;
    const CommandResult text = runCommand({"pdftotext", pdf.string(), "-"});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::set<std::string> words = shownWords(c.input);
    ASSERT_GT(words.size(), 20u);
    for (const std::string& word : words) {
      EXPECT_NE(text.out.find(word), std::string::npos) << word;
    }
    // The symbols come through as the characters they are.
    EXPECT_NE(text.out.find("\xCE\xB1"), std::string::npos);  // alpha
    EXPECT_NE(text.out.find("\xE2\x88\x9A"), std::string::npos);  // square root
  }
}

}  // namespace
}  // namespace kolvo::test
