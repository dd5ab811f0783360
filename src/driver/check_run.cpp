#include "driver/check_run.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "check/checker.hpp"
#include "driver/command_line.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/input_file.hpp"
#include "driver/line_reader.hpp"
#include "driver/standard_streams.hpp"
#include "io/message_text.hpp"
#include "writers/output_sink.hpp"

namespace kolvo {
namespace {

// Writes each finding as it comes, so that a long document's findings
// show while it is read; stdio buffers them.
class StandardOutputFindings final : public check::FindingSink {
 public:
  explicit StandardOutputFindings(std::string inputName) : inputName_(std::move(inputName)) {}

  void report(const check::Finding& finding) override {
    const std::string text = check::formatFinding(inputName_, finding);
    (void)std::fwrite(text.data(), 1, text.size(), stdout);
  }

 private:
  std::string inputName_;
};

// The fallback fonts of typed PostScript and PDF, one set per format (they
// take different outlines), for the formats checked.
struct CheckFonts {
  std::unique_ptr<FallbackFonts> postScript;
  std::unique_ptr<FallbackFonts> pdf;
};

CheckFonts makeCheckFonts(const CheckSettings& settings, FallbackFontsFactory factory) {
  CheckFonts fonts;
  if (factory == nullptr || settings.mode != TextMode::Typed) return fonts;
  if (!settings.format || *settings.format == Format::PostScript) {
    fonts.postScript = factory(settings.fontFiles, Format::PostScript, false);
  }
  if (!settings.format || *settings.format == Format::Pdf) {
    fonts.pdf = factory(settings.fontFiles, Format::Pdf, false);
  }
  return fonts;
}

check::CheckOptions optionsOf(const CheckSettings& settings, const CheckFonts& fonts) {
  check::CheckOptions options;
  if (settings.format) options.formats = check::FormatSet::of(*settings.format);
  options.mode = settings.mode;
  options.paper = settings.paper;
  options.postScriptFallback = fonts.postScript.get();
  options.pdfFallback = fonts.pdf.get();
  return options;
}

std::string shownName(const std::string& path) { return path == "-" ? "<stdin>" : printable(path); }

// Reads and checks the whole input; throws IoError on a read error.
check::FindingCounts checkInput(const InputFile& input, const CheckSettings& settings,
                                const CheckFonts& fonts) {
  const check::CheckOptions options = optionsOf(settings, fonts);
  StandardOutputFindings sink(shownName(settings.inputPath));
  check::Checker checker(options, sink);
  LineReader in(input.fd(), input.name(),
                settings.mode == TextMode::Typed ? kWholeLines : kMaxPiece,
                makeEncodingDecoder(settings.encoding));
  std::string piece;
  while (in.next(piece)) checker.checkPiece(piece);
  checker.finish();
  return checker.counts();
}

}  // namespace

int runCheck(const CheckSettings& settings, bool standardInputClosed, bool standardOutputClosed,
             FallbackFontsFactory fallback) {
  if (standardOutputClosed) {
    printError("cannot write findings to standard output: " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  try {
    const CheckFonts fonts = makeCheckFonts(settings, fallback);
    const InputFile input(settings.inputPath, standardInputClosed);
    const check::FindingCounts counts = checkInput(input, settings, fonts);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
      printError("cannot write findings to standard output: " + std::string(std::strerror(errno)));
      return kExitFailure;
    }
    printError(check::summary(counts) + " in " + shownName(settings.inputPath));
    return counts.warnings + counts.errors > 0 ? kExitFailure : kExitOk;
  } catch (const IoError& e) {
    printError(e.what());
  } catch (const std::bad_alloc&) {
    printError("out of memory");
  } catch (const std::exception& e) {
    printError(std::string("check failed: ") + e.what());
  }
  return kExitFailure;
}

}  // namespace kolvo
