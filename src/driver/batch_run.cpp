#include "driver/batch_run.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include "driver/file_conversion.hpp"
#include "driver/ordered_jobs.hpp"
#include "driver/standard_streams.hpp"
#include "io/message_text.hpp"

namespace kolvo {
namespace {

// A batch names no OPTION letter, so nothing reaches the console; this one
// keeps it that way should that change.
class NoConsole final : public Console {
 public:
  void print(std::string_view) override {}
};

// "kolvo: 12/40 converted" on a terminal, rewritten in place; messages
// clear it first, so that they start at the line's beginning.
class ProgressLine {
 public:
  explicit ProgressLine(std::size_t total) : total_(total), shown_(isatty(STDERR_FILENO) == 1) {}
  void show(std::size_t done) {
    if (!shown_) return;
    const std::string line = "kolvo: " + std::to_string(done) + "/" + std::to_string(total_) +
                             " converted";
    (void)std::fprintf(stderr, "\r%s", line.c_str());
    (void)std::fflush(stderr);
    width_ = line.size();
  }
  void clear() {
    if (width_ == 0) return;
    (void)std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
    width_ = 0;
  }

 private:
  std::size_t total_;
  bool shown_;
  std::size_t width_ = 0;  // of the line on the screen, 0 when none is
};

// With --font files the module reads them at once: one that cannot be
// used is reported before any input is touched.
bool fontFilesUsable(const ConversionSettings& settings, FallbackFontsFactory factory) {
  if (factory == nullptr || settings.fontFiles.empty() || settings.mode != TextMode::Typed ||
      !isPaged(settings.format)) {
    return true;
  }
  try {
    (void)factory(settings.fontFiles, settings.format, settings.mono);
    return true;
  } catch (const std::exception& e) {
    printError(e.what());
    return false;
  }
}

}  // namespace

std::optional<std::string> outputFolderProblem(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0) {
    return "--output-dir " + quoted(folder) + ": " + std::strerror(errno);
  }
  if (!S_ISDIR(st.st_mode)) return "--output-dir " + quoted(folder) + " is not a folder";
  return std::nullopt;
}

int runBatch(const BatchSettings& batch, FallbackFontsFactory factory) {
  if (!fontFilesUsable(batch.common, factory)) return kExitFailure;
  const std::size_t count = batch.inputPaths.size();
  std::vector<FileConversionResult> results(count);
  const auto work = [&](std::size_t i) {
    ConversionSettings settings = batch.common;
    settings.inputPath = batch.inputPaths[i];
    settings.outputPath = batch.outputPaths[i];
    NoConsole console;
    results[i] = convertFile(settings, factory, &console);
  };
  ProgressLine progress(count);
  std::size_t failed = 0;
  const auto report = [&](std::size_t i) {
    if (results[i].messages.empty() && results[i].complete) return;
    progress.clear();
    printMessages(results[i].messages, printable(batch.inputPaths[i]) + ": ");
    if (!results[i].complete) ++failed;
  };
  runInOrder(count, jobCount(batch.common.jobs, count), work, report,
             [&](std::size_t done) { progress.show(done); });
  progress.clear();
  if (failed == 0) return kExitOk;
  printError(std::to_string(failed) + " of " + std::to_string(count) + " inputs failed");
  return kExitFailure;
}

}  // namespace kolvo
