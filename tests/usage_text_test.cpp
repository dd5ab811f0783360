// The usage text and the unknown-format message are made from the tables:
// whatever the tables hold shows, in their order, within 80 columns, and
// the example given is a command line the program accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "driver/command_line.hpp"
#include "driver/options.hpp"
#include "driver/usage_text.hpp"
#include "markup/format.hpp"

namespace kolvo::test {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines between the line `heading` and the next line that does not
// start with a blank.
std::vector<std::string> section(const std::string& text, const std::string& heading) {
  std::vector<std::string> lines;
  bool inside = false;
  for (const std::string& line : linesOf(text)) {
    if (inside && !line.starts_with(' ')) break;
    if (inside) lines.push_back(line);
    if (line.starts_with(heading)) inside = true;
  }
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

// The lines the tables make (the synopsis, the format list and the option
// list) grow with them; none may pass 80 columns.
TEST(UsageText, LinesMadeFromTheTablesFitEightyColumns) {
  const std::string text = usageText();
  ASSERT_TRUE(text.ends_with("\n"));
  for (const std::string& line : linesOf(text)) {
    EXPECT_FALSE(line.ends_with(" ")) << "trailing blank: " << line;
    const bool fromTables = line.starts_with("Usage: ") || line.starts_with("       kolvo ") ||
                            line.starts_with("  --");
    if (fromTables) {
      EXPECT_LE(line.size(), 80u) << line;
    }
  }
  for (const std::string& line : section(text, "Formats:")) {
    EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(UsageText, FormatListHoldsEveryRowInOrder) {
  const std::string list = joined(section(usageText(), "Formats:"));
  std::size_t at = 0;
  for (const FormatInfo& f : kFormats) {
    const std::string entry = std::string(1, f.letter) + "  " + std::string(f.name);
    at = list.find(entry, at);
    ASSERT_NE(at, std::string::npos) << entry << " missing or out of order in\n" << list;
  }
}

TEST(UsageText, OptionListHoldsEveryLetterTheProgramActsOn) {
  const std::string list = joined(section(usageText(), "Options:"));
  std::string letters = "s";  // the letter of no option, which the text names first
  for (int byte = 1; byte < 256; ++byte) {
    const char letter = static_cast<char>(byte);
    if (letter != 's' && normaliseOption(letter) == letter) letters += letter;
  }
  ASSERT_GE(letters.size(), 2u);
  for (const char letter : letters) {
    EXPECT_NE(list.find(std::string(" ") + letter + "  "), std::string::npos)
        << "no entry for " << letter << " in\n" << list;
  }
}

TEST(UsageText, EveryLongOptionHasItsHelpLinesAlignedInOneColumn) {
  const std::vector<std::string> lines = linesOf(usageText());
  std::size_t textColumn = 0;
  for (const LongOption& option : kLongOptions) {
    for (const HelpLine& help : option.help) {
      if (help.words.empty()) continue;
      const std::string start = "  " + std::string(help.words) + " ";
      const auto line = std::find_if(lines.begin(), lines.end(),
                                     [&](const std::string& l) { return l.starts_with(start); });
      ASSERT_NE(line, lines.end()) << "no line for " << help.words;
      const std::size_t textStart = line->find_first_not_of(' ', start.size());
      EXPECT_EQ(line->substr(textStart), help.text);
      if (textColumn == 0) textColumn = textStart;
      EXPECT_EQ(textStart, textColumn) << *line;
    }
  }
}

TEST(UsageText, SynopsisShowsEverySettingCommandAndTask) {
  const std::vector<std::string> lines = linesOf(usageText());
  ASSERT_GE(lines.size(), 3u);
  const std::string& conversion = lines[0];
  EXPECT_TRUE(conversion.starts_with("Usage: kolvo ")) << conversion;
  EXPECT_TRUE(conversion.ends_with(" [SETTING...] FORMAT INPUT OUTPUT [OPTION]")) << conversion;
  const std::string& commands = lines[1];
  std::size_t task = 2;
  for (const LongOption& option : kLongOptions) {
    const std::string name(option.name);
    switch (option.role) {
      case OptionRole::Setting:
      case OptionRole::Undo:
        // Too many for one line: [SETTING...] before FORMAT and before each
        // task stands for them, and the option list names them.
        for (std::size_t i = 2; i < lines.size() && lines[i].starts_with("       kolvo "); ++i) {
          EXPECT_NE(lines[i].find("[SETTING...] "), std::string::npos) << lines[i];
        }
        break;
      case OptionRole::Command:
        EXPECT_NE(commands.find(name), std::string::npos) << name;
        break;
      case OptionRole::Task:
        ASSERT_LT(task, lines.size());
        EXPECT_TRUE(lines[task].starts_with("       kolvo ")) << lines[task];
        EXPECT_TRUE(lines[task].ends_with(name + " " + std::string(option.argumentName)))
            << lines[task];
        ++task;
        break;
    }
  }
  EXPECT_TRUE(commands.starts_with("       kolvo --")) << commands;
}

TEST(UsageText, ExitStatusesAreTheProgramsOwn) {
  const std::string text = usageText();
  for (const int status : {kExitOk, kExitFailure, kExitUsage}) {
    EXPECT_NE(text.find(" " + std::to_string(status) + " "), std::string::npos) << status;
  }
}

TEST(UsageText, TheExampleIsACommandLineTheProgramAccepts) {
  std::string example;
  for (const std::string& line : linesOf(usageText())) {
    if (line.starts_with("Example: kolvo ")) example = line.substr(15);
  }
  ASSERT_FALSE(example.empty());
  std::vector<std::string> words;
  std::istringstream in(example);
  for (std::string word; in >> word;) words.push_back(word);
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  const CommandLineRequest request = parseCommandLine(argv);
  const auto* settings = std::get_if<ConversionSettings>(&request);
  ASSERT_NE(settings, nullptr) << example;
  // The output file carries the extension of the format.
  EXPECT_TRUE(settings->outputPath.ends_with("." + std::string(formatExtension(settings->format))))
      << example;
}

TEST(UsageText, UnknownFormatMessageQuotesTheWordAndListsEveryFormatInOrder) {
  const std::string message = unknownFormatMessage("-x");
  EXPECT_TRUE(message.starts_with("unknown format '-x': ")) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos);
  std::size_t at = 0;
  for (const FormatInfo& f : kFormats) {
    const std::string entry = std::string(1, f.letter) + " (" + std::string(f.name) + ")";
    at = message.find(entry, at);
    ASSERT_NE(at, std::string::npos) << entry << " missing or out of order in " << message;
  }
  EXPECT_TRUE(message.ends_with(")")) << message;
}

std::optional<CommandLineRequest> acceptColumns(const char*, ConversionSettings&) {
  return std::nullopt;
}

// A setting is a row of the option table: the synopsis and the option list
// show it without more code.
TEST(UsageText, ShowsASettingOptionFromItsRowAlone) {
  std::vector<LongOption> options(kLongOptions.begin(), kLongOptions.end());
  options.push_back({"--columns", OptionRole::Setting, OptionArgument::Word, "N", acceptColumns,
                     {{{"--columns N", "set the text in N columns"}}}});
  const std::vector<std::string> lines = linesOf(usageText(options));
  ASSERT_FALSE(lines.empty());
  const auto entry = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.starts_with("  --columns N ");
  });
  ASSERT_NE(entry, lines.end());
  EXPECT_TRUE(entry->ends_with(" set the text in N columns")) << *entry;
  // After the other options, where the list ends.
  ASSERT_NE(entry + 1, lines.end());
  EXPECT_TRUE((entry + 1)->starts_with("Exit status: ")) << *(entry + 1);
}

}  // namespace
}  // namespace kolvo::test
