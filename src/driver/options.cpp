#include "driver/options.hpp"

#include <cstdlib>

#include "driver/conversion.hpp"
#include "driver/paper_choice.hpp"
#include "driver/usage_text.hpp"
#include "io/message_text.hpp"
#include "markup/markup_reference.hpp"

namespace kolvo {
namespace {

char secondChar(const char* word) { return (word[0] != '\0') ? word[1] : '\0'; }

const LongOption* findOption(std::span<const LongOption> options, std::string_view word) {
  for (const LongOption& option : options) {
    if (option.name == word) return &option;
  }
  return nullptr;
}

// "--check [FORMAT] INPUT": one word is INPUT, two are FORMAT and INPUT.
CommandLineRequest parseCheck(std::span<const char* const> words,
                              const ConversionSettings& settings) {
  if (words.empty() || words.size() > 2) {
    return UsageError{"--check takes INPUT, or FORMAT and INPUT"};
  }
  CheckSettings check;
  check.mode = settings.mode;
  check.paper = settings.paper;
  check.fontFiles = settings.fontFiles;
  if (words.size() == 2) {
    check.format = formatFromLetter(secondChar(words[0]));
    if (!check.format) return UsageError{unknownFormatMessage(words[0])};
  }
  check.inputPath = words.back();
  return check;
}

CommandLineRequest parseConversion(std::span<const char* const> words,
                                   ConversionSettings settings) {
  if (settings.check) return parseCheck(words, settings);
  if (words.size() < 4) return UsageError{};
  const std::optional<Format> format = formatFromLetter(secondChar(words[0]));
  if (!format) return UsageError{unknownFormatMessage(words[0])};
  settings.format = *format;
  settings.inputPath = words[1];
  settings.outputPath = words[2];
  settings.option = secondChar(words[3]);
  return settings;
}

}  // namespace

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
  return UsageError{"unknown form of the markup reference '" + printable(argument) +
                    "': leave it out for Markdown, or say man"};
}

std::optional<CommandLineRequest> takeTextAsTyped(const char*, ConversionSettings& settings) {
  settings.mode = TextMode::Typed;
  return std::nullopt;
}

std::optional<CommandLineRequest> checkMarkup(const char*, ConversionSettings& settings) {
  settings.check = true;
  return std::nullopt;
}

std::optional<CommandLineRequest> choosePaper(const char* argument, ConversionSettings& settings) {
  const std::string_view word(argument);
  ConfiguredPaper chosen{std::string(word), {}};
  if (word == "auto") chosen = configuredPaper(std::getenv("PAPERSIZE"), std::getenv("PAPERCONF"));
  settings.paper = findPaperSize(chosen.name);
  if (settings.paper != nullptr) return std::nullopt;
  std::string message = "unknown paper size '" + printable(chosen.name) + "'";
  if (!chosen.source.empty()) message += " (from " + printable(chosen.source) + ")";
  return UsageError{message + ": say " + paperSizeNames() + " or auto"};
}

std::optional<CommandLineRequest> addFallbackFont(const char* argument,
                                                  ConversionSettings& settings) {
  settings.fontFiles.emplace_back(argument);
  return std::nullopt;
}

CommandLineRequest parseCommandLine(std::span<const char* const> words,
                                    std::span<const LongOption> options) {
  ConversionSettings settings;
  while (!words.empty()) {
    const LongOption* option = findOption(options, words[0]);
    if (option == nullptr) break;
    words = words.subspan(1);
    const char* argument = nullptr;
    if (option->argument != OptionArgument::None && !words.empty()) {
      argument = words[0];
      words = words.subspan(1);
    } else if (option->argument == OptionArgument::Word) {
      return UsageError{"option '" + std::string(option->name) + "' needs " +
                        std::string(option->argumentName)};
    }
    if (std::optional<CommandLineRequest> request = option->handle(argument, settings)) {
      return *std::move(request);
    }
  }
  return parseConversion(words, std::move(settings));
}

std::string unknownFormatMessage(std::string_view word) {
  std::string message = "unknown format '" + printable(word) +
                        "': its second character must be one of ";
  for (const FormatInfo& f : kFormats) {
    if (f.format != kFormats.front().format) message += ", ";
    message += f.letter;
    message += " (";
    message += f.name;
    message += ')';
  }
  return message;
}

}  // namespace kolvo
