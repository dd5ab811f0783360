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
  const CommandLineRequest request = parse({"xP", "in.txt", "out.pdf", "-Tx"});
  const auto* settings = std::get_if<ConversionSettings>(&request);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->format, Format::Pdf);
  EXPECT_EQ(settings->inputPath, "in.txt");
  EXPECT_EQ(settings->outputPath, "out.pdf");
  EXPECT_EQ(settings->option, 'T');
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-h", "-", "-", ""})).option, '\0');
  // OPTION may be left out; fewer words name the first one missing.
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-h", "in.txt", "out.html"})).option, 's');
  EXPECT_EQ(usageError(parse({"-h", "in.txt"})), "missing OUTPUT");
  EXPECT_EQ(usageError(parse({"-h"})), "missing INPUT");
  EXPECT_EQ(usageError(parse({})), "missing FORMAT");
  EXPECT_TRUE(std::get<UsageError>(parse({})).showSynopsis);
  EXPECT_EQ(usageError(parse({"-h", "a", "b", "c", "d", "e"})),
            "too many words after FORMAT INPUT OUTPUT OPTION: 'd' 'e'; "
            "one run converts one INPUT into one OUTPUT");
  EXPECT_FALSE(std::get<UsageError>(parse({"-h", "a", "b", "c", "d"})).showSynopsis);
}

Format formatOf(const std::vector<const char*>& words) {
  const CommandLineRequest request = parse(words);
  const auto* settings = std::get_if<ConversionSettings>(&request);
  EXPECT_NE(settings, nullptr) << words[0] << ": " << usageError(request);
  return settings != nullptr ? settings->format : Format::AbiWord;
}

TEST(Options, FormatIsANameOrExtensionElseItsSecondCharacter) {
  const std::vector<std::pair<const char*, Format>> cases = {
      {"pdf", Format::Pdf},          {"PDF", Format::Pdf},
      {"ps", Format::PostScript},    {"PostScript", Format::PostScript},
      {"html", Format::Html},        {"htm", Format::Html},
      {"rtf", Format::Rtf},          {"tex", Format::Latex},
      {"latex", Format::Latex},      {"docbook", Format::DocBook},
      {"xml", Format::DocBook},      {"dbk", Format::DocBook},
      {"abw", Format::AbiWord},      {"AbiWord", Format::AbiWord},
      {"fodt", Format::OpenDocument}, {"odt", Format::OpenDocument},
      // The old rule for any other word, whatever it spells.
      {"-P", Format::Pdf},           {"/h", Format::Html},
      {"xh", Format::Html},          {"-paper", Format::PostScript},
      {"-help", Format::Html},       {"-pdf", Format::PostScript},
  };
  for (const auto& [word, format] : cases) {
    EXPECT_EQ(formatOf({word, "in", "out"}), format) << word;
  }
  // Every name of the table is taken, so a new alias needs no code here.
  for (const FormatInfo& f : kFormats) {
    EXPECT_EQ(formatOf({std::string(f.extension).c_str(), "in", "out"}), f.format);
  }
}

TEST(Options, WordsThatFitNoFormatSayWhatTheyMayHaveMeant) {
  EXPECT_EQ(usageError(parse({"-e", "in", "out"})), "'-e' is not an option; did you mean --escape?");
  EXPECT_EQ(usageError(parse({"-escape", "in", "out"})),
            "'-escape' is not an option; did you mean --escape?");
  EXPECT_EQ(usageError(parse({"-f", "in", "out"})), "'-f' is not an option; did you mean --font?");
  EXPECT_EQ(usageError(parse({"-x", "in", "out"})), unknownFormatMessage("-x"));
  EXPECT_EQ(usageError(parse({"-", "in", "out"})), unknownFormatMessage("-"));
  EXPECT_EQ(usageError(parse({"pfd", "in", "out"})), unknownFormatMessage("pfd"));
  // A single-dash option read as FORMAT gets its hint once the line is refused.
  EXPECT_EQ(usageError(parse({"-paper", "letter", "in", "out.pdf"})),
            "OPTION 'out.pdf' looks like a file name; one run converts one INPUT into one "
            "OUTPUT ('-paper' was read as FORMAT; did you mean --paper?)");
}

