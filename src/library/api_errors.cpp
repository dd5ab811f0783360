#include "library/api_errors.hpp"

namespace kolvo::library {

kolvo_status fail(kolvo_error** error, kolvo_status status, const char* text,
                  const char* prefix) noexcept {
  if (error == nullptr) return status;
  try {
    *error = new kolvo_error{status, std::string(prefix) + text};
  } catch (...) {
    *error = nullptr;
  }
  return status;
}

// The messages are the program's: it prints what() of the same failures.
kolvo_status failWithCurrent(kolvo_error** error) noexcept {
  try {
    throw;
  } catch (const ApiFailure& e) {
    return fail(error, e.status(), e.what());
  } catch (const FontFailure& e) {
    return fail(error, KOLVO_ERROR_FONT, e.what());
  } catch (const InputError& e) {
    return fail(error, KOLVO_ERROR_INPUT, e.what());
  } catch (const OutputError& e) {
    return fail(error, KOLVO_ERROR_OUTPUT, e.what());
  } catch (const std::bad_alloc&) {
    return fail(error, KOLVO_ERROR_MEMORY, "out of memory");
  } catch (const std::exception& e) {
    return fail(error, KOLVO_ERROR_INTERNAL, e.what(), "conversion failed: ");
  } catch (...) {
    return fail(error, KOLVO_ERROR_INTERNAL, "conversion failed");
  }
}

}  // namespace kolvo::library
