#include "library/api_conversion.hpp"

#include <memory>
#include <string>

#include "driver/conversion.hpp"
#include "driver/document_date.hpp"
#include "driver/file_conversion.hpp"
#include "driver/fonts_module.hpp"
#include "library/api_errors.hpp"

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

}  // namespace

void runConversion(const kolvo_options& options, const InputSource& input, OutputSink& out) {
  const ConversionSettings settings = settingsOfRun(options);
  const std::unique_ptr<FallbackFonts> fallback = fallbackOf(settings);
  CallbackConsole console(options);
  const ConversionReport report =
      convertSettings({input.fd, input.bytes, input.inMemory}, out, settings, fallback.get(), console);
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