TEST(Options, UnknownLongOptionsNameTheNearest) {
  EXPECT_EQ(usageError(parse({"--escpae", "-h", "in", "out"})),
            "unknown option '--escpae'; did you mean --escape?");
  EXPECT_EQ(usageError(parse({"-h", "in", "out", "--papr=a4"})),
            "unknown option '--papr'; did you mean --paper?");
  EXPECT_EQ(usageError(parse({"--helpme", "in", "out", "-s"})),
            "unknown option '--helpme'; did you mean --help?");
  EXPECT_EQ(usageError(parse({"--zzzzzzzz", "-h", "in", "out"})), "unknown option '--zzzzzzzz'");
  EXPECT_EQ(usageError(parse({"--\x1b[2J", "-h", "in", "out"})),
            "unknown option '--\\x1b[2J'");
}

TEST(Options, OutputAndOptionWordsThatCannotBeMeant) {
  EXPECT_EQ(usageError(parse({"-P", "in", "-s", "out.pdf"})),
            "OUTPUT '-s' looks like an option; say ./-s for a file of that name");
  EXPECT_EQ(usageError(parse({"-P", "a.txt", "b.txt", "all.pdf"})),
            "OPTION 'all.pdf' looks like a file name; one run converts one INPUT into one OUTPUT");
  EXPECT_EQ(usageError(parse({"-P", "in", "out", "dir/x"})).substr(0, 14), "OPTION 'dir/x'");
  // Standard output is "-", and "./-s" names a file.
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-P", "in", "-"})).outputPath, "-");
  EXPECT_EQ(std::get<ConversionSettings>(parse({"-P", "in", "./-s"})).outputPath, "./-s");
}

std::vector<std::string> warnings(const std::vector<const char*>& words,
                                  std::string_view presets = {}) {
  const CommandLineRequest request = parseCommandLine(words, kLongOptions, presets);
  const auto* settings = std::get_if<ConversionSettings>(&request);
  return settings != nullptr ? settings->warnings : std::vector<std::string>{"(refused)"};
}

TEST(Options, WarningsForOddButMeaningfulLines) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(warnings({"pdf", "in", "out.PDF"}), Lines{});
  EXPECT_EQ(warnings({"-d", "in", "out.pdf"}), Lines{"writing DocBook 5 to 'out.pdf'"});
  EXPECT_EQ(warnings({"-h", "in", "dir.ps/out"}), Lines{});
  EXPECT_EQ(warnings({"-h", "in", ".pdf"}), Lines{});
  EXPECT_EQ(warnings({"-h", "in", "out.txt"}), Lines{});
  EXPECT_EQ(warnings({"-h", "in", "-"}), Lines{});
  EXPECT_EQ(warnings({"--font", "f.ttf", "-P", "in", "out.pdf"}),
            Lines{"--font has no effect without --escape"});
  EXPECT_EQ(warnings({"--font", "f.ttf", "-P", "in", "out.pdf"}, "--escape"), Lines{});
}

// The program hands libkolvo its settings as the words that made them: read
// again on their own, they must give the same settings, presets, spaced
// values and --no- undoings included.
TEST(Options, TheWordsOfTheSettingsMakeThemAgain) {
  const std::vector<const char*> words = {"--paper", "a5", "-P", "in", "--margins=20mm",
                                          "out", "--no-quiet", "--font", "b.ttf",
                                          "--encoding", "latin1", "--title=T", "--no-outline"};
  const CommandLineRequest request =
      parseCommandLine(words, kLongOptions, "--escape --quiet --font=a.ttf --mono");
  const auto* parsed = std::get_if<ConversionSettings>(&request);
  ASSERT_NE(parsed, nullptr) << usageError(request);
  EXPECT_EQ(parsed->optionWords,
            (std::vector<std::string>{"--escape", "--quiet", "--font=a.ttf", "--mono",
                                      "--paper=a5", "--margins=20mm", "--no-quiet",
                                      "--font=b.ttf", "--encoding=latin1", "--title=T",
                                      "--no-outline"}));
  std::vector<const char*> again;
  for (const std::string& word : parsed->optionWords) again.push_back(word.c_str());
  ConversionSettings made;
  ASSERT_FALSE(applySettingWords(again, kLongOptions, made).has_value());
  EXPECT_EQ(made.mode, parsed->mode);
  EXPECT_EQ(made.paper, parsed->paper);
  EXPECT_EQ(made.margins, parsed->margins);
  EXPECT_EQ(made.fontFiles, parsed->fontFiles);
  EXPECT_EQ(made.encoding, parsed->encoding);
  EXPECT_EQ(made.mono, parsed->mono);
  EXPECT_EQ(made.quiet, parsed->quiet);
  EXPECT_EQ(made.info.title, parsed->info.title);
  EXPECT_EQ(made.info.outline, parsed->info.outline);
}

