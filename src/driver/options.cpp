#include "driver/options.hpp"

#include <charconv>
#include <cstdlib>

#include <algorithm>

#include "driver/conversion.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/option_spelling.hpp"
#include "driver/page_design_options.hpp"
#include "driver/positional_words.hpp"
#include "io/message_text.hpp"
#include "driver/paper_choice.hpp"
#include "driver/usage_text.hpp"
#include "markup/markup_reference.hpp"
#include "writers/paged/running_text.hpp"
#include "text/language_tag.hpp"
#include "text/metadata_text.hpp"

namespace kolvo {
namespace {

const LongOption* findOption(std::span<const LongOption> options, std::string_view name) {
  for (const LongOption& option : options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

enum class WordSource { CommandLine, Presets };

UsageError unknownOption(std::string_view name, std::span<const LongOption> options) {
  std::string message = "unknown option " + quoted(name);
  const std::string_view meant = nearestLongOption(name, options);
  if (!meant.empty()) message += "; did you mean " + std::string(meant) + "?";
  return UsageError{message};
}

// The long option at the front of `words` (`--name`, `--name value` or
// `--name=value`), taken off and applied; a request ends the command line.
std::optional<CommandLineRequest> readLongOption(std::span<const char* const>& words,
                                                 std::span<const LongOption> options,
                                                 ConversionSettings& settings) {
  const std::string_view word = words[0];
  words = words.subspan(1);
  const std::size_t equals = word.find('=');
  const std::string_view name = word.substr(0, equals);
  const LongOption* option = findOption(options, name);
  if (option == nullptr) return unknownOption(name, options);
  std::string value;
  const char* argument = nullptr;
  if (equals != std::string_view::npos) {
    if (option->argument == OptionArgument::None) {
      return UsageError{"option " + quoted(name) + " takes no value"};
    }
    value = word.substr(equals + 1);
    argument = value.c_str();
  } else if (option->argument != OptionArgument::None && !words.empty()) {
    argument = words[0];
    words = words.subspan(1);
  } else if (option->argument == OptionArgument::Word) {
    return UsageError{"option " + quoted(name) + " needs " + std::string(option->argumentName)};
  }
  settings.optionWords.push_back(argument != nullptr ? std::string(name) + "=" + argument
                                                     : std::string(name));
  return option->handle(argument, settings);
}

// KOLVO_OPTIONS: settings only, each a long option; a mistake there is named
// as coming from there, for the command line the user typed looks right.
std::optional<CommandLineRequest> readPresets(std::string_view presets,
                                              std::span<const LongOption> options,
                                              ConversionSettings& settings) {
  std::vector<std::string> held;
  for (std::size_t at = presets.find_first_not_of(" \t\n"); at != std::string_view::npos;) {
    const std::size_t end = std::min(presets.find_first_of(" \t\n", at), presets.size());
    held.emplace_back(presets.substr(at, end - at));
    at = presets.find_first_not_of(" \t\n", end);
  }
  std::vector<const char*> pointers;
  pointers.reserve(held.size());
  for (const std::string& word : held) pointers.push_back(word.c_str());
  std::optional<CommandLineRequest> request = applySettingWords(pointers, options, settings);
  if (auto* error = request ? std::get_if<UsageError>(&*request) : nullptr) {
    error->message = "in KOLVO_OPTIONS: " + error->message;
  }
  return request;
}

}  // namespace

std::optional<CommandLineRequest> applySettingWords(std::span<const char* const> words,
                                                    std::span<const LongOption> options,
                                                    ConversionSettings& settings) {
  while (!words.empty()) {
    const std::string_view word = words[0];
    const LongOption* option = findOption(options, word.substr(0, word.find('=')));
    if (!word.starts_with("--")) return UsageError{quoted(word) + " is not a long option"};
    if (option != nullptr && option->role != OptionRole::Setting &&
        option->role != OptionRole::Undo) {
      return UsageError{quoted(word) + " is not a setting"};
    }
    if (auto request = readLongOption(words, options, settings)) return request;
  }
  return std::nullopt;
}

std::optional<CommandLineRequest> printHelp(const char*, ConversionSettings&) {
  return PrintText{usageText()};
}

std::optional<CommandLineRequest> printVersion(const char*, ConversionSettings&) {
  return PrintText{versionLine()};
}

std::optional<CommandLineRequest> printMarkupReference(const char* argument,
                                                       ConversionSettings&) {
  if (argument == nullptr) return PrintText{markupReference(ReferenceStyle::Markdown)};
  if (std::string_view(argument) == "man") return PrintText{markupReference(ReferenceStyle::Roff)};
  return UsageError{"unknown form of the markup reference " + quoted(argument) +
                    ": leave it out for Markdown, or say man"};
}

std::optional<CommandLineRequest> takeTextAsTyped(const char*, ConversionSettings& settings) {
  settings.mode = TextMode::Typed;
  return std::nullopt;
}

std::optional<CommandLineRequest> takeTextAsMarkup(const char*, ConversionSettings& settings) {
  settings.mode = TextMode::Markup;
  return std::nullopt;
}

std::optional<CommandLineRequest> dropFallbackFonts(const char*, ConversionSettings& settings) {
  settings.fontFiles.clear();
  return std::nullopt;
}

std::optional<CommandLineRequest> keepQuiet(const char*, ConversionSettings& settings) {
  settings.quiet = true;
  return std::nullopt;
}

std::optional<CommandLineRequest> warnAgain(const char*, ConversionSettings& settings) {
  settings.quiet = false;
  return std::nullopt;
}

namespace {

// A header or footer template; an empty one takes it away.
std::optional<CommandLineRequest> setRunningLine(const char* argument, std::string_view name,
                                                 paged::RunningLine& line) {
  const std::string problem = paged::parseRunningLine(argument, line);
  if (problem.empty()) return std::nullopt;
  return UsageError{"in the " + std::string(name) + " " + quoted(argument) + ": " + problem};
}

}  // namespace

std::optional<CommandLineRequest> setHeader(const char* argument, ConversionSettings& settings) {
  return setRunningLine(argument, "header", settings.header);
}

std::optional<CommandLineRequest> setFooter(const char* argument, ConversionSettings& settings) {
  return setRunningLine(argument, "footer", settings.footer);
}

std::optional<CommandLineRequest> setMargins(const char* argument, ConversionSettings& settings) {
  const std::string_view word(argument);
  if (word == "none") {
    settings.margins.reset();
    return std::nullopt;
  }
  auto margins = parseMargins(word);
  if (const auto* problem = std::get_if<std::string>(&margins)) {
    return UsageError{"--margins " + quoted(word) + ": " + *problem};
  }
  settings.margins = std::get<paged::PageMargins>(margins);
  return std::nullopt;
}

std::optional<CommandLineRequest> setInCourier(const char*, ConversionSettings& settings) {
  settings.mono = true;
  return std::nullopt;
}

std::optional<CommandLineRequest> setInTimes(const char*, ConversionSettings& settings) {
  settings.mono = false;
  return std::nullopt;
}

std::optional<CommandLineRequest> setLanguage(const char* argument, ConversionSettings& settings) {
  const std::string_view tag(argument);
  if (!tag.empty() && !isLanguageTag(tag)) {
    return UsageError{"malformed language tag " + quoted(tag) +
                      ": say a BCP 47 tag such as en, en-GB, de-CH or sr-Latn-RS"};
  }
  settings.info.language = tag;
  return std::nullopt;
}

std::optional<CommandLineRequest> writeOutline(const char*, ConversionSettings& settings) {
  settings.info.outline = true;
  return std::nullopt;
}

std::optional<CommandLineRequest> leaveOutOutline(const char*, ConversionSettings& settings) {
  settings.info.outline = false;
  return std::nullopt;
}

std::optional<CommandLineRequest> convertIntoFolder(const char* argument,
                                                   ConversionSettings& settings) {
  const std::string_view folder(argument);
  if (folder.empty() || folder == "-") {
    return UsageError{"--output-dir " + quoted(folder) + ": say the folder to write into"};
  }
  settings.outputDir = std::string(folder);
  return std::nullopt;
}

std::optional<CommandLineRequest> setJobCount(const char* argument, ConversionSettings& settings) {
  const std::string_view word(argument);
  unsigned count = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
  if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
      count > kMaxJobs) {
    return UsageError{"--jobs " + quoted(word) + ": say a number from 1 to " +
                      std::to_string(kMaxJobs) + ", or 0 for one per CPU"};
  }
  settings.jobs = count;
  return std::nullopt;
}

std::optional<CommandLineRequest> checkMarkup(const char*, ConversionSettings& settings) {
  settings.check = true;
  return std::nullopt;
}

std::optional<CommandLineRequest> choosePaper(const char* argument, ConversionSettings& settings) {
  const std::string_view word(argument);
  if (word == "none") {
    settings.paper = nullptr;
    return std::nullopt;
  }
  ConfiguredPaper chosen{std::string(word), {}};
  if (word == "auto") chosen = configuredPaper(std::getenv("PAPERSIZE"), std::getenv("PAPERCONF"));
  settings.paper = findPaperSize(chosen.name);
  if (settings.paper != nullptr) return std::nullopt;
  std::string message = "unknown paper size " + quoted(chosen.name);
  if (!chosen.source.empty()) message += " (from " + printable(chosen.source) + ")";
  return UsageError{message + ": say " + paperSizeNames() + ", auto or none"};
}

std::optional<CommandLineRequest> chooseEncoding(const char* argument,
                                                 ConversionSettings& settings) {
  const std::string name(argument);
  if (!isKnownEncoding(name)) {
    return UsageError{"unknown encoding " + quoted(name) +
                      ": say a name that iconv -l lists, such as SHIFT_JIS, WINDOWS-1250, "
                      "ISO-8859-2 or KOI8-R"};
  }
  settings.encoding = isDefaultEncoding(name) ? std::string() : name;
  return std::nullopt;
}

std::optional<CommandLineRequest> addFallbackFont(const char* argument,
                                                  ConversionSettings& settings) {
  settings.fontFiles.emplace_back(argument);
  return std::nullopt;
}

CommandLineRequest parseCommandLine(std::span<const char* const> words,
                                    std::span<const LongOption> options,
                                    std::string_view presets) {
  ConversionSettings settings;
  if (auto request = readPresets(presets, options, settings)) return *std::move(request);
  std::vector<const char*> positional;
  bool optionsEnded = false;
  while (!words.empty()) {
    const std::string_view word = words[0];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
      words = words.subspan(1);
    } else if (!optionsEnded && word.starts_with("--")) {
      if (auto request = readLongOption(words, options, settings)) return *std::move(request);
    } else {
      positional.push_back(words[0]);
      words = words.subspan(1);
    }
  }
  if (auto problem = settlePageDesign(settings)) return UsageError{"--margins: " + *problem};
  return readPositionalWords(positional, std::move(settings), options);
}

std::string unknownFormatMessage(std::string_view word) {
  std::string message = "unknown format " + quoted(word) +
                        ": its second character must be one of ";
  for (const FormatInfo& f : kFormats) {
    if (f.format != kFormats.front().format) message += ", ";
    message += f.letter;
    message += " (";
    message += f.name;
    message += ')';
  }
  const FormatInfo& pdf = formatInfo(Format::Pdf);
  const FormatInfo& html = formatInfo(Format::Html);
  return message + "; or say a format's name (" + std::string(pdf.extension) + ", " +
         std::string(html.extension) + "...)";
}

}  // namespace kolvo
