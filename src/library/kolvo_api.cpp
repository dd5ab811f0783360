// libkolvo's C functions: each checks its arguments, runs its body under
// `guarded` (nothing thrown crosses into C), and answers with a status.
#include <cstdlib>
#include <cstring>
#include <string>

#include "kolvo/kolvo.h"
#include "kolvo_version.hpp"
#include "library/api_conversion.hpp"
#include "library/api_errors.hpp"
#include "library/api_options.hpp"

using kolvo::library::guarded;
using kolvo::library::requireArgument;

namespace {

// The document of a run into memory the caller frees with kolvo_free
// (malloc's, so that a C caller could free it too).
char* mallocCopy(const std::string& document) {
  char* copy = static_cast<char*>(std::malloc(document.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, document.data(), document.size());
  copy[document.size()] = '\0';
  return copy;
}

kolvo_status toCallback(const kolvo_options* options, const kolvo::library::InputSource& input,
                        kolvo_write_fn write, void* user, kolvo_error** error,
                        bool inputMissing = false) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    if (inputMissing) requireArgument(nullptr, "input");
    requireArgument(reinterpret_cast<const void*>(write), "write");  // NOLINT(*-reinterpret-cast)
    kolvo::library::CallbackTarget target{write, user};
    kolvo::OutputSink out(kolvo::library::deliverToCallback, &target);
    kolvo::library::runConversion(*options, input, out);
  });
}

kolvo_status toBuffer(const kolvo_options* options, const kolvo::library::InputSource& input,
                      char** output, size_t* outputSize, kolvo_error** error,
                      bool inputMissing = false) {
  if (output != nullptr) *output = nullptr;
  if (outputSize != nullptr) *outputSize = 0;
  return guarded(error, [&] {
    requireArgument(options, "options");
    if (inputMissing) requireArgument(nullptr, "input");
    requireArgument(output, "output");
    requireArgument(outputSize, "output_size");
    std::string document;
    kolvo::OutputSink out(&document);
    kolvo::library::runConversion(*options, input, out);
    *output = mallocCopy(document);
    *outputSize = document.size();
  });
}

// A null buffer of no bytes is an empty document; of some bytes, a
// mistake that the conversion reports (`missing`).
struct MemoryInput {
  kolvo::library::InputSource source;
  bool missing;
};
MemoryInput memoryInput(const void* input, size_t size) {
  const char* bytes = input != nullptr ? static_cast<const char*>(input) : "";
  return {{-1, std::string_view(bytes, input != nullptr ? size : 0), true},
          input == nullptr && size != 0};
}

}  // namespace

extern "C" {

const char* kolvo_version(void) { return kolvo::kProjectVersion.data(); }

kolvo_status kolvo_error_status(const kolvo_error* error) {
  return error != nullptr ? error->status : KOLVO_OK;
}

const char* kolvo_error_message(const kolvo_error* error) {
  return error != nullptr ? error->message.c_str() : "";
}

void kolvo_error_free(kolvo_error* error) { delete error; }

kolvo_options* kolvo_options_new(void) {
  try {
    return new kolvo_options();
  } catch (...) {
    return nullptr;
  }
}

void kolvo_options_free(kolvo_options* options) { delete options; }

kolvo_status kolvo_options_set_format(kolvo_options* options, const char* format,
                                      kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    requireArgument(format, "format");
    kolvo::library::setFormat(*options, format);
  });
}

kolvo_status kolvo_options_set_option(kolvo_options* options, const char* option,
                                      kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    requireArgument(option, "option");
    kolvo::library::setOptionLetter(*options, option);
  });
}

kolvo_status kolvo_options_set(kolvo_options* options, const char* name, const char* value,
                               kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    requireArgument(name, "name");
    kolvo::library::setLongOption(*options, name, value);
  });
}

kolvo_status kolvo_options_set_input_name(kolvo_options* options, const char* name,
                                          kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    requireArgument(name, "name");
    options->settings.inputPath = name;
  });
}

kolvo_status kolvo_options_set_date(kolvo_options* options, long long seconds,
                                    kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    kolvo::library::setDate(*options, seconds);
  });
}

kolvo_status kolvo_options_set_message_callback(kolvo_options* options, kolvo_message_fn callback,
                                                void* user, kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    options->onMessage = callback;
    options->messageUser = user;
  });
}

kolvo_status kolvo_options_validate(const kolvo_options* options, kolvo_error** error) {
  return guarded(error, [&] {
    requireArgument(options, "options");
    kolvo::library::validateOptions(*options);
  });
}

kolvo_status kolvo_convert_buffer(const kolvo_options* options, const void* input, size_t size,
                                  kolvo_write_fn write, void* user, kolvo_error** error) {
  const MemoryInput memory = memoryInput(input, size);
  return toCallback(options, memory.source, write, user, error, memory.missing);
}

kolvo_status kolvo_convert_fd(const kolvo_options* options, int fd, kolvo_write_fn write,
                              void* user, kolvo_error** error) {
  return toCallback(options, {fd, {}, false}, write, user, error);
}

kolvo_status kolvo_convert_buffer_to_buffer(const kolvo_options* options, const void* input,
                                            size_t size, char** output, size_t* output_size,
                                            kolvo_error** error) {
  const MemoryInput memory = memoryInput(input, size);
  return toBuffer(options, memory.source, output, output_size, error, memory.missing);
}

kolvo_status kolvo_convert_fd_to_buffer(const kolvo_options* options, int fd, char** output,
                                        size_t* output_size, kolvo_error** error) {
  return toBuffer(options, {fd, {}, false}, output, output_size, error);
}

void kolvo_free(void* buffer) { std::free(buffer); }

}  // extern "C"
