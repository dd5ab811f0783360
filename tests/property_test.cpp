// Generated documents against the programs that read Kolvo's output. The
// test generator writes a few hundred documents from text, every tag,
// near-miss tags, parentheses, backslashes, "#", "_", carriage returns and
// drawing lines, valid and malformed; then, with the text taken as markup
// and as typed (--escape),
//  - Ghostscript runs every PostScript output without an error (of the typed
//    ones every fourth: each run costs a tenth of a second),
//  - qpdf --check passes every PDF output without an error or a warning,
//  - xmllint accepts the AbiWord output of every document, and the DocBook
//    output of those whose DocBook start and end tags pair up within each
//    line (DocBook passes tags through as elements, so an unclosed "%bs" is
//    the writer's unclosed <emphasis>).
// Every document is checked by its own process, so one failure cannot hide
// another; a few run side by side.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

constexpr int kDocuments = 300;
constexpr std::uint64_t kSeed = 0x6b6f6c766f2d7031;  // fixed: failures must reproduce

// How much a document may contain.
enum class Kind {
  Raw,        // anything, also raw "&", "<", ">" and bytes that are not ASCII
  NoMarkup,   // no raw markup characters, ASCII only
  Balanced,   // no raw markup, and DocBook's element tags nest within each line
};

DocumentMix mixFor(Kind kind) {
  DocumentMix mix;
  mix.line.lineEnds = 2;  // a carriage return inside a line
  if (kind == Kind::Raw) {
    mix.line.rawMarkup = 3;
    mix.line.otherBytes = 2;
    mix.line.tagFragments = 4;
  }
  mix.line.nestedElementTags = kind == Kind::Balanced;
  return mix;
}

struct Document {
  std::string text;
  Kind kind;
};

std::vector<Document> generatedDocuments() {
  DocumentGenerator generator(kSeed);
  std::vector<Document> docs;
  for (int i = 0; i < kDocuments; ++i) {
    const Kind kind = static_cast<Kind>(i % 3);
    docs.push_back({generator.document(mixFor(kind)), kind});
  }
  return docs;
}

// ---------------------------------------------------------------------------
// Running the readers, a few at a time, each on one file.

struct Check {
  std::string what;  // which document and program, for the message
  std::vector<std::string> argv;
  std::string input;  // the generated document, shown when the check fails
  fs::path log;
};

struct Outcome {
  int status = -1;
  std::string output;
};

pid_t spawn(const Check& check) {
  // Readers only where the quick loop does not run (test_support.hpp).
  if (const std::string refusal = externalProgramRefusal(check.argv); !refusal.empty()) {
    throw std::logic_error(refusal);
  }
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int log = open(check.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_RDONLY);
    if (log < 0 || null < 0) _exit(126);
    dup2(null, 0);
    dup2(log, 1);
    dup2(log, 2);
    std::vector<std::string> copy = check.argv;
    std::vector<char*> argv;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

std::vector<Outcome> runAll(const std::vector<Check>& checks, std::size_t sideBySide = 3) {
  std::vector<Outcome> outcomes(checks.size());
  std::deque<std::pair<std::size_t, pid_t>> running;
  std::size_t next = 0;
  while (next < checks.size() || !running.empty()) {
    while (next < checks.size() && running.size() < sideBySide) {
      running.emplace_back(next, spawn(checks[next]));
      ++next;
    }
    const auto [index, pid] = running.front();
    running.pop_front();
    int status = 0;
    waitpid(pid, &status, 0);
    outcomes[index].status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcomes[index].output = readFile(checks[index].log);
  }
  return outcomes;
}

// The document as a C string literal, to paste into a test.
std::string literal(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\n') out += "\\n\"\n\"";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c == '"' || c == '\\') { out += '\\'; out += c; }
    else out += c;
  }
  return out + "\"";
}

class GeneratedDocuments : public ::testing::Test {
 protected:
  void SetUp() override { docs_ = generatedDocuments(); }

  // Writes the output of every selected document in `format` and `mode` and
  // runs `program` on it; every failure is reported with its document.
  void expectAccepted(Format format, TextMode mode, bool (*selected)(std::size_t, Kind),
                      std::vector<std::string> program, bool (*accepted)(const Outcome&)) {
    std::vector<Check> checks;
    const std::string typed = mode == TextMode::Typed ? " typed" : "";
    for (std::size_t i = 0; i < docs_.size(); ++i) {
      if (!selected(i, docs_[i].kind)) continue;
      const fs::path file =
          dir_ / ("doc" + std::to_string(i) + "." + std::string(formatExtension(format)));
      writeFile(file, convertText(docs_[i].text, format, 's', nullptr, mode));
      Check check{program[0] + " on" + typed + " document " + std::to_string(i), program,
                  docs_[i].text,
                  dir_ / ("doc" + std::to_string(i) + "." + program[0] + ".log")};
      check.argv.push_back(file.string());
      checks.push_back(std::move(check));
    }
    ASSERT_GT(checks.size(), 50u);
    const std::vector<Outcome> outcomes = runAll(checks);
    int failures = 0;
    for (std::size_t i = 0; i < checks.size(); ++i) {
      if (accepted(outcomes[i])) continue;
      ADD_FAILURE() << checks[i].what << " failed (status " << outcomes[i].status << "):\n"
                    << outcomes[i].output.substr(0, 2000) << "\ninput:\n"
                    << literal(checks[i].input);
      if (++failures == 5) break;  // enough to go on
    }
  }

