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

// Where the program looks: beside itself (a build tree), then in the
// library folder beside its bin/ (an installed prefix).
std::vector<std::string> programCandidates() {
  std::vector<std::string> candidates;
  if (const std::string folder = programFolder(); !folder.empty()) {
    candidates.push_back(folder + "/" + fonts::kPluginFile);
    candidates.push_back(folder + "/../" KOLVO_LIBRARY_DIR "/kolvo/" + fonts::kPluginFile);
  }
  return candidates;
}

// Where libkolvo looks first: beside itself (a build tree), then in
// kolvo/ within its own folder, where `cmake --install` puts the module
// (LIBDIR/libkolvo.so, LIBDIR/kolvo/kolvo-fonts.so). A program that
// embeds the library lives anywhere; the library's place is what is known.
// Then the program's places, for a program that is Kolvo's own.
std::vector<std::string> libraryCandidates() {
  std::vector<std::string> candidates;
  Dl_info self{};
  // NOLINTNEXTLINE(*-reinterpret-cast): dladdr takes any address in the object
  if (dladdr(reinterpret_cast<void*>(&libraryFallbackFonts), &self) != 0 &&
      self.dli_fname != nullptr) {
    const std::string_view library(self.dli_fname);
    const std::size_t slash = library.rfind('/');
    const std::string folder(slash == std::string_view::npos ? "." : library.substr(0, slash));
    candidates.push_back(folder + "/" + fonts::kPluginFile);
    candidates.push_back(folder + "/kolvo/" + fonts::kPluginFile);
  }
  for (std::string& path : programCandidates()) candidates.push_back(std::move(path));
  return candidates;
}

using Candidates = std::vector<std::string> (*)();

// The module's function, or nullptr with `error` saying why. The module
// stays open for the rest of the run: the fonts it made live in it.
fonts::PluginFunction openModule(Candidates where, std::string& error) {
  for (const std::string& path : where()) {
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

OpenedModule openedFrom(Candidates where) {
  OpenedModule module;
  module.make = openModule(where, module.error);
  return module;
}

// The module is looked for and opened once for the process, by whichever
// run asks first: a batch's threads (or a library caller's) may ask at the
// same moment, and a static's initialisation runs once and makes the others
// wait for it. The program's places and the library's are looked in apart.
// cppcheck-suppress constParameter ; a function, told apart by its address
const OpenedModule& fontModule(Candidates where) {
  if (where == libraryCandidates) {
    static const OpenedModule beside = openedFrom(libraryCandidates);
    return beside;
  }
  static const OpenedModule opened = openedFrom(programCandidates);
  return opened;
}

// The module's fonts, or nullptr with `error` saying why. Each call makes
// fonts of its own (its own fontconfig configuration), for one run.
// What a run asks of the fonts besides its --font files.
struct FontWishes {
  bool monospace = false;           // --mono
  bool clusterTextInCodes = false;  // PostScript
};

std::unique_ptr<FallbackFonts> makeFromModule(Candidates where, std::span<const std::string> files,
                                              FontWishes wishes, std::string& error) {
  const OpenedModule& module = fontModule(where);
  if (module.make == nullptr) {
    error = module.error;
    return nullptr;
  }
  const fonts::PluginFunction make = module.make;
  const fonts::PluginRequest request{files.data(), files.size(), true, wishes.monospace,
                                     wishes.clusterTextInCodes};
  return std::unique_ptr<FallbackFonts>(make(&request, &error));
}

// Fallback fonts that open the module when first asked for a glyph.
class LazyFallbackFonts final : public FallbackFonts {
 public:
  LazyFallbackFonts(Candidates where, FontWishes wishes) : where_(where), wishes_(wishes) {}

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
  // The layout asks only for lines with codes given out, so the module is
  // loaded by then; a run that could not load it keeps the plain breaks.
  bool lineBreaks(std::u32string_view text, std::vector<BreakBefore>& out) const override {
    return fonts_ != nullptr && fonts_->lineBreaks(text, out);
  }
  std::string missingHint(std::span<const char32_t> missing) const override {
    if (fonts_ != nullptr) return fonts_->missingHint(missing);
    return failure_.empty() ? std::string() : "fallback fonts are unavailable: " + failure_;
  }

 private:
  FallbackFonts* loaded() {
    if (!tried_) {
      tried_ = true;
      fonts_ = makeFromModule(where_, {}, wishes_, failure_);
    }
    return fonts_.get();
  }

  Candidates where_;
  FontWishes wishes_;
  bool tried_ = false;
  std::unique_ptr<FallbackFonts> fonts_;
  std::string failure_;  // why the module gave no fonts
};

std::unique_ptr<FallbackFonts> fallbackFontsFrom(Candidates where,
                                                 std::span<const std::string> files, FontWishes wishes) {
  if (files.empty()) return std::make_unique<LazyFallbackFonts>(where, wishes);
  std::string error;
  std::unique_ptr<FallbackFonts> fonts = makeFromModule(where, files, wishes, error);
  if (fonts == nullptr) throw std::runtime_error(error);
  return fonts;
}

}  // namespace

// PostScript and PDF embed the same faces; PostScript's codes tell shaped
// clusters' text too, for ps2pdf keeps its spans where pdftotext does not
// read them.
std::unique_ptr<FallbackFonts> moduleFallbackFonts(std::span<const std::string> files, Format format,
                                                   bool monospace) {
  return fallbackFontsFrom(programCandidates, files, {monospace, format == Format::PostScript});
}

std::unique_ptr<FallbackFonts> libraryFallbackFonts(std::span<const std::string> files,
                                                    Format format, bool monospace) {
  return fallbackFontsFrom(libraryCandidates, files, {monospace, format == Format::PostScript});
}

}  // namespace kolvo
