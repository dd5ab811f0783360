#include "driver/fonts_module.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "fonts/fonts_plugin.hpp"

// Where the module is installed, from the program's folder: a path of
// the build's libraries' folder, relative to the prefix ("lib").
#ifndef KOLVO_LIBRARY_DIR
#define KOLVO_LIBRARY_DIR "lib"
#endif

namespace kolvo {
namespace {

// The folder of the running program, from /proc; empty where it cannot be told.
std::string programFolder() {
  std::array<char, 4096> path{};
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  const std::string_view program(path.data(), static_cast<std::size_t>(length));
  const std::size_t slash = program.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(program.substr(0, slash));
}

// The module's function, or nullptr with `error` saying why. The module
// stays open for the rest of the run: the fonts it made live in it.
fonts::PluginFunction openModule(std::string& error) {
  std::vector<std::string> candidates;
  if (const std::string folder = programFolder(); !folder.empty()) {
    candidates.push_back(folder + "/" + fonts::kPluginFile);
    candidates.push_back(folder + "/../" KOLVO_LIBRARY_DIR "/kolvo/" + fonts::kPluginFile);
  }
  for (const std::string& path : candidates) {
    if (access(path.c_str(), R_OK) != 0) continue;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* why = dlerror();
      error = why != nullptr ? why : "cannot open " + path;
      return nullptr;
    }
    void* function = dlsym(module, fonts::kPluginFunction);
    if (function == nullptr) {
      error = path + " is not Kolvo's font module";
      return nullptr;
    }
    return reinterpret_cast<fonts::PluginFunction>(function);  // NOLINT(*-reinterpret-cast): dlsym's way
  }
  error = std::string("the font module ") + fonts::kPluginFile + " is not installed";
  return nullptr;
}

struct OpenedModule {
  fonts::PluginFunction make = nullptr;
  std::string error;  // why there is none
};

// The module is looked for and opened once for the process, by whichever
// run asks first: a batch's threads may ask at the same moment, and a
// static's initialisation runs once and makes the others wait for it.
const OpenedModule& fontModule() {
  static const OpenedModule opened = [] {
    OpenedModule module;
    module.make = openModule(module.error);
    return module;
  }();
  return opened;
}

// The module's fonts, or nullptr with `error` saying why. Each call makes
// fonts of its own (its own fontconfig configuration), for one run.
std::unique_ptr<FallbackFonts> makeFromModule(std::span<const std::string> files, Format format,
                                              bool monospace, std::string& error) {
  const OpenedModule& module = fontModule();
  if (module.make == nullptr) {
    error = module.error;
    return nullptr;
  }
  const fonts::PluginFunction make = module.make;
  // PostScript embeds TrueType outlines only (Type 42 fonts).
  const fonts::PluginRequest request{files.data(), files.size(), true, format != Format::PostScript,
                                     monospace};
  return std::unique_ptr<FallbackFonts>(make(&request, &error));
}

// Fallback fonts that open the module when first asked for a glyph.
class LazyFallbackFonts final : public FallbackFonts {
 public:
  LazyFallbackFonts(Format format, bool monospace) : format_(format), monospace_(monospace) {}

  std::optional<FallbackGlyph> glyph(char32_t c, FontStyle style) override {
    FallbackFonts* fonts = loaded();
    return fonts != nullptr ? fonts->glyph(c, style) : std::nullopt;
  }
  std::optional<FallbackGlyph> glyphIn(std::uint16_t font, char32_t c) override {
    FallbackFonts* fonts = loaded();
    return fonts != nullptr ? fonts->glyphIn(font, c) : std::nullopt;
  }
  bool shape(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
             ShapedText& out) override {
    FallbackFonts* fonts = loaded();
    return fonts != nullptr && fonts->shape(text, style, paragraph, out);
  }
  // Only glyph() and shape() give glyphs out, so the fonts are there for these.
  std::uint32_t advance(FallbackGlyph glyph) const override { return fonts_->advance(glyph); }
  char32_t character(FallbackGlyph glyph) const override { return fonts_->character(glyph); }
  EmbeddedFont embed(std::size_t font) const override { return fonts_->embed(font); }
  std::size_t fontCount() const override { return fonts_ != nullptr ? fonts_->fontCount() : 0; }
  std::string missingHint(std::span<const char32_t> missing) const override {
    if (fonts_ != nullptr) return fonts_->missingHint(missing);
    return failure_.empty() ? std::string() : "fallback fonts are unavailable: " + failure_;
  }

 private:
  FallbackFonts* loaded() {
    if (!tried_) {
      tried_ = true;
      fonts_ = makeFromModule({}, format_, monospace_, failure_);
    }
    return fonts_.get();
  }

  Format format_;
  bool monospace_;
  bool tried_ = false;
  std::unique_ptr<FallbackFonts> fonts_;
  std::string failure_;  // why the module gave no fonts
};

}  // namespace

std::unique_ptr<FallbackFonts> moduleFallbackFonts(std::span<const std::string> files, Format format,
                                                   bool monospace) {
  if (files.empty()) return std::make_unique<LazyFallbackFonts>(format, monospace);
  std::string error;
  std::unique_ptr<FallbackFonts> fonts = makeFromModule(files, format, monospace, error);
  if (fonts == nullptr) throw std::runtime_error(error);
  return fonts;
}

}  // namespace kolvo
