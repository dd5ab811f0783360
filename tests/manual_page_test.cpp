// The manual page, docs/kolvo.1: it names every format, option and exit
// status the program has, agrees with --help, carries the tag table the
// program prints, and renders without a warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>

#include "driver/command_line.hpp"
#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/usage_text.hpp"
#include "markup/format.hpp"
#include "markup/markup_reference.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

std::string manualPage() { return readFile(sourceDir() / "docs" / "kolvo.1"); }

// The source of one section: from its ".SH NAME" line to the next ".SH".
std::string section(const std::string& page, const std::string& name) {
  const std::string heading = ".SH " + name + "\n";
  const std::size_t from = page.find(heading);
  if (from == std::string::npos) return "";
  const std::size_t body = from + heading.size();
  const std::size_t to = page.find("\n.SH ", body);
  return page.substr(body, to == std::string::npos ? std::string::npos : to + 1 - body);
}

struct Entry {
  std::string term;  // the word after ".B" on the line that follows ".TP"
  std::string text;  // the first line of its description
};

// The ".TP" entries of a section, in order.
std::vector<Entry> entries(const std::string& sectionText) {
  std::vector<Entry> out;
  std::istringstream lines(sectionText);
  std::string line;
  while (std::getline(lines, line)) {
    if (line != ".TP") continue;
    Entry entry;
    if (std::getline(lines, line) && line.rfind(".B ", 0) == 0) entry.term = line.substr(3);
    if (std::getline(lines, line)) entry.text = line;
    out.push_back(entry);
  }
  return out;
}

std::set<std::string> terms(const std::vector<Entry>& list) {
  std::set<std::string> out;
  for (const Entry& e : list) out.insert(e.term);
  return out;
}

TEST(ManualPage, NamesEveryFormatOptionAndExitStatus) {
  const std::string page = manualPage();
  const std::vector<Entry> formats = entries(section(page, "FORMATS"));
  std::set<std::string> letters;
  for (const FormatInfo& f : kFormats) letters.insert(std::string(1, f.letter));
  EXPECT_EQ(terms(formats), letters);
  for (const Entry& e : formats) {
    const std::optional<Format> f = formatFromLetter(e.term.empty() ? '\0' : e.term[0]);
    ASSERT_TRUE(f.has_value()) << e.term;
    EXPECT_EQ(e.text.rfind(std::string(formatName(*f)), 0), 0u)
        << "the entry of " << e.term << " should start with " << formatName(*f) << ": " << e.text;
  }

  const std::string optionSection = section(page, "OPTIONS");
  const std::set<std::string> options = terms(entries(optionSection));
  for (const char* option : {"s", "t", "T", "v", "V"}) {
    EXPECT_TRUE(options.count(option)) << option;
  }
  for (const LongOption& option : kLongOptions) {
    // roff wants a backslash before each minus sign; an option with an
    // argument is set with .BR.
    std::string term;
    for (char c : option.name) term += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_TRUE(options.count(term) || optionSection.find("\n.BR " + term + " ") != std::string::npos)
        << option.name;
  }
  for (const std::string& option : options) {
    if (option.size() != 1) continue;
    const char letter = option[0];
    EXPECT_TRUE(letter == 's' || normaliseOption(letter) == letter)
        << option << " is no option letter of the program";
  }

  EXPECT_EQ(terms(entries(section(page, "EXIT STATUS"))),
            (std::set<std::string>{std::to_string(kExitOk), std::to_string(kExitFailure),
                                   std::to_string(kExitUsage)}));
}

