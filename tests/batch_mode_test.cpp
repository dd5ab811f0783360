// `kolvo --output-dir DIR FORMAT INPUT...` and `kolvo --check FORMAT
// INPUT...`: every output as its single run writes it, whatever the number
// of jobs; failures named and the rest written; command lines refused
// before anything is written; an interrupted batch leaves only whole files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>
#include <variant>

#include "driver/batch_outputs.hpp"
#include "driver/options.hpp"
#include "driver/ordered_jobs.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

CommandResult kolvo(std::vector<std::string> args, std::string_view input = {}) {
  return runKolvo(std::move(args), input);
}

// The names in `dir`, sorted.
std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> temporaryFilesIn(const fs::path& dir) {
  std::vector<std::string> names = namesIn(dir);
  std::erase_if(names, [](const std::string& n) { return n.find(".kolvo-") == std::string::npos; });
  return names;
}

// Documents that differ from one another and use tags, typed-text
// characters and a line long enough to wrap.
std::string letter(int i) {
  return "Dear %bsreader " + std::to_string(i) + "%be,\n%isThe weather%ie is fine & <warm>.\n" +
         std::string(static_cast<std::size_t>(40 + i % 7 * 30), 'x') + " \xC3\xA9t\xC3\xA9\n"
         "%csYours%ce\n";
}

class BatchMode : public ::testing::Test {
 protected:
  TempDir dir;
  fs::path out = dir / "out";
  fs::path single = dir / "single";
  std::vector<std::string> inputs;

  void SetUp() override {
    fs::create_directory(out);
    fs::create_directory(single);
  }
  // Inputs n.txt in `dir`.
  void makeInputs(int count) {
    for (int i = 0; i < count; ++i) {
      const fs::path path = dir / (std::to_string(i) + ".txt");
      writeFile(path, letter(i));
      inputs.push_back(path.string());
    }
  }
  std::vector<std::string> batchArgs(std::vector<std::string> settings, const std::string& format) {
    settings.insert(settings.end(), {"--output-dir", out.string(), format});
    settings.insert(settings.end(), inputs.begin(), inputs.end());
    return settings;
  }
  // What `kolvo SETTINGS FORMAT INPUT single/NAME.EXT` writes.
  std::string singleRun(std::vector<std::string> settings, const std::string& format,
                        const std::string& input, const std::string& name) {
    settings.insert(settings.end(), {format, input, (single / name).string()});
    const CommandResult r = kolvo(settings);
    EXPECT_EQ(r.status, 0) << r.err;
    return readFile(single / name);
  }
};

// Several formats and settings: each output is byte for byte its single
// run's, with one job and with four, and the batch says nothing.
TEST_F(BatchMode, OutputsAreTheSingleRunsBytesWithAnyNumberOfJobs) {
  makeInputs(6);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "pdf"},
      {{"--escape"}, "html"},
      {{"--paper", "a5", "--header", "%f||%p"}, "ps"},
      {{"--escape", "--title", "Letters"}, "fodt"},
      {{}, "tex"},
      {{"--escape"}, "rtf"},
  };
  for (const auto& [settings, format] : cases) {
    for (const char* jobs : {"1", "4"}) {
      std::vector<std::string> withJobs = settings;
      withJobs.insert(withJobs.end(), {"--jobs", jobs});
      const CommandResult r = kolvo(batchArgs(withJobs, format));
      EXPECT_EQ(r.status, 0) << format << " " << jobs << ": " << r.err;
      EXPECT_EQ(r.out, "");
      // Warnings only (the letters hold text that some formats show otherwise).
      for (std::size_t at = 0; at < r.err.size(); at = r.err.find('\n', at) + 1) {
        EXPECT_EQ(r.err.compare(at, 16, "kolvo: warning: "), 0) << r.err;
      }
      for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string name = std::to_string(i) + "." + format;
        EXPECT_TRUE(sameBytes(singleRun(settings, format, inputs[i], name), readFile(out / name)))
            << format << " --jobs " << jobs << " " << name;
      }
      EXPECT_EQ(temporaryFilesIn(out), std::vector<std::string>{});
      fs::remove_all(out);
      fs::create_directory(out);
    }
  }
}

