#pragma once
// The words of the command line: long options first, then
// FORMAT INPUT OUTPUT OPTION. A long option is a row of kLongOptions; one
// that changes the conversion (--paper SIZE, say) is a row here plus a
// field of ConversionSettings.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "markup/format.hpp"
#include "writers/paged/page_design.hpp"
#include "text/metadata_text.hpp"
#include "writers/document_info.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {

// Everything a conversion run is told by the command line.
struct ConversionSettings {
  Format format = Format::AbiWord;
  char option = 's';  // the raw option letter: V, t, T, v; anything else means none
  std::string inputPath;   // "-" for standard input
  std::string outputPath;  // "-" for standard output
  TextMode mode = TextMode::Markup;  // --escape: the text as typed
  // --paper: PostScript and PDF laid out for this size; nullptr keeps the
  // layout they have always had.
  const PaperSize* paper = nullptr;
  std::vector<std::string> fontFiles;  // --font: fallback fonts tried first, in order
  // --encoding: what INPUT is written in, for iconv; empty is UTF-8, other
  // bytes read as Windows-1252.
  std::string encoding;
  // --margins, --header, --footer, --mono: PostScript and PDF pages (they
  // lay the page out as --paper a4 when no paper is given).
  std::optional<paged::PageMargins> margins;
  paged::RunningLine header;
  paged::RunningLine footer;
  bool mono = false;
  bool check = false;  // --check: report markup mistakes, write no document
  // --quiet: no warnings, and none of the counting they need; errors are
  // still reported.
  bool quiet = false;
  // --title, --author, --subject, --keywords, --lang and --outline; the date
  // is the run's (documentInfoFor).
  DocumentInfo info;
  // Said on standard error before the run: the command line is odd, not wrong.
  std::vector<std::string> warnings;
  // --output-dir: every word after FORMAT is an INPUT, converted into this
  // folder (a batch, BatchSettings).
  std::optional<std::string> outputDir;
  // --jobs: how many inputs of a batch or of --check are read at once; 0 is
  // one per online CPU.
  unsigned jobs = 0;
  // The long options that made these settings, in the order they were read
  // (KOLVO_OPTIONS first), each as "--name" or "--name=value": what the
  // program hands libkolvo (kolvo_options_set), which reads them through the
  // same table.
  std::vector<std::string> optionWords;
};

// --output-dir: each INPUT converted into DIR/NAME.EXT with the same
// settings, as many at once as `jobs` says.
struct BatchSettings {
  ConversionSettings common;  // inputPath and outputPath unused
  std::string outputDir;
  std::vector<std::string> inputPaths;
  std::vector<std::string> outputPaths;  // one per input, in the same order
};

// What --check is asked: INPUT judged for one format, or for all of them.
struct CheckSettings {
  std::optional<Format> format;  // empty: every format
  std::vector<std::string> inputPaths;  // "-" for standard input, when it is the only one
  unsigned jobs = 0;                    // --jobs: inputs checked at once; 0: one per CPU
  TextMode mode = TextMode::Markup;
  const PaperSize* paper = nullptr;  // --paper: the page lines must fit
  std::vector<std::string> fontFiles;  // --font: what draws beyond the standard fonts
  std::string encoding;                // --encoding: what INPUT is written in
};

// A command line that cannot be carried out (exit status 2). With no
// message the words were too few, and the usage text says what is wanted.
struct UsageError {
  std::string message;
  bool showSynopsis = false;  // words are missing: the synopsis says which are wanted
};

// A command line that asks for a text on standard output (--help).
struct PrintText {
  std::string text;
};

using CommandLineRequest =
    std::variant<UsageError, PrintText, ConversionSettings, CheckSettings, BatchSettings>;

enum class OptionArgument {
  None,
  OptionalWord,  // the next word, if there is one
  Word,          // the next word, which must be there
};

