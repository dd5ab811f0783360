// The command line in steps: parse the words, open the files, run the
// conversion, finish the output.
#include "driver/command_line.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <span>
#include <string>

#include "driver/check_run.hpp"
#include "driver/conversion.hpp"
#include "driver/page_design_options.hpp"
#include "driver/document_date.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/input_file.hpp"
#include "driver/line_reader.hpp"
#include "driver/options.hpp"
#include "driver/output_file.hpp"
#include "driver/rereadable_input.hpp"
#include "driver/standard_streams.hpp"
#include "driver/usage_text.hpp"
#include "writers/output_sink.hpp"
#include "writers/writer.hpp"

namespace kolvo {
namespace {

int reportUsageError(const UsageError& error) {
  printError(error.message);
  if (error.showSynopsis) (void)std::fputs(synopsisText().c_str(), stderr);
  (void)std::fputs("Try 'kolvo --help' for more information.\n", stderr);
  return kExitUsage;
}

WarningCount warningCount(const ConversionSettings& settings) {
  return settings.quiet ? WarningCount::Skipped : WarningCount::Counted;
}

// The first of two readings gives out the fallback fonts' codes, when the
// writer wants them before its prologue (writerReadsInputTwice), or finds
// the scripts whose fonts typed LaTeX's preamble loads.
ConversionReport convertInput(const InputFile& input, OutputSink& out,
                              const ConversionSettings& settings, FallbackFonts* fallback,
                              Console& console) {
  // Typed text keeps every line whole: one line is one paragraph.
  const std::size_t pieces = settings.mode == TextMode::Typed ? kWholeLines : kMaxPiece;
  const bool codesFirst =
      fallback != nullptr && writerReadsInputTwice(settings.format, settings.mode, true);
  const bool scriptsFirst = readsLatexScriptsFirst(settings.format, settings.mode);
  const std::optional<paged::PageDesign> design = pageDesignOf(settings);
  const paged::PageDesign* const pageDesign = design ? &*design : nullptr;
  const DocumentInfo* info = writesMetadata(settings) ? &settings.info : nullptr;
  if (!codesFirst && !scriptsFirst) {
    LineReader in(input.fd(), input.name(), pieces, makeEncodingDecoder(settings.encoding));
    return convert(in, out, settings.format, settings.option, console, settings.mode,
                   settings.paper, fallback, warningCount(settings), {}, pageDesign, info);
  }
  RereadableInput reread(input.fd(), input.name());
  LatexScripts scripts;
  {
    LineReader first(reread.fd(), input.name(), pieces, makeEncodingDecoder(settings.encoding));
    if (codesFirst) giveOutFallbackCodes(first, settings.format, *fallback);
    if (scriptsFirst) scripts = latexScriptsRead(first);
  }
  reread.rewind();
  LineReader in(reread.fd(), input.name(), pieces, makeEncodingDecoder(settings.encoding));
  return convert(in, out, settings.format, settings.option, console, settings.mode,
                 settings.paper, fallback, warningCount(settings), scripts, pageDesign, info);
}

// Runs the conversion and reports its failure; true when the document is
// complete.
bool runConversion(const InputFile& input, const OutputFile& output,
                   const ConversionSettings& settings, FallbackFonts* fallback) {
  // The version line and the trace keep out of a document on standard output.
  StreamConsole console(output.isStandardOutput() ? stderr : stdout);
  try {
    OutputSink out(output.fd(), output.name());
    const ConversionReport report = convertInput(input, out, settings, fallback, console);
    out.flush();
    if (settings.quiet) return true;
    if (report.looksBinary) printWarning(binaryInputWarning(settings.inputPath));
    for (const std::string& warning : conversionWarnings(settings.format, report)) {
      printWarning(warning);
    }
    return true;
  } catch (const IoError& e) {
    printError(e.what());
  } catch (const std::bad_alloc&) {
    printError("out of memory");
  } catch (const std::exception& e) {
    printError(std::string("conversion failed: ") + e.what());
  }
  return false;
}

// The fallback fonts, for typed PostScript and PDF only; throws what the
// factory throws.
std::unique_ptr<FallbackFonts> makeFallback(const ConversionSettings& settings,
                                            FallbackFontsFactory factory) {
  if (factory == nullptr || settings.mode != TextMode::Typed || !isPaged(settings.format)) {
    return nullptr;
  }
  return factory(settings.fontFiles, settings.format, settings.mono);
}

int finishOutput(OutputFile& output, bool complete) {
  try {
    output.finish(complete);
  } catch (const IoError& e) {
    printError(e.what());
    return kExitFailure;
  }
  return complete ? kExitOk : kExitFailure;
}

int convertFiles(const ConversionSettings& settings, ClosedStandardStreams closed,
                 FallbackFontsFactory factory) {
  std::unique_ptr<FallbackFonts> fallback;
  try {
    fallback = makeFallback(settings, factory);
  } catch (const std::exception& e) {
    printError(e.what());
    return kExitFailure;
  }
  try {
    const InputFile input(settings.inputPath, closed.input);
    input.refuseAsOutput(settings.outputPath);
    OutputFile output(settings.outputPath, closed.output);
    const bool complete = runConversion(input, output, settings, fallback.get());
    return finishOutput(output, complete);
  } catch (const IoError& e) {
    // Only opening throws: nothing has been written.
    printError(e.what());
    return kExitFailure;
  }
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
  ConversionSettings settings = std::get<ConversionSettings>(request);
  if (writesMetadata(settings)) {
    const auto now = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    settings.info.created =
        documentDate(std::getenv("SOURCE_DATE_EPOCH"), now.count(), settings.warnings);
  }
  if (!settings.quiet) {
    for (const std::string& warning : settings.warnings) printWarning(warning);
  }
  return convertFiles(settings, closed, fallback);
}

}  // namespace kolvo
