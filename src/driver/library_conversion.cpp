#include "driver/library_conversion.hpp"

#include <exception>
#include <new>
#include <string>

#include "driver/command_line.hpp"
#include "driver/input_file.hpp"
#include "driver/output_file.hpp"
#include "io/io_error.hpp"
#include "kolvo/kolvo.h"
#include "markup/format.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {
namespace {

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

// Prints the message of a call that failed (and frees it); false. Only
// kolvo_options_new fails without one, for want of memory.
bool reportFailure(kolvo_error* error) {
  const char* message = kolvo_error_message(error);
  printError(*message != '\0' ? message : "out of memory");
  kolvo_error_free(error);
  return false;
}

// The library is told what the command line was: the long options as they
// were read, FORMAT by its letter, OPTION, INPUT's name and the date the
// run chose.
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

// OUTPUT's end of the write callback. The library hands over its buffer as
// it fills; a failure is kept in the program's own words, which name OUTPUT.
struct OutputWriter {
  OutputSink sink;
  std::string failure;
};

int writeOutput(const void* data, std::size_t size, void* user) noexcept {
  auto* output = static_cast<OutputWriter*>(user);
  try {
    output->sink.write(std::string_view(static_cast<const char*>(data), size));
    output->sink.flush();
    return 0;
  } catch (const IoError& e) {
    try {
      output->failure = e.what();
    } catch (...) {
      output->failure.clear();  // the library's message stands
    }
  } catch (...) {
    output->failure.clear();
  }
  return -1;
}

// Warnings go to standard error, the version line and the trace to the
// console the run chose.
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
  OutputWriter writer{OutputSink(output.fd(), output.name()), {}};
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

}  // namespace

int convertThroughLibrary(const ConversionSettings& settings, ClosedStandardStreams closed) {
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
    output.finish(complete);
    return complete ? kExitOk : kExitFailure;
  } catch (const IoError& e) {
    printError(e.what());
  } catch (const std::bad_alloc&) {
    printError("out of memory");
  } catch (const std::exception& e) {
    printError(e.what());
  }
  return kExitFailure;
}

}  // namespace kolvo