// Warnings come under each input's name, in input order whichever job
// finished first; KOLVO_OPTIONS applies as to a single run.
TEST_F(BatchMode, WarningsNameTheirInputInOrderAndPresetsApply) {
  makeInputs(5);
  const CommandResult r = kolvo(batchArgs({"--jobs", "3"}, "tex"));
  EXPECT_EQ(r.status, 0);
  std::string expected;
  for (const std::string& input : inputs) {
    const CommandResult one = kolvo({"tex", input, (single / "x.tex").string()});
    // "kolvo: warning: TEXT" becomes "kolvo: warning: INPUT: TEXT".
    std::string warnings = one.err;
    for (std::size_t at = 0; (at = warnings.find("kolvo: warning: ", at)) != std::string::npos;) {
      at += 16;
      warnings.insert(at, input + ": ");
    }
    expected += warnings;
  }
  EXPECT_NE(expected, "");
  EXPECT_EQ(r.err, expected);

  std::vector<std::string> preset = {"env", "KOLVO_OPTIONS=--escape --quiet", kolvoBinary()};
  const std::vector<std::string> args = batchArgs({}, "html");
  preset.insert(preset.end(), args.begin(), args.end());
  const CommandResult typed = runCommand(preset);
  EXPECT_EQ(typed.status, 0);
  EXPECT_EQ(typed.err, "");
  EXPECT_TRUE(sameBytes(singleRun({"--escape"}, "html", inputs[0], "0.html"), readFile(out / "0.html")));
}

