#include "library/api_conversion.hpp"

#include <memory>
#include <optional>
#include <string>

#include "driver/conversion.hpp"
#include "driver/document_date.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/fonts_module.hpp"
#include "driver/input_file.hpp"
#include "driver/page_design_options.hpp"
#include "driver/rereadable_input.hpp"
#include "library/api_errors.hpp"
#include "writers/writer.hpp"

namespace kolvo::library {
namespace {

// The version line and the trace (OPTION -V, -v), for the message callback.
class CallbackConsole final : public Console {
 public:
  explicit CallbackConsole(const kolvo_options& options) : options_(options) {}
  void print(std::string_view text) override {
    if (options_.onMessage != nullptr) {
      options_.onMessage(KOLVO_MESSAGE_TRACE, text.data(), text.size(), options_.messageUser);
    }
  }

 private:
  const kolvo_options& options_;
};

void warn(const kolvo_options& options, const std::string& warning) {
  if (options.onMessage != nullptr) {
    options.onMessage(KOLVO_MESSAGE_WARNING, warning.data(), warning.size(), options.messageUser);
  }
}

// The fallback fonts of typed PostScript and PDF, from the font module
// found beside the library; a --font file that cannot be used is a
// FontFailure before anything is read.
std::unique_ptr<FallbackFonts> fallbackOf(const ConversionSettings& settings) {
  if (settings.mode != TextMode::Typed || !isPaged(settings.format)) return nullptr;
  try {
    return libraryFallbackFonts(settings.fontFiles, settings.format, settings.mono);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    throw FontFailure(e.what());
  }
}

// A reader of the input from its start: memory is read again as it is, a
// descriptor through `reread` when there is one.
LineReader readerOf(const InputSource& input, int fd, const ConversionSettings& settings,
                    std::size_t pieces) {
  if (input.inMemory) {
    return LineReader(input.bytes, pieces, makeEncodingDecoder(settings.encoding));
  }
  return LineReader(fd, inputNameOf(settings.inputPath), pieces,
                    makeEncodingDecoder(settings.encoding));
}

// The run as the program makes it (file_conversion.cpp's convertInput): the
// first of two readings gives out the fallback fonts' codes, or finds the
// scripts whose fonts typed LaTeX's preamble loads.
ConversionReport convertInput(const InputSource& input, OutputSink& out,
                              const ConversionSettings& settings, FallbackFonts* fallback,
                              Console& console) {
  const std::size_t pieces = settings.mode == TextMode::Typed ? kWholeLines : kMaxPiece;
  const bool codesFirst =
      fallback != nullptr && writerReadsInputTwice(settings.format, settings.mode, true);
  const bool scriptsFirst = readsLatexScriptsFirst(settings.format, settings.mode);
  const std::optional<paged::PageDesign> design = pageDesignOf(settings);
  const paged::PageDesign* const pageDesign = design ? &*design : nullptr;
  const DocumentInfo* info = writesMetadata(settings) ? &settings.info : nullptr;
  const WarningCount count = settings.quiet ? WarningCount::Skipped : WarningCount::Counted;
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
                 settings.paper, fallback, count, scripts, pageDesign, info);
}

}  // namespace

void runConversion(const kolvo_options& options, const InputSource& input, OutputSink& out) {
  const ConversionSettings settings = settingsOfRun(options);
  const std::unique_ptr<FallbackFonts> fallback = fallbackOf(settings);
  CallbackConsole console(options);
  const ConversionReport report = convertInput(input, out, settings, fallback.get(), console);
  out.flush();
  if (settings.quiet) return;
  if (report.looksBinary) warn(options, binaryInputWarning(settings.inputPath));
  for (const std::string& warning : conversionWarnings(settings.format, report)) {
    warn(options, warning);
  }
}

void validateOptions(const kolvo_options& options) {
  const ConversionSettings settings = settingsOfRun(options);
  if (!settings.fontFiles.empty()) (void)fallbackOf(settings);
}

void deliverToCallback(std::string_view bytes, void* target) {
  const auto* callback = static_cast<const CallbackTarget*>(target);
  if (callback->write(bytes.data(), bytes.size(), callback->user) != 0) {
    throw OutputError("cannot write output: the write callback reported a failure");
  }
}

}  // namespace kolvo::library
