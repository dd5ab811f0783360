// libkolvo's C API called in process: its documents are the command
// line's, byte for byte; its failures come back as codes and messages (the
// program's words), never as exceptions or printed text; handles are
// independent across threads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "kolvo/kolvo.h"
#include "kolvo_version.hpp"
#include "markup/format.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "writers/document_info.hpp"

namespace kolvo::test {
namespace {

constexpr long long kEpoch = 1767225600;  // what runCommand gives the program
constexpr std::string_view kLetter =
    "Dear Ann,\n%bsThank you%be for the letter & the <map>.\n%ce%g1 and %g2\n$s box\nBob\n";

// The handle and the error of a test, freed whatever it asserts.
struct Options {
  Options() : handle(kolvo_options_new()) {}
  ~Options() { kolvo_options_free(handle); }
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;
  kolvo_options* handle;
};

struct Error {
  ~Error() { kolvo_error_free(error); }
  kolvo_error** out() {
    kolvo_error_free(error);
    error = nullptr;
    return &error;
  }
  std::string message() const { return kolvo_error_message(error); }
  kolvo_error* error = nullptr;
};

struct Converted {
  kolvo_status status = KOLVO_ERROR_INTERNAL;
  std::string document;
  std::string message;
};

Converted toBuffer(const kolvo_options* options, std::string_view input) {
  Converted result;
  char* output = nullptr;
  std::size_t size = 0;
  Error error;
  result.status =
      kolvo_convert_buffer_to_buffer(options, input.data(), input.size(), &output, &size, error.out());
  if (output != nullptr) result.document.assign(output, size);
  kolvo_free(output);
  result.message = error.message();
  return result;
}

// Options for FORMAT given as its extension ("pdf"), with the program's date.
void prepare(kolvo_options* options, std::string_view extension, TextMode mode) {
  ASSERT_EQ(kolvo_options_set_format(options, std::string(extension).c_str(), nullptr), KOLVO_OK);
  ASSERT_EQ(kolvo_options_set_date(options, kEpoch, nullptr), KOLVO_OK);
  if (mode == TextMode::Typed) {
    ASSERT_EQ(kolvo_options_set(options, "--escape", nullptr, nullptr), KOLVO_OK);
  }
}

TEST(LibraryApi, VersionIsTheProgramsInTheHeaderAndAtRunTime) {
  EXPECT_EQ(std::string(kolvo_version()), kProjectVersion);
  EXPECT_EQ(std::string(KOLVO_VERSION_STRING), kProjectVersion);
  EXPECT_EQ(std::to_string(KOLVO_VERSION_MAJOR) + "." + std::to_string(KOLVO_VERSION_MINOR) + "." +
                std::to_string(KOLVO_VERSION_PATCH),
            kProjectVersion);
}

// In-process reference: the same run through convertText, in both modes.
TEST(LibraryApi, BufferToBufferIsTheConversionInEveryFormatAndMode) {
  for (const FormatInfo& format : kFormats) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      SCOPED_TRACE(std::string(format.name) + (mode == TextMode::Typed ? " --escape" : ""));
      Options options;
      prepare(options.handle, format.extension, mode);
      DocumentInfo info;
      info.created = kEpoch;
      const std::string expected = convertText(kLetter, format.format, 's', nullptr, mode, nullptr,
                                               nullptr, nullptr, mode == TextMode::Typed ? &info : nullptr);
      const Converted got = toBuffer(options.handle, kLetter);
      ASSERT_EQ(got.status, KOLVO_OK) << got.message;
      EXPECT_TRUE(sameBytes(expected, got.document));
    }
  }
}