  std::vector<Document> docs_;
  TempDir dir_;
};

bool every(std::size_t, Kind) { return true; }
// Of every kind, as the kinds take turns in threes.
bool everyFourth(std::size_t i, Kind) { return i % 4 == 0; }
bool balanced(std::size_t, Kind k) { return k == Kind::Balanced; }

bool silentSuccess(const Outcome& o) { return o.status == 0 && o.output.empty(); }

bool qpdfFindsNothing(const Outcome& o) {
  return o.status == 0 && o.output.find("WARNING") == std::string::npos &&
         o.output.find("No syntax or stream encoding errors found") != std::string::npos;
}

const std::vector<std::string> kGhostscript = {"gs",        "-q",        "-dSAFER",
                                               "-dBATCH",   "-dNOPAUSE", "-sDEVICE=nullpage"};
const std::vector<std::string> kXmllint = {"xmllint", "--noout", "--nonet"};

TEST_F(GeneratedDocuments, GhostscriptRunsEveryPostScriptOutput) {
  KOLVO_REQUIRE_TOOL("gs");
  expectAccepted(Format::PostScript, TextMode::Markup, every, kGhostscript, silentSuccess);
}

TEST_F(GeneratedDocuments, QpdfFindsNoErrorAndNoWarningInAnyPdfOutput) {
  KOLVO_REQUIRE_TOOL("qpdf");
  expectAccepted(Format::Pdf, TextMode::Markup, every, {"qpdf", "--check"}, qpdfFindsNothing);
}

TEST_F(GeneratedDocuments, XmllintAcceptsEveryAbiWordOutput) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::AbiWord, TextMode::Markup, every, kXmllint, silentSuccess);
}

TEST_F(GeneratedDocuments, XmllintAcceptsDocBookWithBalancedTags) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::DocBook, TextMode::Markup, balanced, kXmllint, silentSuccess);
}

TEST_F(GeneratedDocuments, GhostscriptRunsTypedPostScript) {
  KOLVO_REQUIRE_TOOL("gs");
  expectAccepted(Format::PostScript, TextMode::Typed, everyFourth, kGhostscript, silentSuccess);
}

TEST_F(GeneratedDocuments, QpdfFindsNoErrorAndNoWarningInAnyTypedPdf) {
  KOLVO_REQUIRE_TOOL("qpdf");
  expectAccepted(Format::Pdf, TextMode::Typed, every, {"qpdf", "--check"}, qpdfFindsNothing);
}

TEST_F(GeneratedDocuments, XmllintAcceptsEveryTypedAbiWordOutput) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::AbiWord, TextMode::Typed, every, kXmllint, silentSuccess);
}

TEST_F(GeneratedDocuments, XmllintAcceptsTypedDocBookWithBalancedTags) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::DocBook, TextMode::Typed, balanced, kXmllint, silentSuccess);
}

// The mixes must produce what the checks above rely on, or they prove little.
TEST(GeneratedDocumentMix, CoversEveryTagAndEveryHazard) {
  const std::vector<Document> docs = generatedDocuments();
  std::string all;
  for (const Document& d : docs) all += d.text;
  for (const TagRow& row : kTagTable) EXPECT_NE(all.find(row.tag), std::string::npos) << row.tag;
  for (std::string_view hazard : {"(", ")", "\\", "#", "_", "\r\n", "$sl ", "$sb ", "%zz", "1)2",
                                  "%psrs", "&", "<", ">", "\xFF"}) {
    EXPECT_NE(all.find(hazard), std::string::npos) << hazard;
  }
  int pagesOver = 0;
  for (const Document& d : docs) pagesOver += std::count(d.text.begin(), d.text.end(), '\n') > 60;
  EXPECT_GT(pagesOver, 5);
  for (const Document& d : docs) {
    if (d.kind == Kind::Raw) continue;
    EXPECT_EQ(d.text.find_first_of("&<>"), std::string::npos);
    EXPECT_TRUE(std::all_of(d.text.begin(), d.text.end(),
                            [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != 0; }));
  }
}

}  // namespace
}  // namespace kolvo::test
