#include "driver/usage_text.hpp"

#include <array>
#include <cstddef>

#include "markup/format.hpp"

namespace kolvo {
namespace {

// The columns at which the entries of the format list start, four a line.
constexpr std::array<std::size_t, 4> kFormatListColumns = {2, 20, 38, 54};
// The option list gives the words this wide, then their help text.
constexpr std::size_t kHelpWordsWidth = 25;

// Pads `line` with blanks up to `column`, or by two blanks when it is
// already there.
void padTo(std::string& line, std::size_t column) {
  line.append(line.size() < column ? column - line.size() : 2, ' ');
}

std::string synopsisWords(const LongOption& option) {
  std::string words(option.name);
  if (option.argument == OptionArgument::OptionalWord) {
    words += " [" + std::string(option.argumentName) + "]";
  } else if (option.argument == OptionArgument::Word) {
    words += " " + std::string(option.argumentName);
  }
  return words;
}

// "Usage: kolvo [SETTING...] FORMAT INPUT OUTPUT [OPTION]", then the
// commands, then each task after the settings. The settings themselves are
// too many for one line: the option list names them.
std::string synopsis(std::span<const LongOption> options) {
  const std::string settings = "[SETTING...] ";
  std::string commands = "       kolvo ";
  bool firstCommand = true;
  for (const LongOption& option : options) {
    if (option.role != OptionRole::Command) continue;
    if (!firstCommand) commands += " | ";
    commands += synopsisWords(option);
    firstCommand = false;
  }
  std::string tasks;
  for (const LongOption& option : options) {
    if (option.role != OptionRole::Task) continue;
    tasks += "       kolvo " + settings + std::string(option.name) + " " +
             std::string(option.argumentName) + "\n";
  }
  return "Usage: kolvo " + settings + "FORMAT INPUT OUTPUT [OPTION]\n" + commands + "\n" + tasks;
}

std::string formatList() {
  std::string out;
  std::string line;
  for (std::size_t i = 0; i < kFormatCount; ++i) {
    const std::size_t slot = i % kFormatListColumns.size();
    if (slot == 0 && !line.empty()) {
      out += line + "\n";
      line.clear();
    }
    padTo(line, kFormatListColumns[slot]);
    line += kFormats[i].letter;
    line += "  ";
    line += kFormats[i].name;
  }
  return out + line + "\n";
}

std::string optionList(std::span<const LongOption> options) {
  std::string out;
  for (const LongOption& option : options) {
    for (const HelpLine& help : option.help) {
      if (help.words.empty()) continue;
      std::string line = "  " + std::string(help.words);
      padTo(line, 2 + kHelpWordsWidth);
      out += line + std::string(help.text) + "\n";
    }
  }
  return out;
}

}  // namespace

std::string synopsisText(std::span<const LongOption> options) { return synopsis(options); }

// Each format's extension, for the sentence that says names count too.
std::string extensions() {
  std::string out;
  for (const FormatInfo& f : kFormats) {
    if (!out.empty()) out += ", ";
    out += f.extension;
  }
  return out;
}

std::string usageText(std::span<const LongOption> options) {
  const FormatInfo& html = formatInfo(Format::Html);
  const FormatInfo& pdf = formatInfo(Format::Pdf);
  const std::string h(1, html.letter);
  return synopsis(options) +
         "Converts INPUT, text with Kolvo markup, into OUTPUT; - is standard input/output.\n"
         "Formats: by name (" + extensions() + "...) or letter (-" + h + "):\n" +
         formatList() +
         "Options: the 2nd character (s if none); long ones before --, KOLVO_OPTIONS first\n"
         "  s  none            t  small top spacing       T  large top spacing\n"
         "  v  progress trace  V  print the version line first\n" +
         optionList(options) +
         "Exit status: 0 done, 1 file error or --check finding, 2 bad usage; see kolvo(1).\n"
         "Example: kolvo " + std::string(pdf.extension) + " letter.txt letter." +
         std::string(pdf.extension) + "\n";
}

}  // namespace kolvo
