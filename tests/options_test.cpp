// Reading the words of the command line: long options from their table,
// then FORMAT INPUT OUTPUT OPTION.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/usage_text.hpp"
#include "markup/markup_reference.hpp"

namespace kolvo::test {
namespace {

CommandLineRequest parse(const std::vector<const char*>& words,
                         std::span<const LongOption> options = kLongOptions) {
  return parseCommandLine(words, options);
}

std::string printed(const CommandLineRequest& request) {
  const auto* text = std::get_if<PrintText>(&request);
  return text != nullptr ? text->text : "(no text)";
}

std::string usageError(const CommandLineRequest& request) {
  const auto* error = std::get_if<UsageError>(&request);
  return error != nullptr ? error->message : "(no usage error)";
}

TEST(Options, CommandsAnswerAndIgnoreTheWordsAfterThem) {
  EXPECT_EQ(printed(parse({"--help", "-h", "in", "out", "-s"})), usageText());
  EXPECT_EQ(printed(parse({"--version"})), versionLine());
  EXPECT_EQ(printed(parse({"--markup-reference"})), markupReference(ReferenceStyle::Markdown));
  EXPECT_EQ(printed(parse({"--markup-reference", "man", "more"})),
            markupReference(ReferenceStyle::Roff));
  EXPECT_EQ(usageError(parse({"--markup-reference", "html"})),
            "unknown form of the markup reference 'html': leave it out for Markdown, or say man");
}

TEST(Options, FourWordsMakeAConversion) {
  const CommandLineRequest request = parse({"xP", "in.txt", "out.pdf", "-Tx", "more"});
  const auto* settings = std::get_if<ConversionSettings>(&request);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->format, Format::Pdf);
  EXPECT_EQ(settings->inputPath, "in.txt");
  EXPECT_EQ(settings->outputPath, "out.pdf");
  EXPECT_EQ(settings->option, 'T');
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-h", "-", "-", ""})).option, '\0');
  // Too few words: no message, the usage text says it.
  EXPECT_EQ(usageError(parse({"-h", "in.txt", "out.html"})), "");
  EXPECT_EQ(usageError(parse({})), "");
  // A word that is no long option is a FORMAT word, as it always was.
  EXPECT_EQ(usageError(parse({"--helpme", "in", "out", "-s"})), unknownFormatMessage("--helpme"));
}

std::optional<CommandLineRequest> choosePaper(const char* size, ConversionSettings&) {
  if (std::string_view(size) == "a4") return std::nullopt;
  return UsageError{"no paper '" + std::string(size) + "'"};
}

// The way a setting such as --paper SIZE would come in: a row of the table.
constexpr std::array<LongOption, 2> kWithPaper = {{
    kLongOptions[0],
    {"--paper", OptionRole::Setting, OptionArgument::Word, "SIZE", choosePaper, {}},
}};

TEST(Options, SettingsComeBeforeFormatAndTakeTheirWord) {
  const CommandLineRequest request = parse({"--paper", "a4", "-P", "in", "out", "-s"}, kWithPaper);
  ASSERT_TRUE(std::holds_alternative<ConversionSettings>(request)) << usageError(request);
  EXPECT_EQ(std::get<ConversionSettings>(request).format, Format::Pdf);
  EXPECT_EQ(usageError(parse({"--paper", "b9", "-P", "in", "out", "-s"}, kWithPaper)),
            "no paper 'b9'");
  EXPECT_EQ(usageError(parse({"--paper"}, kWithPaper)), "option '--paper' needs SIZE");
  // A setting does not make the four words fewer.
  EXPECT_EQ(usageError(parse({"--paper", "a4", "-P", "in", "out"}, kWithPaper)), "");
  // A command still answers after a setting.
  EXPECT_EQ(printed(parse({"--paper", "a4", "--help"}, kWithPaper)), usageText());
  // After FORMAT a long option is just a word: here the input file.
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-P", "--paper", "out", "-s"}, kWithPaper)).inputPath,
            "--paper");
}

}  // namespace
}  // namespace kolvo::test
