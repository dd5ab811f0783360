// The command line in steps: parse the words, then check, convert a batch,
// or convert one INPUT through libkolvo.
#include "driver/command_line.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "driver/batch_run.hpp"
#include "driver/check_run.hpp"
#include "driver/document_date.hpp"
#include "driver/library_conversion.hpp"
#include "driver/options.hpp"
#include "driver/standard_streams.hpp"
#include "driver/usage_text.hpp"

namespace kolvo {
namespace {

int reportUsageError(const UsageError& error) {
  printError(error.message);
  if (error.showSynopsis) (void)std::fputs(synopsisText().c_str(), stderr);
  (void)std::fputs("Try 'kolvo --help' for more information.\n", stderr);
  return kExitUsage;
}

// Settings that name the document's date take the run's: one date for
// every document of a batch.
void dateTheDocuments(ConversionSettings& settings) {
  if (!writesMetadata(settings)) return;
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch());
  settings.info.created =
      documentDate(std::getenv("SOURCE_DATE_EPOCH"), now.count(), settings.warnings);
}

void printSettingWarnings(const ConversionSettings& settings) {
  if (settings.quiet) return;
  for (const std::string& warning : settings.warnings) printWarning(warning);
}

int convertBatch(BatchSettings batch, FallbackFontsFactory factory) {
  if (auto problem = outputFolderProblem(batch.outputDir)) {
    return reportUsageError(UsageError{*std::move(problem)});
  }
  dateTheDocuments(batch.common);
  printSettingWarnings(batch.common);
  return runBatch(batch, factory);
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, FallbackFontsFactory fallback) {
  const ClosedStandardStreams closed = reserveStandardDescriptors();
  const std::span<const char* const> words =
      argc > 1 ? std::span(argv + 1, static_cast<std::size_t>(argc - 1))
               : std::span<const char* const>();
  const char* presets = std::getenv("KOLVO_OPTIONS");
  const CommandLineRequest request =
      parseCommandLine(words, kLongOptions, presets != nullptr ? presets : "");
  if (const auto* error = std::get_if<UsageError>(&request)) return reportUsageError(*error);
  if (const auto* text = std::get_if<PrintText>(&request)) {
    return printToStandardOutput(text->text, closed.output);
  }
  if (const auto* check = std::get_if<CheckSettings>(&request)) {
    return runCheck(*check, closed.input, closed.output, fallback);
  }
  if (const auto* batch = std::get_if<BatchSettings>(&request)) return convertBatch(*batch, fallback);
  ConversionSettings settings = std::get<ConversionSettings>(request);
  dateTheDocuments(settings);
  printSettingWarnings(settings);
  return convertThroughLibrary(settings, closed);
}

}  // namespace kolvo