// The program itself, with settings, paper, metadata and the OPTION letter.
TEST(LibraryApi, BufferToBufferIsTheCommandLinesOutput) {
  struct Case {
    std::vector<std::string> words;  // long options, then FORMAT and OPTION
  };
  const std::vector<Case> cases = {
      {{"pdf", "-t"}},
      {{"--paper=a4", "--header", "left|%f|%p", "ps", "-T"}},
      {{"--escape", "--title", "A letter", "--outline", "--lang", "en-GB", "pdf", "-s"}},
      {{"--escape", "--mono", "--margins", "2cm", "pdf", "-s"}},
      {{"--escape", "tex", "-s"}},
      {{"--escape", "--author", "Bob", "html", "-s"}},
  };
  for (const Case& c : cases) {
    std::string said;
    for (const std::string& w : c.words) said += w + " ";
    SCOPED_TRACE(said);
    Options options;
    ASSERT_EQ(kolvo_options_set_date(options.handle, kEpoch, nullptr), KOLVO_OK);
    std::vector<std::string> args;
    for (std::size_t i = 0; i + 2 < c.words.size(); ++i) {
      const std::string& name = c.words[i];
      const bool takesValue = name != "--escape" && name != "--outline" && name != "--mono" &&
                              name.find('=') == std::string::npos;
      const char* value = takesValue ? c.words[++i].c_str() : nullptr;
      ASSERT_EQ(kolvo_options_set(options.handle, name.c_str(), value, nullptr), KOLVO_OK) << name;
      args.push_back(name);
      if (value != nullptr) args.emplace_back(value);
    }
    const std::string& format = c.words[c.words.size() - 2];
    const std::string& letter = c.words.back();
    ASSERT_EQ(kolvo_options_set_format(options.handle, format.c_str(), nullptr), KOLVO_OK);
    ASSERT_EQ(kolvo_options_set_option(options.handle, letter.c_str(), nullptr), KOLVO_OK);
    args.insert(args.end(), {format, "-", "-", letter});
    const CommandResult program = runKolvo(args, kLetter);
    ASSERT_EQ(program.status, 0) << program.err;
    // The program's standard input is named "-", as the library's default.
    const Converted got = toBuffer(options.handle, kLetter);
    ASSERT_EQ(got.status, KOLVO_OK) << got.message;
    EXPECT_TRUE(sameBytes(program.out, got.document));
  }
}

int writeToString(const void* data, std::size_t size, void* user) {
  static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
  return 0;
}

// A descriptor, read once or (typed LaTeX and PDF) twice: a pipe is
// spooled to a temporary file, a regular file read again.
TEST(LibraryApi, DescriptorInputIsTheBuffersFromAPipeAndAFile) {
  TempDir dir;
  writeFile(dir / "in.txt", kLetter);
  for (const char* format : {"html", "tex", "pdf"}) {
    SCOPED_TRACE(format);
    Options options;
    prepare(options.handle, format, TextMode::Typed);
    const Converted expected = toBuffer(options.handle, kLetter);
    ASSERT_EQ(expected.status, KOLVO_OK) << expected.message;

    const int file = open((dir / "in.txt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(file, 0);
    std::string fromFile;
    EXPECT_EQ(kolvo_convert_fd(options.handle, file, writeToString, &fromFile, nullptr), KOLVO_OK);
    close(file);
    EXPECT_TRUE(sameBytes(expected.document, fromFile));

    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], kLetter.data(), kLetter.size()), static_cast<ssize_t>(kLetter.size()));
    close(ends[1]);
    char* output = nullptr;
    std::size_t size = 0;
    EXPECT_EQ(kolvo_convert_fd_to_buffer(options.handle, ends[0], &output, &size, nullptr), KOLVO_OK);
    close(ends[0]);
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output[size], '\0');
    EXPECT_TRUE(sameBytes(expected.document, std::string_view(output, size)));
    kolvo_free(output);
  }
}

// The font module is found beside the library, as the program finds it
// beside itself: typed PDF draws Cyrillic with the same embedded font.
TEST(LibraryApi, FallbackFontsComeFromTheModuleBesideTheLibrary) {
  const std::string russian = "Привет, мир\n";
  Options options;
  prepare(options.handle, "pdf", TextMode::Typed);
  const Converted got = toBuffer(options.handle, russian);
  ASSERT_EQ(got.status, KOLVO_OK) << got.message;
  const CommandResult program = runKolvo({"--escape", "pdf", "-", "-"}, russian);
  ASSERT_EQ(program.status, 0) << program.err;
  EXPECT_TRUE(sameBytes(program.out, got.document));
  if (got.document.find("/FontFile2") == std::string::npos &&
      got.document.find("/FontFile3") == std::string::npos) {
    GTEST_SKIP() << "no font on this machine draws Cyrillic";
  }
}

TEST(LibraryApi, AnUnreadableDescriptorIsAnInputErrorNamingTheInput) {
  Options options;
  ASSERT_EQ(kolvo_options_set_input_name(options.handle, "letter\n.txt", nullptr), KOLVO_OK);
  std::string document;
  Error error;
  EXPECT_EQ(kolvo_convert_fd(options.handle, -1, writeToString, &document, error.out()),
            KOLVO_ERROR_INPUT);
  EXPECT_EQ(kolvo_error_status(error.error), KOLVO_ERROR_INPUT);
  // The name made printable, as every message quotes the user's bytes.
  EXPECT_NE(error.message().find("cannot read input 'letter\\n.txt'"), std::string::npos)
      << error.message();
}

// The callback gets the document in blocks; a failing one stops the run
// and is not called again.
struct FailingWriter {
  int calls = 0;
  int failAt = 1;
  std::string taken;
};

