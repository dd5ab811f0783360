// The command line in steps: parse the words, open the files, run the
// conversion through libkolvo, finish the output.
#include "driver/command_line.hpp"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "driver/check_run.hpp"
#include "driver/document_date.hpp"
#include "driver/input_file.hpp"
#include "driver/options.hpp"
#include "driver/output_file.hpp"
#include "driver/standard_streams.hpp"
#include "driver/usage_text.hpp"
#include "kolvo/kolvo.h"

namespace kolvo {
namespace {

int reportUsageError(const UsageError& error) {
  printError(error.message);
  if (error.showSynopsis) (void)std::fputs(synopsisText().c_str(), stderr);
  (void)std::fputs("Try 'kolvo --help' for more information.\n", stderr);
  return kExitUsage;
}

// libkolvo's options of this run, freed on every way out.
class RunOptions {
 public:
  RunOptions() : handle_(kolvo_options_new()) {}
  ~RunOptions() { kolvo_options_free(handle_); }
  RunOptions(const RunOptions&) = delete;
  RunOptions& operator=(const RunOptions&) = delete;
  kolvo_options* get() const { return handle_; }

 private:
  kolvo_options* handle_;
};

// Prints the message of a call that failed (and frees it); false.
bool reportFailure(kolvo_error* error) {
  const char* message = kolvo_error_message(error);
  printError(*message != '\0' ? message : "out of memory");
  kolvo_error_free(error);
  return false;
}

// The settings hand the library the words that made them: the long options
// as they were read (KOLVO_OPTIONS first), FORMAT by its letter, OPTION,
// INPUT's name and the date this run chose.
bool describeRun(kolvo_options* options, const ConversionSettings& settings) {
  if (options == nullptr) return reportFailure(nullptr);
  kolvo_error* error = nullptr;
  for (const std::string& word : settings.optionWords) {
    if (kolvo_options_set(options, word.c_str(), nullptr, &error) != KOLVO_OK) {
      return reportFailure(error);
    }
  }
  const std::string format = {'-', formatInfo(settings.format).letter};
  const std::string option = {'-', settings.option};
  const long long date = settings.info.created ? *settings.info.created : KOLVO_DATE_NONE;
  if (kolvo_options_set_format(options, format.c_str(), &error) != KOLVO_OK ||
      kolvo_options_set_option(options, option.c_str(), &error) != KOLVO_OK ||
      kolvo_options_set_input_name(options, settings.inputPath.c_str(), &error) != KOLVO_OK ||
      kolvo_options_set_date(options, date, &error) != KOLVO_OK) {
    return reportFailure(error);
  }
  return true;
}

// OUTPUT's end of the library's write callback: the bytes written as they
// come, a failure remembered in the program's words.
struct OutputWriter {
  int fd;
  std::string name;
  std::string failure;
};

int writeOutput(const void* data, std::size_t size, void* user) noexcept {
  auto* output = static_cast<OutputWriter*>(user);
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(output->fd, bytes + done, size - done);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR) continue;
      try {
        output->failure = "cannot write output '" + output->name + "': " + std::strerror(err);
      } catch (...) {
        output->failure.clear();  // the library's message stands
      }
      return -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Warnings to standard error, the version line and trace to the console.
void showMessage(kolvo_message_kind kind, const char* text, std::size_t length, void* console) {
  if (kind == KOLVO_MESSAGE_TRACE) {
    static_cast<StreamConsole*>(console)->print(std::string_view(text, length));
  } else {
    printWarning(std::string_view(text, length));
  }
}

// Runs the conversion and reports its failure; true when the document is
// complete.
bool runConversion(kolvo_options* options, const InputFile& input, const OutputFile& output) {
  // The version line and the trace keep out of a document on standard output.
  StreamConsole console(output.isStandardOutput() ? stderr : stdout);
  OutputWriter writer{output.fd(), output.name(), {}};
  kolvo_error* error = nullptr;
  if (kolvo_options_set_message_callback(options, showMessage, &console, &error) != KOLVO_OK) {
    return reportFailure(error);
  }
  const kolvo_status status = kolvo_convert_fd(options, input.fd(), writeOutput, &writer, &error);
  if (status == KOLVO_OK) return true;
  if (status == KOLVO_ERROR_OUTPUT && !writer.failure.empty()) {
    printError(writer.failure);
    kolvo_error_free(error);
    return false;
  }
  return reportFailure(error);
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
  const RunOptions options;
  if (!describeRun(options.get(), settings)) return kExitFailure;
  // A --font file that cannot be used is told before anything is opened.
  kolvo_error* error = nullptr;
  if (kolvo_options_validate(options.get(), &error) != KOLVO_OK) {
    reportFailure(error);
    return kExitFailure;
  }
  try {
    const InputFile input(settings.inputPath, closed.input);
    input.refuseAsOutput(settings.outputPath);
    OutputFile output(settings.outputPath, closed.output);
    const bool complete = runConversion(options.get(), input, output);
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
  return convertFiles(settings, closed);
}

}  // namespace kolvo
