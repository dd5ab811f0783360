#include "driver/command_line.hpp"
#include "fonts/system_fallback_fonts.hpp"

namespace {

// PostScript embeds TrueType outlines only (Type 42 fonts).
std::unique_ptr<kolvo::FallbackFonts> systemFonts(std::span<const std::string> files,
                                                  kolvo::Format format, bool monospace) {
  return kolvo::fonts::makeSystemFallbackFonts(
      files, {.useFontconfig = true,
              .acceptCff = format != kolvo::Format::PostScript,
              .preferMonospace = monospace});
}

}  // namespace

int main(int argc, char** argv) { return kolvo::runCommandLine(argc, argv, systemFonts); }
