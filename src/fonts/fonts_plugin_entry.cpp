// The one symbol of kolvo-fonts.so, the module that holds everything the
// fallback fonts need (HarfBuzz, fontconfig, FreeType and what they load):
// the program opens it only when a character needs a fallback font, so
// that no other run pays for loading those libraries.

#include <exception>
#include <span>
#include <string>

#include "fonts/fonts_plugin.hpp"
#include "fonts/system_fallback_fonts.hpp"

extern "C" __attribute__((visibility("default"))) kolvo::FallbackFonts* kolvo_fonts_make(
    const kolvo::fonts::PluginRequest* request, std::string* error) noexcept {
  try {
    return kolvo::fonts::makeSystemFallbackFonts(
               std::span<const std::string>(request->files, request->fileCount),
               {.useFontconfig = request->useFontconfig,
                .preferMonospace = request->preferMonospace,
                .clusterTextInCodes = request->clusterTextInCodes})
        .release();
  } catch (const std::exception& e) {
    // An exception does not cross into the program: its message does.
    *error = e.what();
  } catch (...) {
    *error = "the font module failed";
  }
  return nullptr;
}