int writeThenFail(const void* data, std::size_t size, void* user) {
  auto* writer = static_cast<FailingWriter*>(user);
  if (++writer->calls == writer->failAt) return -1;
  writer->taken.append(static_cast<const char*>(data), size);
  return 0;
}

TEST(LibraryApi, CallbackOutputIsTheBufferAndItsFailureAnOutputError) {
  Options options;
  prepare(options.handle, "pdf", TextMode::Markup);
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "Line " + std::to_string(i) + " of %bsbold%be text\n";
  const Converted expected = toBuffer(options.handle, big);
  ASSERT_EQ(expected.status, KOLVO_OK);
  ASSERT_GT(expected.document.size(), std::size_t{3} * 64 * 1024);  // several blocks

  FailingWriter whole{0, 0, {}};
  EXPECT_EQ(kolvo_convert_buffer(options.handle, big.data(), big.size(), writeThenFail, &whole,
                                 nullptr),
            KOLVO_OK);
  EXPECT_GT(whole.calls, 2);
  EXPECT_TRUE(sameBytes(expected.document, whole.taken));

  for (const int failAt : {1, 2}) {
    FailingWriter failing{0, failAt, {}};
    Error error;
    EXPECT_EQ(kolvo_convert_buffer(options.handle, big.data(), big.size(), writeThenFail, &failing,
                                   error.out()),
              KOLVO_ERROR_OUTPUT);
    EXPECT_EQ(failing.calls, failAt) << "called again after it failed";
    EXPECT_EQ(kolvo_error_status(error.error), KOLVO_ERROR_OUTPUT);
    EXPECT_EQ(error.message(), "cannot write output: the write callback reported a failure");
  }
}

struct Refusal {
  kolvo_status status;
  std::string message;
};

Refusal setOption(kolvo_options* options, const char* name, const char* value) {
  Error error;
  const kolvo_status status = kolvo_options_set(options, name, value, error.out());
  return {status, error.message()};
}

// The command line's own words for a wrong option, and the options are
// left as they were.
TEST(LibraryApi, WrongFormatsOptionsAndValuesAreUsageErrorsInTheProgramsWords) {
  Options options;
  Error error;
  EXPECT_EQ(kolvo_options_set_format(options.handle, "xyz", error.out()), KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message(), unknownFormatMessage("xyz"));
  const std::vector<std::pair<std::pair<const char*, const char*>, std::string>> cases = {
      {{"--pape", "a4"}, "unknown option '--pape'; did you mean --paper?"},
      {{"--paper", "b7"}, "unknown paper size 'b7'"},
      {{"--paper", nullptr}, "option '--paper' needs SIZE"},
      {{"--escape", "yes"}, "option '--escape' takes no value"},
      {{"--help", nullptr}, "'--help' is not a setting"},
      {{"--check", nullptr}, "'--check' is not a setting"},
      {{"--lang", "en_GB"}, "malformed language tag 'en_GB'"},
      {{"--margins", "3furlongs"}, "--margins '3furlongs'"},
      {{"--encoding", "NO-SUCH-CODE"}, "unknown encoding 'NO-SUCH-CODE'"},
      {{"--header", "%q"}, "in the header '%q'"},
  };
  ASSERT_EQ(kolvo_options_set_format(options.handle, "pdf", nullptr), KOLVO_OK);
  ASSERT_EQ(kolvo_options_set(options.handle, "paper", "letter", nullptr), KOLVO_OK);
  const Converted before = toBuffer(options.handle, kLetter);
  for (const auto& [word, message] : cases) {
    SCOPED_TRACE(word.first);
    const Refusal refusal = setOption(options.handle, word.first, word.second);
    EXPECT_EQ(refusal.status, KOLVO_ERROR_USAGE);
    EXPECT_EQ(refusal.message.rfind(message, 0), 0u) << refusal.message;
  }
  EXPECT_TRUE(sameBytes(before.document, toBuffer(options.handle, kLetter).document));
  // "--name=value" with no value is read as the command line reads it.
  EXPECT_EQ(setOption(options.handle, "--paper=b7", nullptr).status, KOLVO_ERROR_USAGE);
  EXPECT_EQ(setOption(options.handle, "--paper=a4", nullptr).status, KOLVO_OK);
}

