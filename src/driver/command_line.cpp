// The command line in steps: parse the words, open the files, run the
// conversion, finish the output.
#include "driver/command_line.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <span>
#include <string>

#include "driver/check_run.hpp"
#include "driver/conversion.hpp"
#include "driver/input_file.hpp"
#include "driver/line_reader.hpp"
#include "driver/options.hpp"
#include "driver/output_file.hpp"
#include "driver/standard_streams.hpp"
#include "driver/usage_text.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {
namespace {

int reportUsageError(const UsageError& error) {
  if (error.message.empty()) {
    (void)std::fputs(usageText().c_str(), stderr);
  } else {
    printError(error.message);
  }
  return kExitUsage;
}

// Runs the conversion and reports its failure; true when the document is
// complete.
bool runConversion(const InputFile& input, const OutputFile& output,
                   const ConversionSettings& settings) {
  // The version line and the trace keep out of a document on standard output.
  StreamConsole console(output.isStandardOutput() ? stderr : stdout);
  try {
    // Typed text keeps every line whole: one line is one paragraph.
    LineReader in(input.fd(), input.name(),
                  settings.mode == TextMode::Typed ? kWholeLines : kMaxPiece);
    OutputSink out(output.fd(), output.name());
    const ConversionReport report =
        convert(in, out, settings.format, settings.option, console, settings.mode, settings.paper);
    out.flush();
    if (report.missingGlyphs > 0) {
      printWarning(missingGlyphWarning(settings.format, report.missingGlyphs));
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

int finishOutput(OutputFile& output, bool complete) {
  try {
    output.finish(complete);
  } catch (const IoError& e) {
    printError(e.what());
    return kExitFailure;
  }
  return complete ? kExitOk : kExitFailure;
}

int convertFiles(const ConversionSettings& settings, ClosedStandardStreams closed) {
  try {
    const InputFile input(settings.inputPath, closed.input);
    input.refuseAsOutput(settings.outputPath);
    OutputFile output(settings.outputPath, closed.output);
    const bool complete = runConversion(input, output, settings);
    return finishOutput(output, complete);
  } catch (const IoError& e) {
    // Only opening throws: nothing has been written.
    printError(e.what());
    return kExitFailure;
  }
}

}  // namespace

int runCommandLine(int argc, const char* const* argv) {
  const ClosedStandardStreams closed = reserveStandardDescriptors();
  const std::span<const char* const> words =
      argc > 1 ? std::span(argv + 1, static_cast<std::size_t>(argc - 1))
               : std::span<const char* const>();
  const CommandLineRequest request = parseCommandLine(words);
  if (const auto* error = std::get_if<UsageError>(&request)) return reportUsageError(*error);
  if (const auto* text = std::get_if<PrintText>(&request)) {
    return printToStandardOutput(text->text, closed.output);
  }
  if (const auto* check = std::get_if<CheckSettings>(&request)) {
    return runCheck(*check, closed.input, closed.output);
  }
  return convertFiles(std::get<ConversionSettings>(request), closed);
}

}  // namespace kolvo