// An input that cannot be read, one that is a folder, and one that is the
// output itself fail by name; the others are written; status 1.
TEST_F(BatchMode, AFailingInputIsNamedAndTheOthersAreWritten) {
  makeInputs(3);
  const fs::path locked = dir / "locked.txt";
  writeFile(locked, "secret\n");
  fs::permissions(locked, fs::perms::none);
  const bool rootReads = std::ifstream(locked).good();
  const std::string missing = (dir / "missing\x1b[2J.txt").string();
  const fs::path folder = dir / "folder.txt";
  fs::create_directory(folder);
  std::vector<std::string> args = {"--output-dir", out.string(), "html", inputs[0], missing,
                                   inputs[1], folder.string(), inputs[2]};
  if (!rootReads) args.push_back(locked.string());
  const CommandResult r = kolvo(args);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("kolvo: " + (dir / "missing\\x1b[2J.txt").string() + ": cannot open input"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "raw input bytes in " << r.err;
  EXPECT_NE(r.err.find("kolvo: " + folder.string() + ": "), std::string::npos) << r.err;
  if (!rootReads) {
    EXPECT_NE(r.err.find(locked.string() + ": cannot open input"), std::string::npos);
  }
  EXPECT_TRUE(r.err.ends_with(" inputs failed\n")) << r.err;
  EXPECT_EQ(namesIn(out), (std::vector<std::string>{"0.html", "1.html", "2.html"}));
  EXPECT_TRUE(sameBytes(singleRun({}, "html", inputs[1], "1.html"), readFile(out / "1.html")));

  // An input inside DIR with the format's extension would be its own output.
  const fs::path inside = out / "own.html";
  writeFile(inside, "kept\n");
  const CommandResult own = kolvo({"--output-dir", out.string(), "html", inside.string()});
  EXPECT_EQ(own.status, 1);
  EXPECT_EQ(readFile(inside), "kept\n");
}

// Past the file size limit (ulimit -f): the big input's write fails with
// its reason, no part of it is left, the small ones are written, and an
// older output of the big one stays as it was.
TEST_F(BatchMode, AWriteFailureTakesBackThatOutputOnly) {
  if (!toolAvailable("bash")) GTEST_SKIP() << "bash is not installed";
  makeInputs(2);
  std::string big;
  for (int i = 0; i < 3000; ++i) big += "line " + std::to_string(i) + " with %bsbold%be text\n";
  const fs::path bigInput = dir / "big.txt";
  writeFile(bigInput, big);
  writeFile(out / "big.pdf", "the old version\n");
  std::string command = "ulimit -f 16; exec '" + kolvoBinary() + "' --jobs 2 --output-dir '" +
                        out.string() + "' pdf '" + inputs[0] + "' '" + bigInput.string() + "' '" +
                        inputs[1] + "'";
  const CommandResult r = runCommand({"bash", "-c", command});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(bigInput.string() + ": cannot write output"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(out / "big.pdf"), "the old version\n");
  EXPECT_EQ(namesIn(out), (std::vector<std::string>{"0.pdf", "1.pdf", "big.pdf"}));
  EXPECT_TRUE(sameBytes(singleRun({}, "pdf", inputs[1], "1.pdf"), readFile(out / "1.pdf")));
}

// Command lines a batch cannot carry out: status 2, the reason, and
// nothing written.
TEST_F(BatchMode, RefusedCommandLinesWriteNothing) {
  makeInputs(2);
  const fs::path other = dir / "sub";
  fs::create_directory(other);
  writeFile(other / "0.md", "same name\n");
  const std::string file = inputs[0];
  const std::string dirWord = out.string();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--output-dir", dirWord, "pdf", inputs[0], inputs[1], (other / "0.md").string()},
       "INPUT '" + inputs[0] + "' and '" + (other / "0.md").string() +
           "' would both be written to '" + (out / "0.pdf").string() + "'"},
      {{"--output-dir", dirWord, "pdf", inputs[0], inputs[0]}, "would both be written"},
      {{"--output-dir", dirWord, "pdf", inputs[0], "-"}, "standard input ('-') is no INPUT"},
      {{"--output-dir", dirWord, "pdf", inputs[0], "-t"}, "INPUT '-t' looks like an option"},
      {{"--output-dir", dirWord, "pdf", (dir / "").string()}, "names no file"},
      {{"--output-dir", dirWord, "pdf"}, "missing INPUT"},
      {{"--output-dir", dirWord, "-x", inputs[0]}, "unknown format '-x'"},
      {{"--output-dir", (dir / "none").string(), "pdf", inputs[0]}, "No such file or directory"},
      {{"--output-dir", file, "pdf", inputs[1]}, "is not a folder"},
      {{"--output-dir", "-", "pdf", inputs[0]}, "say the folder to write into"},
      {{"--output-dir", dirWord, "--check", "pdf", inputs[0]}, "leave out --output-dir"},
      {{"--jobs", "-1", "--output-dir", dirWord, "pdf", inputs[0]}, "--jobs '-1': say a number"},
      {{"--jobs", "4x", "--output-dir", dirWord, "pdf", inputs[0]}, "--jobs '4x'"},
      {{"--jobs", "257", "--output-dir", dirWord, "pdf", inputs[0]}, "from 1 to 256"},
  };
  for (const auto& [args, message] : cases) {
    const CommandResult r = kolvo(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(namesIn(out), std::vector<std::string>{}) << message;
  }
  // A preset may not make every run a batch.
  const CommandResult preset = runCommand(
      {"env", "KOLVO_OPTIONS=--output-dir=" + dirWord, kolvoBinary(), "pdf", inputs[0], "x.pdf"});
  EXPECT_EQ(preset.status, 2);
  EXPECT_NE(preset.err.find("in KOLVO_OPTIONS: '--output-dir="), std::string::npos) << preset.err;
}