TEST(LibraryApi, APageDesignWithNoRoomIsAUsageErrorBeforeAnythingIsWritten) {
  Options options;
  ASSERT_EQ(kolvo_options_set_format(options.handle, "pdf", nullptr), KOLVO_OK);
  ASSERT_EQ(kolvo_options_set(options.handle, "--margins", "12cm", nullptr), KOLVO_OK);
  Error error;
  EXPECT_EQ(kolvo_options_validate(options.handle, error.out()), KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message().rfind("--margins: ", 0), 0u) << error.message();
  FailingWriter writer{0, 0, {}};
  EXPECT_EQ(kolvo_convert_buffer(options.handle, kLetter.data(), kLetter.size(), writeThenFail,
                                 &writer, nullptr),
            KOLVO_ERROR_USAGE);
  EXPECT_EQ(writer.calls, 0);
}

TEST(LibraryApi, AFontFileThatCannotBeUsedIsAFontError) {
  Options options;
  prepare(options.handle, "pdf", TextMode::Typed);
  ASSERT_EQ(kolvo_options_set(options.handle, "--font", "/no/such/font.ttf", nullptr), KOLVO_OK);
  Error error;
  EXPECT_EQ(kolvo_options_validate(options.handle, error.out()), KOLVO_ERROR_FONT);
  EXPECT_FALSE(error.message().empty());
  EXPECT_EQ(toBuffer(options.handle, kLetter).status, KOLVO_ERROR_FONT);
  // Only typed PostScript and PDF use the fonts.
  ASSERT_EQ(kolvo_options_set_format(options.handle, "html", nullptr), KOLVO_OK);
  EXPECT_EQ(kolvo_options_validate(options.handle, nullptr), KOLVO_OK);
}

