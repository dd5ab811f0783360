#include "driver/check_run.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "check/checker.hpp"
#include "driver/command_line.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/input_file.hpp"
#include "driver/line_reader.hpp"
#include "driver/ordered_jobs.hpp"
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

// Keeps the findings of one of several inputs, to be printed in input
// order with the others'.
class CollectedFindings final : public check::FindingSink {
 public:
  CollectedFindings(std::string inputName, std::string& text)
      : inputName_(std::move(inputName)), text_(text) {}

  void report(const check::Finding& finding) override {
    text_ += check::formatFinding(inputName_, finding);
  }

 private:
  std::string inputName_;
  std::string& text_;
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
                                const CheckFonts& fonts, check::FindingSink& sink) {
  const check::CheckOptions options = optionsOf(settings, fonts);
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

namespace {

bool flushFindings() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  printError("cannot write findings to standard output: " + std::string(std::strerror(errno)));
  return false;
}

// One input, its findings shown as they are found.
int checkOne(const CheckSettings& settings, bool standardInputClosed,
             FallbackFontsFactory fallback) {
  const std::string& path = settings.inputPaths.front();
  try {
    const CheckFonts fonts = makeCheckFonts(settings, fallback);
    const InputFile input(path, standardInputClosed);
    StandardOutputFindings sink(shownName(path));
    const check::FindingCounts counts = checkInput(input, settings, fonts, sink);
    if (!flushFindings()) return kExitFailure;
    printError(check::summary(counts) + " in " + shownName(path));
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

// What one of several inputs gave: its findings for standard output, and
// the summary or the failure for standard error.
struct CheckOutcome {
  std::string findings;
  std::string message;
  int status = kExitFailure;
};

CheckOutcome checkCollected(const CheckSettings& settings, const std::string& path,
                            FallbackFontsFactory fallback) {
  CheckOutcome outcome;
  try {
    // Fallback fonts keep what they gave out: each input has its own.
    const CheckFonts fonts = makeCheckFonts(settings, fallback);
    const InputFile input(path, false);
    CollectedFindings sink(shownName(path), outcome.findings);
    const check::FindingCounts counts = checkInput(input, settings, fonts, sink);
    outcome.message = check::summary(counts) + " in " + shownName(path);
    outcome.status = counts.warnings + counts.errors > 0 ? kExitFailure : kExitOk;
  } catch (const IoError& e) {
    outcome.message = e.what();
  } catch (const std::bad_alloc&) {
    outcome.message = "out of memory";
  } catch (const std::exception& e) {
    outcome.message = std::string("check failed: ") + e.what();
  }
  return outcome;
}

// Several inputs, checked at once; each one's findings and summary are
// printed together, in input order. The worst status wins.
int checkMany(const CheckSettings& settings, FallbackFontsFactory fallback) {
  const std::size_t count = settings.inputPaths.size();
  std::vector<CheckOutcome> outcomes(count);
  int status = kExitOk;
  const auto work = [&](std::size_t i) {
    outcomes[i] = checkCollected(settings, settings.inputPaths[i], fallback);
  };
  const auto report = [&](std::size_t i) {
    const CheckOutcome& outcome = outcomes[i];
    (void)std::fwrite(outcome.findings.data(), 1, outcome.findings.size(), stdout);
    // The summary follows its findings even where both streams are one.
    (void)std::fflush(stdout);
    printError(outcome.message);
    status = std::max(status, outcome.status);
  };
  runInOrder(count, jobCount(settings.jobs, count), work, report, [](std::size_t) {});
  return flushFindings() ? status : kExitFailure;
}

}  // namespace

int runCheck(const CheckSettings& settings, bool standardInputClosed, bool standardOutputClosed,
             FallbackFontsFactory fallback) {
  if (standardOutputClosed) {
    printError("cannot write findings to standard output: " + std::string(std::strerror(EBADF)));
    return kExitFailure;
  }
  if (settings.inputPaths.size() == 1) return checkOne(settings, standardInputClosed, fallback);
  return checkMany(settings, fallback);
}

}  // namespace kolvo
