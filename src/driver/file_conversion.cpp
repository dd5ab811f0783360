#include "driver/file_conversion.hpp"

#include <exception>
#include <memory>
#include <new>
#include <optional>

#include "driver/document_date.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/input_file.hpp"
#include "driver/line_reader.hpp"
#include "driver/output_file.hpp"
#include "driver/page_design_options.hpp"
#include "driver/rereadable_input.hpp"
#include "io/io_error.hpp"
#include "writers/output_sink.hpp"
#include "writers/writer.hpp"

namespace kolvo {
namespace {

WarningCount warningCount(const ConversionSettings& settings) {
  return settings.quiet ? WarningCount::Skipped : WarningCount::Counted;
}

// A reader of the input from its start: memory is read again as it is, a
// descriptor through `reread` when there is one.
LineReader readerOf(const RunInput& input, int fd, const ConversionSettings& settings,
                    std::size_t pieces) {
  if (input.inMemory) return LineReader(input.bytes, pieces, makeEncodingDecoder(settings.encoding));
  return LineReader(fd, inputNameOf(settings.inputPath), pieces,
                    makeEncodingDecoder(settings.encoding));
}

void addError(FileConversionResult& result, std::string text) {
  result.messages.push_back({RunMessage::Kind::Error, std::move(text)});
}

// Runs the conversion and records its warnings or its failure; true when
// the document is complete.
bool runConversion(const InputFile& input, const OutputFile& output,
                   const ConversionSettings& settings, FallbackFonts* fallback, Console* console,
                   FileConversionResult& result) {
  // The version line and the trace keep out of a document on standard output.
  std::optional<StreamConsole> standard;
  if (console == nullptr) console = &standard.emplace(output.isStandardOutput() ? stderr : stdout);
  try {
    OutputSink out(output.fd(), output.name());
    const ConversionReport report =
        convertSettings({input.fd(), {}, false}, out, settings, fallback, *console);
    out.flush();
    if (settings.quiet) return true;
    if (report.looksBinary) {
      result.messages.push_back(
          {RunMessage::Kind::Warning, binaryInputWarning(settings.inputPath)});
    }
    for (std::string& warning : conversionWarnings(settings.format, report)) {
      result.messages.push_back({RunMessage::Kind::Warning, std::move(warning)});
    }
    return true;
  } catch (const IoError& e) {
    addError(result, e.what());
  } catch (const std::bad_alloc&) {
    addError(result, "out of memory");
  } catch (const std::exception& e) {
    addError(result, std::string("conversion failed: ") + e.what());
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

void convertOpened(const ConversionSettings& settings, FallbackFonts* fallback, Console* console,
                   ClosedStandardStreams closed, FileConversionResult& result) {
  const InputFile input(settings.inputPath, closed.input);
  input.refuseAsOutput(settings.outputPath);
  OutputFile output(settings.outputPath, closed.output);
  const bool complete = runConversion(input, output, settings, fallback, console, result);
  try {
    output.finish(complete);
    result.complete = complete;
  } catch (const IoError& e) {
    addError(result, e.what());
  }
}

}  // namespace

ConversionReport convertSettings(const RunInput& input, OutputSink& out,
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
  std::optional<RereadableInput> reread;
  LatexScripts scripts;
  if (codesFirst || scriptsFirst) {
    if (!input.inMemory) reread.emplace(input.fd, inputNameOf(settings.inputPath));
    LineReader first = readerOf(input, reread ? reread->fd() : input.fd, settings, pieces);
    if (codesFirst) giveOutFallbackCodes(first, settings.format, *fallback);
    if (scriptsFirst) scripts = latexScriptsRead(first);
  }
  if (reread) reread->rewind();
  LineReader in = readerOf(input, reread ? reread->fd() : input.fd, settings, pieces);
  return convert(in, out, settings.format, settings.option, console, settings.mode,
                 settings.paper, fallback, warningCount(settings), scripts, pageDesign, info);
}

FileConversionResult convertFile(const ConversionSettings& settings, FallbackFontsFactory factory,
                                 Console* console, ClosedStandardStreams closed) {
  FileConversionResult result;
  try {
    const std::unique_ptr<FallbackFonts> fallback = makeFallback(settings, factory);
    // Only opening throws here: nothing has been written.
    convertOpened(settings, fallback.get(), console, closed, result);
  } catch (const std::bad_alloc&) {
    addError(result, "out of memory");
  } catch (const std::exception& e) {
    addError(result, e.what());
  }
  return result;
}

void printMessages(const std::vector<RunMessage>& messages, const std::string& prefix) {
  for (const RunMessage& message : messages) {
    if (message.kind == RunMessage::Kind::Warning) {
      printWarning(prefix + message.text);
    } else {
      printError(prefix + message.text);
    }
  }
}

}  // namespace kolvo