TEST(LibraryApi, DatesOutsideTheFourDigitYearsAreRefused) {
  Options options;
  EXPECT_EQ(kolvo_options_set_date(options.handle, -5, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_set_date(options.handle, 253402300800LL, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_set_date(options.handle, 253402300799LL, nullptr), KOLVO_OK);
  EXPECT_EQ(kolvo_options_set_date(options.handle, 0, nullptr), KOLVO_OK);
  // No date: a typed PDF names none.
  prepare(options.handle, "pdf", TextMode::Typed);
  ASSERT_EQ(kolvo_options_set_date(options.handle, KOLVO_DATE_NONE, nullptr), KOLVO_OK);
  const std::string undated = toBuffer(options.handle, kLetter).document;
  ASSERT_EQ(kolvo_options_set_date(options.handle, kEpoch, nullptr), KOLVO_OK);
  EXPECT_NE(undated, toBuffer(options.handle, kLetter).document);
}

TEST(LibraryApi, NullArgumentsAreUsageErrorsAndNullErrorsAreAllowed) {
  Options options;
  Error error;
  EXPECT_EQ(kolvo_options_set_format(nullptr, "pdf", error.out()), KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message(), "options is null");
  EXPECT_EQ(kolvo_options_set_format(options.handle, nullptr, error.out()), KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message(), "format is null");
  EXPECT_EQ(kolvo_options_set_option(options.handle, nullptr, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_set(options.handle, nullptr, "a4", nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_set_input_name(options.handle, nullptr, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_set_message_callback(nullptr, nullptr, nullptr, nullptr),
            KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_options_validate(nullptr, nullptr), KOLVO_ERROR_USAGE);
  std::string sink;
  EXPECT_EQ(kolvo_convert_buffer(nullptr, "x", 1, writeToString, &sink, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_convert_buffer(options.handle, "x", 1, nullptr, &sink, error.out()),
            KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message(), "write is null");
  EXPECT_EQ(kolvo_convert_buffer(options.handle, nullptr, 3, writeToString, &sink, error.out()),
            KOLVO_ERROR_USAGE);
  EXPECT_EQ(error.message(), "input is null");
  EXPECT_TRUE(sink.empty());
  char* output = reinterpret_cast<char*>(&sink);  // NOLINT: any non-null value, to be cleared
  std::size_t size = 7;
  EXPECT_EQ(kolvo_convert_buffer_to_buffer(options.handle, nullptr, 3, &output, &size, nullptr),
            KOLVO_ERROR_USAGE);
  EXPECT_EQ(output, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(kolvo_convert_fd_to_buffer(options.handle, 0, nullptr, &size, nullptr), KOLVO_ERROR_USAGE);
  EXPECT_EQ(kolvo_convert_fd_to_buffer(options.handle, 0, &output, nullptr, nullptr), KOLVO_ERROR_USAGE);
  // No bytes at null is an empty document, as an empty file is.
  const Converted empty = toBuffer(options.handle, std::string_view());
  EXPECT_EQ(empty.status, KOLVO_OK);
  EXPECT_TRUE(sameBytes(convertText("", Format::AbiWord), empty.document));
  // Freeing nothing is allowed; a null error reads as success.
  kolvo_options_free(nullptr);
  kolvo_error_free(nullptr);
  kolvo_free(nullptr);
  EXPECT_EQ(kolvo_error_status(nullptr), KOLVO_OK);
  EXPECT_STREQ(kolvo_error_message(nullptr), "");
  // A success clears the error the caller passed in.
  ASSERT_EQ(kolvo_options_set_format(options.handle, nullptr, error.out()), KOLVO_ERROR_USAGE);
  kolvo_error* kept = error.error;
  error.error = nullptr;
  kolvo_error* cleared = kept;
  EXPECT_EQ(kolvo_options_set_format(options.handle, "pdf", &cleared), KOLVO_OK);
  EXPECT_EQ(cleared, nullptr);
  kolvo_error_free(kept);
}

struct Messages {
  std::vector<std::string> warnings;
  std::string trace;
};

void collect(kolvo_message_kind kind, const char* text, std::size_t length, void* user) {
  auto* messages = static_cast<Messages*>(user);
  if (kind == KOLVO_MESSAGE_WARNING) messages->warnings.emplace_back(text, length);
  if (kind == KOLVO_MESSAGE_TRACE) messages->trace.append(text, length);
}

// The program's warning lines without their "kolvo: warning: ".
std::vector<std::string> programWarnings(const std::string& err) {
  std::vector<std::string> warnings;
  const std::string prefix = "kolvo: warning: ";
  for (std::size_t at = 0; at < err.size();) {
    const std::size_t end = err.find('\n', at);
    const std::string line = err.substr(at, end - at);
    if (line.rfind(prefix, 0) == 0) warnings.push_back(line.substr(prefix.size()));
    at = end == std::string::npos ? err.size() : end + 1;
  }
  return warnings;
}

TEST(LibraryApi, WarningsAndTraceGoToTheCallbackAsTheProgramPrintsThem) {
  std::string wide(400, 'W');
  const std::string input = "caf\xc3\xa9 & <b>\n" + wide + "\nbin\x01\x02\x03\x04\x05\x06\x07\n";
  for (const char* format : {"html", "tex", "pdf", "ps"}) {
    SCOPED_TRACE(format);
    Options options;
    Messages messages;
    ASSERT_EQ(kolvo_options_set_format(options.handle, format, nullptr), KOLVO_OK);
    ASSERT_EQ(kolvo_options_set_option(options.handle, "-v", nullptr), KOLVO_OK);
    ASSERT_EQ(kolvo_options_set_message_callback(options.handle, collect, &messages, nullptr),
              KOLVO_OK);
    ASSERT_EQ(toBuffer(options.handle, input).status, KOLVO_OK);
    const CommandResult program = runKolvo({format, "-", "-", "-v"}, input);
    ASSERT_EQ(program.status, 0);
    // The trace goes to standard error when the document is on standard
    // output, before the warnings (it ends in no line feed).
    EXPECT_FALSE(messages.trace.empty());
    ASSERT_EQ(program.err.rfind(messages.trace, 0), 0u) << program.err;
    EXPECT_FALSE(messages.warnings.empty());
    EXPECT_EQ(messages.warnings, programWarnings(program.err.substr(messages.trace.size())));

    messages = {};
    ASSERT_EQ(kolvo_options_set(options.handle, "--quiet", nullptr, nullptr), KOLVO_OK);
    ASSERT_EQ(toBuffer(options.handle, input).status, KOLVO_OK);
    EXPECT_TRUE(messages.warnings.empty());
  }
}

// Two handles, two threads, converting at once: each gets what it gets alone.
TEST(LibraryApi, HandlesAreIndependentAcrossThreads) {
  const std::vector<std::pair<const char*, TextMode>> jobs = {{"pdf", TextMode::Typed},
                                                              {"tex", TextMode::Typed}};
  std::vector<std::string> alone;
  for (const auto& [format, mode] : jobs) {
    Options options;
    prepare(options.handle, format, mode);
    alone.push_back(toBuffer(options.handle, kLetter).document);
  }
  std::vector<int> mismatches(jobs.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    threads.emplace_back([&, j] {
      Options options;
      kolvo_options_set_format(options.handle, jobs[j].first, nullptr);
      kolvo_options_set_date(options.handle, kEpoch, nullptr);
      kolvo_options_set(options.handle, "--escape", nullptr, nullptr);
      for (int round = 0; round < 20; ++round) {
        if (toBuffer(options.handle, kLetter).document != alone[j]) ++mismatches[j];
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(mismatches, std::vector<int>(jobs.size(), 0));
}

}  // namespace
}  // namespace kolvo::test