TEST(Options, LongOptionsStandAnywhereUntilTwoDashes) {
  const auto settings = [](const std::vector<const char*>& words, std::string_view presets = {}) {
    const CommandLineRequest request = parseCommandLine(words, kLongOptions, presets);
    const auto* found = std::get_if<ConversionSettings>(&request);
    EXPECT_NE(found, nullptr) << usageError(request);
    return found != nullptr ? *found : ConversionSettings{};
  };
  EXPECT_EQ(settings({"-h", "in", "--escape", "out"}).mode, TextMode::Typed);
  EXPECT_EQ(settings({"-P", "in", "out", "--paper=letter"}).paper, findPaperSize("letter"));
  EXPECT_EQ(settings({"-P", "in", "out", "--paper", "letter", "-s"}).paper, findPaperSize("letter"));
  EXPECT_EQ(settings({"-P", "--", "--escape", "out"}).inputPath, "--escape");
  EXPECT_EQ(settings({"-P", "--", "--escape", "out"}).mode, TextMode::Markup);
  EXPECT_EQ(settings({"--font=a.ttf", "--font", "b.ttf", "-P", "i", "o"}).fontFiles,
            (std::vector<std::string>{"a.ttf", "b.ttf"}));
  // Presets come first; the command line turns them back off.
  const ConversionSettings preset = settings({"-P", "i", "o"}, " --escape\t--paper a5 --font=f ");
  EXPECT_EQ(preset.mode, TextMode::Typed);
  EXPECT_EQ(preset.paper, findPaperSize("a5"));
  EXPECT_EQ(preset.fontFiles, std::vector<std::string>{"f"});
  const ConversionSettings undone = settings(
      {"--no-escape", "-P", "i", "o", "--paper", "none", "--no-font"}, "--escape --paper a5 --font f");
  EXPECT_EQ(undone.mode, TextMode::Markup);
  EXPECT_EQ(undone.paper, nullptr);
  EXPECT_TRUE(undone.fontFiles.empty());
  EXPECT_EQ(usageError(parseCommandLine(std::vector<const char*>{"-P", "i", "o"}, kLongOptions,
                                        "--escape -P")),
            "in KOLVO_OPTIONS: '-P' is not a long option");
  EXPECT_EQ(usageError(parseCommandLine(std::vector<const char*>{}, kLongOptions, "--version")),
            "in KOLVO_OPTIONS: '--version' is not a setting");
  EXPECT_EQ(usageError(parseCommandLine(std::vector<const char*>{}, kLongOptions, "--paper")),
            "in KOLVO_OPTIONS: option '--paper' needs SIZE");
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
  // A setting does not make the words fewer.
  EXPECT_EQ(usageError(parse({"--paper", "a4", "-P", "in"}, kWithPaper)), "missing OUTPUT");
  // A command still answers after a setting.
  EXPECT_EQ(printed(parse({"--paper", "a4", "--help"}, kWithPaper)), usageText());
  // After `--` a long option is just a word: here the input file.
  EXPECT_EQ(
      std::get<ConversionSettings>(parse({"-P", "--", "--paper", "out", "-s"}, kWithPaper)).inputPath,
      "--paper");
}

}  // namespace
}  // namespace kolvo::test