TEST(ManualPage, AgreesWithTheHelpText) {
  const std::string help = usageText();
  const std::string page = manualPage();
  for (const FormatInfo& f : kFormats) {
    const std::string entry = std::string(1, f.letter) + "  " + std::string(f.name);
    EXPECT_NE(help.find(entry), std::string::npos) << entry;
  }
  for (const char* entry : {"s  none", "t  small top spacing", "T  large top spacing",
                            "v  progress trace", "V  print the version line"}) {
    EXPECT_NE(help.find(entry), std::string::npos) << entry;
  }
  for (const LongOption& option : kLongOptions) {
    for (const HelpLine& line : option.help) {
      EXPECT_NE(help.find(line.words), std::string::npos) << line.words;
    }
  }
  EXPECT_NE(help.find("Exit status: 0 done, 1 file error or --check finding, 2 bad usage"),
            std::string::npos);

  // Both name the same version.
  const std::string version = versionLine();  // "Version X.Y.Z b YEAR \n"
  const std::string number = version.substr(8, version.find(' ', 8) - 8);
  EXPECT_NE(page.find(".TH KOLVO 1 "), std::string::npos);
  EXPECT_NE(page.find("\"kolvo " + number + "\""), std::string::npos) << number;
  EXPECT_NE(page.find(version.substr(0, version.size() - 2)), std::string::npos)
      << "the V option's line";
}

TEST(ManualPage, TagTableIsTheOneTheProgramPrints) {
  const std::string page = manualPage();
  const std::string start = ".\\\" markup-reference:start\n";
  const std::string end = ".\\\" markup-reference:end\n";
  const std::size_t from = page.find(start);
  const std::size_t to = page.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(page.substr(from + start.size(), to - from - start.size()),
            markupReference(ReferenceStyle::Roff))
      << "regenerate the table of docs/kolvo.1 with: kolvo --markup-reference man";
  // tbl needs the preprocessor line at the top, or man shows the table raw.
  EXPECT_EQ(page.rfind("'\\\" t\n", 0), 0u);
}

// Every tag of the table reaches the reader, in the Markdown and roff forms.
TEST(ManualPage, BothReferenceFormsListEveryTagOnce) {
  const std::string markdown = markupReference(ReferenceStyle::Markdown);
  const std::string roff = markupReference(ReferenceStyle::Roff);
  for (const TagRow& row : kTagTable) {
    const std::string tag(row.tag);
    EXPECT_NE(markdown.find("| `" + tag + "` |"), std::string::npos) << tag;
    EXPECT_NE(roff.find("\n" + tag + "\tT{\n"), std::string::npos) << tag;
  }
  EXPECT_EQ(std::count(roff.begin(), roff.end(), '\n'),
            static_cast<std::ptrdiff_t>(5 + 3 * kTagRowCount + 1));
}

TEST(ManualPageReaders, GroffRendersItWithoutWarnings) {
  KOLVO_REQUIRE_TOOL("groff");
  const std::string path = (sourceDir() / "docs" / "kolvo.1").string();
  const CommandResult r = runCommand({"groff", "-ww", "-t", "-man", "-Tutf8", "-P-cbou", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* heading : {"NAME", "SYNOPSIS", "FORMATS", "OPTIONS", "EXIT STATUS", "MARKUP",
                              "DRAWING LINES", "TAGS", "EXAMPLES"}) {
    EXPECT_NE(r.out.find(heading), std::string::npos) << heading;
  }
  // The table came out as a table: its rule, and no tbl request left as text.
  EXPECT_NE(r.out.find("\u2500\u2500\u2500"), std::string::npos);
  EXPECT_EQ(r.out.find("T{"), std::string::npos);
}

TEST(ManualPageReaders, ManShowsItWithoutWarnings) {
  KOLVO_REQUIRE_TOOL("man");
  const std::string path = (sourceDir() / "docs" / "kolvo.1").string();
  const CommandResult r =
      runCommand({"env", "MANWIDTH=80", "MAN_KEEP_FORMATTING=0", "man", "--warnings", "-l", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // Justified text: compare with the blanks squeezed.
  std::string text;
  for (char c : r.out) {
    if (c == ' ' && !text.empty() && text.back() == ' ') continue;
    text += c;
  }
  EXPECT_NE(text.find("kolvo - convert marked-up plain text"), std::string::npos) << text;
}

}  // namespace
}  // namespace kolvo::test
