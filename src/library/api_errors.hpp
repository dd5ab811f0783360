#pragma once
// How libkolvo's C functions fail: every exception is caught at the
// boundary and becomes a status and a message (no C++ exception may cross
// into a C caller), handed back through the caller's kolvo_error**.

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "io/io_error.hpp"
#include "kolvo/kolvo.h"

struct kolvo_error {
  kolvo_status status;
  std::string message;
};

namespace kolvo::library {

// A failure the library itself names, with its status.
class ApiFailure : public std::runtime_error {
 public:
  ApiFailure(kolvo_status status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  kolvo_status status() const { return status_; }

 private:
  kolvo_status status_;
};

// A --font file that cannot be used (the fallback fonts' factory threw).
class FontFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Stores status and message (`prefix` then `text`) in `*error` when the
// caller asked for them; returns the status. An error that cannot be
// allocated is left out: the status still says what happened.
kolvo_status fail(kolvo_error** error, kolvo_status status, const char* text,
                  const char* prefix = "") noexcept;

// The status and message of the exception being handled.
kolvo_status failWithCurrent(kolvo_error** error) noexcept;

// Runs `body` (which returns nothing) and turns whatever it throws into
// a status. The error is cleared first, so that null means success.
template <typename Body>
kolvo_status guarded(kolvo_error** error, Body&& body) noexcept {
  if (error != nullptr) *error = nullptr;
  try {
    std::forward<Body>(body)();
    return KOLVO_OK;
  } catch (...) {
    return failWithCurrent(error);
  }
}

// A null argument the caller had to give. Inline, so that what follows a
// call is seen to have a pointer.
inline void requireArgument(const void* argument, const char* name) {
  if (argument == nullptr) {
    throw ApiFailure(KOLVO_ERROR_USAGE, std::string(name) + " is null");
  }
}

}  // namespace kolvo::library