// Commands answer instead of converting and are listed on the second line
// of the synopsis; settings come before FORMAT and change the conversion;
// a task does another job on words of its own (`argumentName` shows them)
// and has a synopsis line of its own, after the settings.
// An undo turns a setting back off (one KOLVO_OPTIONS made): the option
// list shows it, the synopsis does not.
enum class OptionRole { Command, Setting, Undo, Task };

// What an option does with its argument (nullptr when it has none): either
// it ends the command line with a request, or it sets its field of
// `settings` and returns nothing, and the next word is read.
using OptionHandler = std::optional<CommandLineRequest> (*)(const char* argument,
                                                            ConversionSettings& settings);

// One line of the option list in the usage text; unused lines have no words.
struct HelpLine {
  std::string_view words;
  std::string_view text;
};

struct LongOption {
  std::string_view name;  // "--markup-reference"
  OptionRole role;
  OptionArgument argument;
  std::string_view argumentName;  // as the synopsis shows it: "man", "SIZE"
  OptionHandler handle;
  std::array<HelpLine, 2> help;
};

std::optional<CommandLineRequest> printHelp(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> printVersion(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> printMarkupReference(const char* argument,
                                                       ConversionSettings& settings);
std::optional<CommandLineRequest> takeTextAsTyped(const char* argument,
                                                  ConversionSettings& settings);
std::optional<CommandLineRequest> takeTextAsMarkup(const char* argument,
                                                   ConversionSettings& settings);
std::optional<CommandLineRequest> choosePaper(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> addFallbackFont(const char* argument,
                                                  ConversionSettings& settings);
std::optional<CommandLineRequest> dropFallbackFonts(const char* argument,
                                                    ConversionSettings& settings);
std::optional<CommandLineRequest> chooseEncoding(const char* argument,
                                                 ConversionSettings& settings);
std::optional<CommandLineRequest> setHeader(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> setFooter(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> setMargins(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> setInCourier(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> setInTimes(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> checkMarkup(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> convertIntoFolder(const char* argument,
                                                   ConversionSettings& settings);
std::optional<CommandLineRequest> setJobCount(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> keepQuiet(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> warnAgain(const char* argument, ConversionSettings& settings);
// --title, --author, --subject, --keywords: one text of the metadata; an
// empty value takes back one that KOLVO_OPTIONS gave.
template <std::string DocumentInfo::*Field>
std::optional<CommandLineRequest> setMetadataText(const char* argument, ConversionSettings& settings) {
  settings.info.*Field = metadataValue(argument);
  return std::nullopt;
}
std::optional<CommandLineRequest> setLanguage(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> writeOutline(const char* argument, ConversionSettings& settings);
std::optional<CommandLineRequest> leaveOutOutline(const char* argument,
                                                  ConversionSettings& settings);

// The most inputs a batch converts at once (each job's output is a
// temporary file that the signal handler must know).
inline constexpr unsigned kMaxJobs = 256;

inline constexpr std::array<LongOption, 26> kLongOptions = {{
    // The synopsis shows --help and --version well enough, and the last
    // line of the help --markup-reference.
    {"--help", OptionRole::Command, OptionArgument::None, "", printHelp, {}},
    {"--version", OptionRole::Command, OptionArgument::None, "", printVersion, {}},
    {"--markup-reference", OptionRole::Command, OptionArgument::OptionalWord, "man",
     printMarkupReference, {}},
    {"--escape", OptionRole::Setting, OptionArgument::None, "", takeTextAsTyped,
     {{{"--escape", "show the text exactly as typed, in every format"}}}},
    {"--paper", OptionRole::Setting, OptionArgument::Word, "SIZE", choosePaper,
     {{{"--paper SIZE", "a4, letter, legal, a5, auto or none; long lines wrap"}}}},
    {"--font", OptionRole::Setting, OptionArgument::Word, "FILE", addFallbackFont,
     {{{"--font FILE", "PostScript, PDF: draw missing glyphs with FILE first"}}}},
    {"--encoding", OptionRole::Setting, OptionArgument::Word, "NAME", chooseEncoding,
     {{{"--encoding NAME", "read INPUT as NAME (iconv -l), not as UTF-8"}}}},
    {"--header", OptionRole::Setting, OptionArgument::Word, "TEXT", setHeader,
     {{{"--header, --footer TEXT", "PS, PDF pages: left|centre|right, %f %t %d %p %P"}}}},
    {"--footer", OptionRole::Setting, OptionArgument::Word, "TEXT", setFooter, {}},
    {"--margins", OptionRole::Setting, OptionArgument::Word, "L,R,T,B", setMargins,
     {{{"--margins L,R,T,B", "in pt, mm, cm or in, or one; --mono: text in Courier"}}}},
    {"--mono", OptionRole::Setting, OptionArgument::None, "", setInCourier, {}},
    {"--title", OptionRole::Setting, OptionArgument::Word, "TEXT", setMetadataText<&DocumentInfo::title>,
     {{{"--title, --author TEXT", "--subject, --keywords too: OUTPUT's metadata"}}}},
    {"--author", OptionRole::Setting, OptionArgument::Word, "TEXT", setMetadataText<&DocumentInfo::author>, {}},
    {"--subject", OptionRole::Setting, OptionArgument::Word, "TEXT", setMetadataText<&DocumentInfo::subject>, {}},
    {"--keywords", OptionRole::Setting, OptionArgument::Word, "TEXT", setMetadataText<&DocumentInfo::keywords>, {}},
    {"--lang", OptionRole::Setting, OptionArgument::Word, "TAG", setLanguage,
     {{{"--lang TAG, --outline", "its language (en-GB); PDF: bookmarks of headings"}}}},
    {"--outline", OptionRole::Setting, OptionArgument::None, "", writeOutline, {}},
    {"--quiet", OptionRole::Setting, OptionArgument::None, "", keepQuiet,
     {{{"--quiet, --no-NAME", "no warnings; --no-escape, --no-quiet ... undo one"}}}},
    {"--no-escape", OptionRole::Undo, OptionArgument::None, "", takeTextAsMarkup, {}},
    {"--no-font", OptionRole::Undo, OptionArgument::None, "", dropFallbackFonts, {}},
    {"--no-mono", OptionRole::Undo, OptionArgument::None, "", setInTimes, {}},
    {"--no-quiet", OptionRole::Undo, OptionArgument::None, "", warnAgain, {}},
    {"--no-outline", OptionRole::Undo, OptionArgument::None, "", leaveOutOutline, {}},
    {"--jobs", OptionRole::Setting, OptionArgument::Word, "N", setJobCount, {}},
    {"--output-dir", OptionRole::Task, OptionArgument::Word, "DIR FORMAT INPUT...",
     convertIntoFolder,
     {{{"--output-dir, --jobs N", "each INPUT to DIR/NAME.EXT, N at once (0: all cores)"}}}},
    {"--check", OptionRole::Task, OptionArgument::None, "[FORMAT] INPUT...", checkMarkup,
     {{{"--check [FORMAT] INPUT", "markup mistakes for FORMAT or all; 1: some found"},
       {"", ""}}}},
}};

// Reads the words after the program name: long options wherever they stand
// (up to a word `--`), as `--name value` or `--name=value`, and
// FORMAT INPUT OUTPUT [OPTION]. FORMAT is a format's name or extension, or
// else its second character counts; of OPTION only the second character.
// `presets` (the value of KOLVO_OPTIONS) holds settings read first.
CommandLineRequest parseCommandLine(std::span<const char* const> words,
                                    std::span<const LongOption> options = kLongOptions,
                                    std::string_view presets = {});

// Applies `words`, each a setting (or its undo) as a long option, `--name
// value` or `--name=value`, to `settings` in order: KOLVO_OPTIONS and the
// library's options (kolvo_options_set) go through it. The first mistake
// ends it as a UsageError.
std::optional<CommandLineRequest> applySettingWords(std::span<const char* const> words,
                                                    std::span<const LongOption> options,
                                                    ConversionSettings& settings);

// The message for a FORMAT word whose second character is no format letter.
std::string unknownFormatMessage(std::string_view word);

}  // namespace kolvo
