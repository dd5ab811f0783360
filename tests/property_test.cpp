// Generated documents against the programs that read Kolvo's output. A
// fixed-seed generator writes a few hundred documents from text, every tag,
// near-miss tags, parentheses, backslashes, "#", "_", carriage returns and
// drawing lines, valid and malformed; then
//  - Ghostscript runs every PostScript output without an error,
//  - qpdf --check passes every PDF output without an error or a warning,
//  - xmllint accepts the AbiWord output of every document that holds no raw
//    "&", "<" or ">", and the DocBook output of those whose DocBook start and
//    end tags also pair up within each line (DocBook passes tags through as
//    elements, so an unclosed "%bs" is the writer's unclosed <emphasis>).
// Every document is checked by its own process, so one failure cannot hide
// another; a few run side by side.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

constexpr int kDocuments = 300;
constexpr std::uint64_t kSeed = 0x6b6f6c766f2d7031;  // fixed: failures must reproduce

// splitmix64: the same numbers on every platform and library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  bool percent(std::size_t p) { return below(100) < p; }
  template <typename Items>
  const auto& pick(const Items& items) { return items[below(items.size())]; }

 private:
  std::uint64_t state_;
};

// How much a document may contain.
enum class Kind {
  Raw,        // anything, also raw "&", "<" and ">"
  NoMarkup,   // no raw markup characters
  Balanced,   // no raw markup, and DocBook's element tags nest within each line
};

// Start and end tags that DocBook turns into elements, by element.
struct TagPair {
  std::vector<std::string_view> starts;
  std::vector<std::string_view> ends;
};
const std::vector<TagPair> kElementTags = {
    {{"%bs", "%is", "%P1", "%P2", "%P3", "%P4", "%P5", "%P6", "%P7", "%P8", "%P9", "%rs", "%us"},
     {"%be", "%ie", "%Pe", "%re", "%ue"}},
    {{"%Bs"}, {"%Be"}},
    {{"%Cs", "%C0"}, {"%Ce"}},
    {{"%ss"}, {"%se"}},
};

constexpr std::array<std::string_view, 24> kNearMisses = {
    "%", "%%", "%zz", "%cS", "%CS", "%b", "%g", "%P", "%p", "%s", "%x0", "%Z1",
    "% bs", "%-s", "%1", "%Pf", "%gg", "%u_e", "100%", "50% ", "%u", "%h", "%B", "%ps"};

constexpr std::array<std::string_view, 16> kPunctuation = {
    "(", ")", "\\", "#", "_", " _", "__", "x_y", "((", "))", "\\(", "\\\\", "\t", "\r", "$", "$s"};

constexpr std::array<std::string_view, 3> kRawMarkup = {"&", "<", ">"};

// A tag of any row, chosen evenly.
std::string_view anyTag(Random& r) { return kTagTable[r.below(kTagTable.size())].tag; }

bool isElementTag(std::string_view tag) {
  for (const TagPair& pair : kElementTags) {
    for (std::string_view t : pair.starts) if (t == tag) return true;
    for (std::string_view t : pair.ends) if (t == tag) return true;
  }
  return false;
}

std::string word(Random& r) {
  std::string w;
  const std::size_t length = 1 + r.below(8);
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t c = r.below(62);
    w += static_cast<char>(c < 26 ? 'a' + c : c < 52 ? 'A' + (c - 26) : '0' + (c - 52));
  }
  return w;
}

std::string textLine(Random& r, Kind kind) {
  std::string line;
  std::vector<const TagPair*> open;  // Balanced: element tags to close, innermost last
  const std::size_t tokens = r.below(14);
  for (std::size_t i = 0; i < tokens; ++i) {
    const std::size_t what = r.below(100);
    if (what < 35) {
      line += word(r);
    } else if (what < 50) {
      line += ' ';
    } else if (what < 68) {
      const std::string_view tag = anyTag(r);
      // Balanced lines take their element tags from the pairs below.
      if (kind != Kind::Balanced || !isElementTag(tag)) line += tag;
      // "%ps" leaves a "%" that joins with what follows into a later tag.
      if (kind == Kind::Balanced && tag == "%ps") line += ' ';
    } else if (what < 76) {
      if (kind == Kind::Balanced) {
        if (!open.empty() && r.percent(50)) {
          line += r.pick(open.back()->ends);
          open.pop_back();
        } else {
          const TagPair& pair = r.pick(kElementTags);
          line += r.pick(pair.starts);
          open.push_back(&pair);
        }
      } else {
        line += anyTag(r);
      }
    } else if (what < 86) {
      line += r.pick(kNearMisses);
      // A near miss directly before a tag that DocBook deletes could join
      // into an element tag; a blank keeps Balanced lines balanced.
      if (kind == Kind::Balanced) line += ' ';
    } else if (what < 97) {
      line += r.pick(kPunctuation);
    } else if (kind == Kind::Raw) {
      line += r.pick(kRawMarkup);
    }
  }
  while (!open.empty()) {
    line += r.pick(open.back()->ends);
    open.pop_back();
  }
  return line;
}