// --check of several inputs: each input's findings under its name, in
// input order, each followed by its summary; the worst status wins.
TEST_F(BatchMode, CheckOfSeveralInputsReportsEachInOrder) {
  const fs::path clean = dir / "clean.txt";
  const fs::path faulty = dir / "faulty.txt";
  writeFile(clean, "plain %bsbold%be\n");
  writeFile(faulty, "%bsnever closed\n");
  const std::string c = clean.string();
  const std::string f = faulty.string();
  const CommandResult one = kolvo({"--check", "html", f});
  ASSERT_EQ(one.status, 1);
  ASSERT_NE(one.out, "");
  for (const char* jobs : {"1", "3"}) {
    const CommandResult all = kolvo({"--jobs", jobs, "--check", "html", c, f, c});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.out, one.out);
    EXPECT_EQ(all.err, "kolvo: no problems in " + c + "\n" + one.err + "kolvo: no problems in " +
                           c + "\n");
  }
  const CommandResult fine = kolvo({"--check", "html", c, c, c});
  EXPECT_EQ(fine.status, 0);
  const CommandResult missing = kolvo({"--check", "pdf", c, (dir / "gone.txt").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot open input '" + (dir / "gone.txt").string()), std::string::npos);
  const CommandResult stdinAmong = kolvo({"--check", "pdf", c, "-"});
  EXPECT_EQ(stdinAmong.status, 2);
  // A conversion's line under --check: its OUTPUT is no input.
  const CommandResult output = kolvo({"--check", "html", c, (dir / "new.html").string()});
  EXPECT_EQ(output.status, 2);
  EXPECT_NE(output.err.find("looks like its OUTPUT"), std::string::npos) << output.err;
}

// On a terminal standard error counts what is done, rewritten in place,
// and the count is cleared at the end: the last thing on the line is
// nothing. Elsewhere (the tests above) there is no count at all.
TEST_F(BatchMode, ATerminalSeesTheCountAndThenACleanLine) {
  makeInputs(3);
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
    GTEST_SKIP() << "no pseudo-terminal here";
  }
  const std::string side = ptsname(terminal);
  std::vector<std::string> args = batchArgs({"--jobs", "2", "--quiet"}, "html");
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(side.c_str(), O_RDWR);
    dup2(fd, 2);
    std::string binary = kolvoBinary();
    std::vector<char*> argv = {binary.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string seen;
  std::array<char, 4096> buffer{};
  for (ssize_t got; (got = read(terminal, buffer.data(), buffer.size())) > 0;) {
    seen.append(buffer.data(), static_cast<std::size_t>(got));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(seen.find("\rkolvo: 3/3 converted"), std::string::npos) << seen;
  const std::string count = "kolvo: 3/3 converted";
  EXPECT_TRUE(seen.ends_with("\r" + std::string(count.size(), ' ') + "\r")) << seen;
  EXPECT_EQ(namesIn(out).size(), 3u);
}

// ---------------------------------------------------------------------------
// Signals

pid_t startKolvo(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 1);
  dup2(null, 2);
  std::vector<std::string> copy = args;
  std::string binary = kolvoBinary();
  std::vector<char*> argv = {binary.data()};
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// Waits up to ten seconds for `ready`.
template <typename Ready>
bool waitUntil(Ready ready) {
  for (int i = 0; i < 1000; ++i) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool temporaryFilesWritten(const fs::path& dir, std::size_t count) {
  std::size_t written = 0;
  for (const std::string& name : temporaryFilesIn(dir)) {
    std::error_code ec;
    if (fs::file_size(dir / name, ec) > 0) ++written;
  }
  return written >= count;
}

// Two inputs are pipes the test feeds and holds open, so that two jobs are
// half-way through their outputs while the others have finished: the
// signal takes back both temporary files and keeps every finished output.
TEST_F(BatchMode, AnInterruptedBatchLeavesOnlyWholeOutputs) {
  makeInputs(8);
  std::string chunk;
  for (int i = 0; i < 4000; ++i) chunk += "line " + std::to_string(i) + " with %bsbold%be text\n";
  for (const int sig : {SIGINT, SIGTERM}) {
    const std::vector<std::string> pipes = {(dir / "p1.txt").string(), (dir / "p2.txt").string()};
    for (const std::string& p : pipes) ASSERT_EQ(mkfifo(p.c_str(), 0600), 0);
    std::vector<std::string> args = {"--jobs", "4", "--output-dir", out.string(), "pdf"};
    args.insert(args.end(), pipes.begin(), pipes.end());
    args.insert(args.end(), inputs.begin(), inputs.end());
    const pid_t pid = startKolvo(args);
    std::vector<int> feeds;
    for (const std::string& p : pipes) feeds.push_back(open(p.c_str(), O_WRONLY));
    EXPECT_TRUE(waitUntil([&] {
      std::vector<std::string> names = namesIn(out);
      std::erase_if(names, [](const std::string& n) { return n.find(".kolvo-") != std::string::npos; });
      return names.size() >= inputs.size();
    }));
    EXPECT_TRUE(waitUntil([&] {
      for (const int feed : feeds) {
        if (write(feed, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) return true;
      }
      return temporaryFilesWritten(out, 2);
    }));
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    for (const int feed : feeds) close(feed);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(temporaryFilesIn(out), std::vector<std::string>{}) << sig;
    EXPECT_FALSE(fs::exists(out / "p1.pdf"));
    EXPECT_FALSE(fs::exists(out / "p2.pdf"));
    EXPECT_EQ(namesIn(out).size(), inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const std::string name = std::to_string(i) + ".pdf";
      EXPECT_TRUE(sameBytes(singleRun({}, "pdf", inputs[i], name), readFile(out / name))) << name;
    }
    for (const std::string& p : pipes) fs::remove(p);
    fs::remove_all(out);
    fs::create_directory(out);
  }
}

// ---------------------------------------------------------------------------
// In process: output names, the words of a batch, the order of reports.

TEST(BatchOutputs, NamesAreTheInputsWithoutTheirLastExtension) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"letter.txt", "out/letter.pdf"},
      {"a/b/archive.tar.gz", "out/archive.tar.pdf"},
      {"README", "out/README.pdf"},
      {".notes", "out/.notes.pdf"},
      {"dir/.notes.txt", "out/.notes.pdf"},
      {"trailing.", "out/trailing.pdf"},
      {"dir/", std::nullopt},
      {"..", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(batchOutputPath("out", input, Format::Pdf), expected) << input;
  }
  EXPECT_EQ(batchOutputPath("out/", "a.txt", Format::Html), "out/a.html");
  EXPECT_EQ(batchOutputPath("/", "a.txt", Format::OpenDocument), "/a.fodt");
}

TEST(BatchOutputs, WordsAfterFormatAreInputsWithTheSettingsOfOneRun) {
  const std::vector<const char*> words = {"--escape", "--output-dir", "o", "--jobs=3", "html",
                                          "x.txt", "--paper", "a4", "y.md"};
  const CommandLineRequest request = parseCommandLine(words);
  const auto* batch = std::get_if<BatchSettings>(&request);
  ASSERT_NE(batch, nullptr);
  EXPECT_EQ(batch->outputDir, "o");
  EXPECT_EQ(batch->common.format, Format::Html);
  EXPECT_EQ(batch->common.mode, TextMode::Typed);
  EXPECT_NE(batch->common.paper, nullptr);
  EXPECT_EQ(batch->common.jobs, 3u);
  EXPECT_EQ(batch->inputPaths, (std::vector<std::string>{"x.txt", "y.md"}));
  EXPECT_EQ(batch->outputPaths, (std::vector<std::string>{"o/x.html", "o/y.html"}));
  // Without --output-dir, --jobs changes nothing of a single run.
  const std::vector<const char*> single = {"--jobs", "2", "html", "x.txt", "x.html"};
  EXPECT_TRUE(std::holds_alternative<ConversionSettings>(parseCommandLine(single)));
}

TEST(OrderedJobs, ReportsInInputOrderWhateverFinishesFirst) {
  for (const unsigned jobs : {1U, 2U, 5U}) {
    constexpr std::size_t kCount = 40;
    std::vector<int> results(kCount, 0);
    std::vector<std::size_t> reported;
    std::size_t lastDone = 0;
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    runInOrder(
        kCount, jobs,
        [&](std::size_t i) {
          const int now = ++running;
          int seen = most.load();
          while (now > seen && !most.compare_exchange_weak(seen, now)) {
          }
          // Later items finish sooner, so completion order is not input order.
          std::this_thread::sleep_for(std::chrono::microseconds((kCount - i) * 50));
          results[i] = static_cast<int>(i) * 2;
          --running;
        },
        [&](std::size_t i) {
          EXPECT_EQ(results[i], static_cast<int>(i) * 2);
          reported.push_back(i);
        },
        [&](std::size_t done) {
          EXPECT_GE(done, lastDone);
          lastDone = done;
        });
    std::vector<std::size_t> expected(kCount);
    for (std::size_t i = 0; i < kCount; ++i) expected[i] = i;
    EXPECT_EQ(reported, expected) << jobs;
    EXPECT_EQ(lastDone, kCount);
    EXPECT_LE(most.load(), static_cast<int>(jobs));
  }
  EXPECT_EQ(jobCount(8, 3), 3u);
  EXPECT_EQ(jobCount(2, 100), 2u);
  EXPECT_GE(jobCount(0, 100), 1u);
  EXPECT_EQ(jobCount(0, 0), 1u);
}

}  // namespace
}  // namespace kolvo::test
