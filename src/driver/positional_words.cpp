#include "driver/positional_words.hpp"

#include <array>
#include <string>
#include <string_view>

#include "driver/batch_outputs.hpp"
#include "driver/format_word.hpp"
#include "driver/option_spelling.hpp"
#include "io/message_text.hpp"

namespace kolvo {
namespace {

char secondChar(std::string_view word) { return word.size() >= 2 ? word[1] : '\0'; }

// FORMAT that names no format: a word that looks like a mistyped option
// ("-e", "-escape") is named as such, any other gets the list of letters.
UsageError unknownFormat(std::string_view word, std::span<const LongOption> options) {
  if (word.starts_with('-')) {
    const std::string_view meant = nearestLongOption(word, options);
    if (!meant.empty()) {
      return UsageError{quoted(word) + " is not an option; did you mean " + std::string(meant) +
                        "?"};
    }
  }
  return UsageError{unknownFormatMessage(word)};
}

// A hint for a refused line whose FORMAT is an option's name with one dash
// ("-paper" reads as PostScript, as it always has).
std::string singleDashHint(std::string_view format, std::span<const LongOption> options) {
  for (const LongOption& option : options) {
    if (option.name.substr(1) == format) {
      return " (" + quoted(format) + " was read as FORMAT; did you mean " +
             std::string(option.name) + "?)";
    }
  }
  return "";
}

// Standard input cannot be one of several inputs: it is read once, and a
// batch has no name to give its output.
std::optional<UsageError> standardInputAmong(std::span<const char* const> inputs,
                                             std::string_view task) {
  if (inputs.size() < 2 && task == "--check") return std::nullopt;
  for (const std::string_view input : inputs) {
    if (input == "-") {
      return UsageError{std::string(task) + " reads files: standard input ('-') is no INPUT here"};
    }
  }
  return std::nullopt;
}

// A conversion's line given to --check ("--check -p in.txt out.ps") would
// read its OUTPUT as a second input: a word with the extension of the
// format checked is taken for one.
std::optional<UsageError> outputAmongInputs(std::span<const char* const> inputs,
                                            std::optional<Format> format) {
  if (inputs.size() < 2 || !format) return std::nullopt;
  for (const std::string_view input : inputs) {
    if (formatOfExtension(input) == format) {
      return UsageError{"--check writes no document, and " + quoted(input) +
                        " looks like its OUTPUT; leave it out"};
    }
  }
  return std::nullopt;
}

// INPUT, FORMAT INPUT, or FORMAT and several INPUTs.
CommandLineRequest parseCheck(std::span<const char* const> words, const ConversionSettings& settings,
                              std::span<const LongOption> options) {
  if (words.empty()) return UsageError{"--check takes INPUT, or FORMAT and INPUT"};
  if (settings.outputDir) return UsageError{"--check writes no document: leave out --output-dir"};
  CheckSettings check;
  check.mode = settings.mode;
  check.paper = settings.paper;
  check.fontFiles = settings.fontFiles;
  check.encoding = settings.encoding;
  check.jobs = settings.jobs;
  if (words.size() >= 2) {
    check.format = formatOfWord(words[0]);
    if (!check.format) return unknownFormat(words[0], options);
    words = words.subspan(1);
  }
  if (auto problem = standardInputAmong(words, "--check")) return *std::move(problem);
  if (auto problem = outputAmongInputs(words, check.format)) return *std::move(problem);
  check.inputPaths.assign(words.begin(), words.end());
  return check;
}

// --output-dir DIR FORMAT INPUT...: no OUTPUT, no OPTION; each output named
// after its input, and no two the same.
CommandLineRequest parseBatch(std::span<const char* const> words, ConversionSettings settings,
                              std::span<const LongOption> options) {
  if (words.size() < 2) return UsageError{words.empty() ? "missing FORMAT" : "missing INPUT", true};
  const std::optional<Format> format = formatOfWord(words[0]);
  if (!format) return unknownFormat(words[0], options);
  BatchSettings batch;
  const std::span<const char* const> inputs = words.subspan(1);
  if (auto problem = standardInputAmong(inputs, "--output-dir")) return *std::move(problem);
  for (const std::string_view input : inputs) {
    if (input.size() > 1 && input.starts_with('-')) {
      return UsageError{"INPUT " + quoted(input) +
                        " looks like an option; --output-dir takes no OPTION (say ./" +
                        std::string(input) + " for a file of that name)"};
    }
    std::optional<std::string> output = batchOutputPath(*settings.outputDir, input, *format);
    if (!output) return UsageError{"INPUT " + quoted(input) + " names no file"};
    batch.inputPaths.emplace_back(input);
    batch.outputPaths.push_back(*std::move(output));
  }
  if (auto problem = sharedOutputProblem(batch.inputPaths, batch.outputPaths)) {
    return UsageError{*std::move(problem)};
  }
  batch.outputDir = *settings.outputDir;
  settings.format = *format;
  if (!settings.fontFiles.empty() && settings.mode != TextMode::Typed) {
    settings.warnings.emplace_back("--font has no effect without --escape");
  }
  batch.common = std::move(settings);
  return batch;
}

std::optional<UsageError> wrongCount(std::span<const char* const> words,
                                     std::span<const LongOption> options) {
  static constexpr std::array<std::string_view, 3> kWanted = {"FORMAT", "INPUT", "OUTPUT"};
  if (words.size() < kWanted.size()) {
    return UsageError{"missing " + std::string(kWanted[words.size()]), true};
  }
  if (words.size() <= 4) return std::nullopt;
  std::string extra;
  for (const char* word : words.subspan(4)) extra += " " + quoted(word);
  return UsageError{"too many words after FORMAT INPUT OUTPUT OPTION:" + extra +
                    "; one run converts one INPUT into one OUTPUT" +
                    singleDashHint(words[0], options)};
}

// OUTPUT or OPTION words that cannot be what the user meant: they would
// write a file named like an option, or take a file name for OPTION and
// so write over what was meant as input.
std::optional<UsageError> misplacedWord(std::span<const char* const> words,
                                        std::span<const LongOption> options) {
  const std::string_view output = words[2];
  if (output.size() > 1 && output.starts_with('-')) {
    return UsageError{"OUTPUT " + quoted(output) +
                      " looks like an option; say ./" + std::string(output) +
                      " for a file of that name" + singleDashHint(words[0], options)};
  }
  if (words.size() == 4) {
    const std::string_view option = words[3];
    if (option.find_first_of("./") != std::string_view::npos) {
      return UsageError{"OPTION " + quoted(option) +
                        " looks like a file name; one run converts one INPUT into one OUTPUT" +
                        singleDashHint(words[0], options)};
    }
  }
  return std::nullopt;
}

void addWarnings(ConversionSettings& settings) {
  if (settings.outputPath != "-") {
    const std::optional<Format> named = formatOfExtension(settings.outputPath);
    if (named && *named != settings.format) {
      settings.warnings.push_back("writing " + std::string(formatName(settings.format)) +
                                  " to " + quoted(settings.outputPath));
    }
  }
  if (!settings.fontFiles.empty() && settings.mode != TextMode::Typed) {
    settings.warnings.emplace_back("--font has no effect without --escape");
  }
}

}  // namespace

CommandLineRequest readPositionalWords(std::span<const char* const> words,
                                       ConversionSettings settings,
                                       std::span<const LongOption> options) {
  if (settings.check) return parseCheck(words, settings, options);
  if (settings.outputDir) return parseBatch(words, std::move(settings), options);
  if (std::optional<UsageError> error = wrongCount(words, options)) return *std::move(error);
  const std::optional<Format> format = formatOfWord(words[0]);
  if (!format) return unknownFormat(words[0], options);
  if (std::optional<UsageError> error = misplacedWord(words, options)) return *std::move(error);
  settings.format = *format;
  settings.inputPath = words[1];
  settings.outputPath = words[2];
  settings.option = words.size() == 4 ? secondChar(words[3]) : 's';
  addWarnings(settings);
  return settings;
}

}  // namespace kolvo