std::string field(Random& r, bool valid) {
  constexpr std::array<std::string_view, 10> kValid = {"030", " 30", "400", "565", "1.5",
                                                       "-10", "  0", "+.5", "99.", "842"};
  constexpr std::array<std::string_view, 10> kInvalid = {"abc", "1)2", "(((", "\\\\\\", "",
                                                         "-",   ".",   "1-2", "%bs", "1 2"};
  return std::string(valid ? r.pick(kValid) : r.pick(kInvalid));
}

std::string drawingLine(Random& r) {
  constexpr std::array<char, 6> kShapes = {'l', 't', 'b', 'r', 'x', ' '};
  constexpr std::array<char, 14> kColours = {'0', '1', '2', '3', '4', '5', '6',
                                             '7', '8', '9', 'g', 'G', 'x', ' '};
  const bool valid = r.percent(60);
  std::string line = "$s";
  line += r.pick(kShapes);
  line += ' ';
  line += r.pick(kColours);
  for (int i = 0; i < 4; ++i) {
    line += ' ';
    line += field(r, valid || r.percent(70));
  }
  if (r.percent(15)) line.resize(r.below(line.size() + 1));  // cut short
  if (r.percent(10)) line += "%pg";
  return line;
}

std::string document(Random& r, Kind kind) {
  std::string doc;
  const std::size_t lines = r.percent(8) ? 100 + r.below(120) : r.below(40);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t what = r.below(100);
    if (what < 15) {
      doc += drawingLine(r);
    } else if (what < 18 && kind != Kind::Balanced) {
      // Longer than one piece: the reader cuts it anywhere, even in a tag.
      for (int k = 0; k < 8; ++k) doc += textLine(r, kind);
      while (doc.size() % 700 != 0) doc += 'x';
    } else {
      doc += textLine(r, kind);
    }
    const std::size_t end = r.below(100);
    if (i + 1 == lines && end < 20) break;  // no line feed at the end
    doc += end < 85 ? "\n" : "\r\n";
  }
  return doc;
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
  void SetUp() override {
    Random r(kSeed);
    for (int i = 0; i < kDocuments; ++i) {
      const Kind kind = static_cast<Kind>(i % 3);
      docs_.push_back({document(r, kind), kind});
    }
  }

  // Writes the output of every selected document in `format` and runs
  // `program` on it; every failure is reported with its document.
  void expectAccepted(Format format, bool (*selected)(Kind), std::vector<std::string> program,
                      bool (*accepted)(const Outcome&)) {
    std::vector<Check> checks;
    for (std::size_t i = 0; i < docs_.size(); ++i) {
      if (!selected(docs_[i].kind)) continue;
      const fs::path file =
          dir_ / ("doc" + std::to_string(i) + "." + std::string(formatExtension(format)));
      writeFile(file, convertText(docs_[i].text, format));
      Check check{program[0] + " on document " + std::to_string(i), program, docs_[i].text,
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

  struct Document {
    std::string text;
    Kind kind;
  };
  std::vector<Document> docs_;
  TempDir dir_;
};

bool every(Kind) { return true; }
bool withoutRawMarkup(Kind k) { return k != Kind::Raw; }
bool balanced(Kind k) { return k == Kind::Balanced; }

bool silentSuccess(const Outcome& o) { return o.status == 0 && o.output.empty(); }

TEST_F(GeneratedDocuments, GhostscriptRunsEveryPostScriptOutput) {
  KOLVO_REQUIRE_TOOL("gs");
  expectAccepted(Format::PostScript, every,
                 {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage"},
                 silentSuccess);
}

TEST_F(GeneratedDocuments, QpdfFindsNoErrorAndNoWarningInAnyPdfOutput) {
  KOLVO_REQUIRE_TOOL("qpdf");
  expectAccepted(Format::Pdf, every, {"qpdf", "--check"}, [](const Outcome& o) {
    return o.status == 0 && o.output.find("WARNING") == std::string::npos &&
           o.output.find("No syntax or stream encoding errors found") != std::string::npos;
  });
}

TEST_F(GeneratedDocuments, XmllintAcceptsAbiWordWithoutRawMarkup) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::AbiWord, withoutRawMarkup, {"xmllint", "--noout"}, silentSuccess);
}

TEST_F(GeneratedDocuments, XmllintAcceptsDocBookWithBalancedTags) {
  KOLVO_REQUIRE_TOOL("xmllint");
  expectAccepted(Format::DocBook, balanced, {"xmllint", "--noout"}, silentSuccess);
}

// The generator must produce what the checks rely on, or they prove little.
TEST_F(GeneratedDocuments, CoverEveryTagAndEveryHazard) {
  std::string all;
  for (const Document& d : docs_) all += d.text;
  for (const TagRow& row : kTagTable) EXPECT_NE(all.find(row.tag), std::string::npos) << row.tag;
  for (std::string_view hazard : {"(", ")", "\\", "#", "_", "\r\n", "$sl ", "$sb ", "%zz", "1)2",
                                  "&", "<", ">"}) {
    EXPECT_NE(all.find(hazard), std::string::npos) << hazard;
  }
  int pagesOver = 0;
  for (const Document& d : docs_) pagesOver += std::count(d.text.begin(), d.text.end(), '\n') > 60;
  EXPECT_GT(pagesOver, 5);
  for (const Document& d : docs_) {
    if (d.kind == Kind::Raw) continue;
    EXPECT_EQ(d.text.find_first_of("&<>"), std::string::npos);
  }
}

}  // namespace
}  // namespace kolvo::test
