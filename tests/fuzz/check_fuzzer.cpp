// Fuzzes the markup checker on the conversion fuzzer's inputs: the first
// byte picks the format, the second the text mode (markup, or typed as
// --escape gives it), the rest is the document. Besides the sanitizers'
// checks (no crash, and libFuzzer's timeout for bounded work):
//  - every finding is one line: a line number within the input, a column,
//    a message without a line break;
//  - an error found for one format alone is found when all are checked;
//  - where no error is found for a format, its output opens in its reader,
//    as far as it can be judged here: AbiWord and DocBook are well-formed
//    XML with every element closed where it was opened, and LaTeX has its
//    groups and environments closed in order, no alignment tab or macro
//    parameter, and no mathematics left open or begun out of it.
// PostScript and PDF never get an error: the conversion fuzzer holds their
// structure to account whatever the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "check/checker.hpp"
#include "check/line_context.hpp"
#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "markup/format.hpp"
#include "support/xml_check.hpp"

namespace {

using kolvo::Format;
using kolvo::TextMode;
using kolvo::check::Finding;
using kolvo::check::Severity;

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
  (void)std::fprintf(stderr, "check_fuzzer: %s\n", what);
  if (!detail.empty()) (void)std::fprintf(stderr, "  %s\n", detail.c_str());
  std::abort();
}

class CollectedFindings final : public kolvo::check::FindingSink {
 public:
  void report(const Finding& finding) override { findings.push_back(finding); }
  std::vector<Finding> findings;
};

std::vector<Finding> checkText(std::string_view input, kolvo::check::FormatSet formats,
                               TextMode mode) {
  kolvo::check::CheckOptions options;
  options.formats = formats;
  options.mode = mode;
  CollectedFindings sink;
  kolvo::check::Checker checker(options, sink);
  kolvo::LineReader reader(input, mode == TextMode::Typed ? kolvo::kWholeLines : kolvo::kMaxPiece);
  std::string piece;
  while (reader.next(piece)) checker.checkPiece(piece);
  checker.finish();
  const kolvo::check::FindingCounts& counts = checker.counts();
  if (counts.notes + counts.warnings + counts.errors != sink.findings.size()) {
    fail("the counts disagree with the findings reported");
  }
  return sink.findings;
}

void expectWellShaped(const std::vector<Finding>& findings, std::string_view input) {
  const auto lines = 1 + static_cast<std::uint64_t>(std::count(input.begin(), input.end(), '\n'));
  const Finding* before = nullptr;
  for (const Finding& f : findings) {
    if (f.line == 0 || f.line > lines) fail("a finding names a line the input does not have");
    if (f.column == 0) fail("a finding has column 0");
    if (before != nullptr && std::tie(f.line, f.column) < std::tie(before->line, before->column)) {
      fail("the findings are not in line and column order", f.message);
    }
    before = &f;
    // Input bytes are quoted escaped: no control byte reaches a terminal.
    const std::string message = kolvo::check::messageOf(f);
    const bool control = std::any_of(message.begin(), message.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (message.empty() || control) fail("a finding's message is empty or holds a control byte", message);
  }
}

bool hasError(const std::vector<Finding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == Severity::Error; });
}

// Errors concern one format each, so checking all formats must find them too.
void expectErrorsAmong(const std::vector<Finding>& one, const std::vector<Finding>& all) {
  for (const Finding& f : one) {
    if (f.severity != Severity::Error) continue;
    const bool found = std::any_of(all.begin(), all.end(), [&f](const Finding& g) {
      return std::tie(g.line, g.column, g.severity) == std::tie(f.line, f.column, f.severity) &&
             kolvo::check::messageOf(g) == kolvo::check::messageOf(f);
    });
    if (!found) fail("an error found for one format is missing when all are checked", f.message);
  }
}

// What LaTeX stops at, read from the document as TeX reads it: "\" takes
// the next character or a command's letters, "%" comments out the rest of
// the line, braces and \begin/\end must pair (a plain brace group left open
// LaTeX closes itself), "$" math may not cross a brace, an environment, a
// form feed or the end, nor carry text beyond ASCII over a line (an accent
// stops it), "^" and "_" only in math, "&" and "#" never, and no "[" right
// after the line break "\\", which would take it as a length.
struct LatexScan {
  struct Group {
    // cppcheck-suppress unusedStructMember ; compared when a group closes
    std::string environment;  // empty for a brace
    // cppcheck-suppress unusedStructMember ; compared when a group closes
    bool mathAtOpen;
    // cppcheck-suppress unusedStructMember ; read at the end
    bool plain = false;  // a brace that is no command's argument
  };
  std::vector<Group> groups;
  bool math = false;
  bool mathOverLine = false;   // the open mathematics has crossed a line
  bool mathBeyondAscii = false;  // and holds text beyond ASCII
  bool inDocument = false;       // past \begin{document}

  std::string fault(std::string_view doc) {
    std::size_t argumentAt = std::string_view::npos;  // where a command's argument would open
    for (std::size_t i = 0; i < doc.size(); ++i) {
      const char c = doc[i];
      if (c == '\\') {
        const std::size_t start = i;
        i = command(doc, i);
        if (i == std::string_view::npos) return "an environment name is not closed";
        if (!lastFault.empty()) return lastFault;
        if (i > start + 1 || isLetter(doc[i])) argumentAt = i + 1;
      } else if (c == '%') {
        while (i + 1 < doc.size() && doc[i + 1] != '\n') ++i;
      } else if (c == '{') {
        groups.push_back({{}, math, i != argumentAt});
      } else if (c == '}') {
        if (groups.empty() || !groups.back().environment.empty()) return "a '}' closes nothing";
        if (groups.back().mathAtOpen != math) return "mathematics crosses a brace";
        groups.pop_back();
      } else if (!inDocument && (c == '$' || c == '^' || c == '_' || c == '&' || c == '#')) {
        // The preamble's own: macro parameters, and the Lua code it hands
        // lualatex. Only the document's text is judged for these.
        continue;
      } else if (c == '$') {
        math = !math;
        mathOverLine = false;
        mathBeyondAscii = false;
      } else if (c == '\n' && math) {
        if (mathBeyondAscii) return "text beyond ASCII in mathematics over a line";
        mathOverLine = true;
      } else if (c == '\f' && math) {
        return "a form feed ends the paragraph inside mathematics";
      } else if (static_cast<unsigned char>(c) >= 0x80 && math) {
        if (mathOverLine) return "text beyond ASCII in mathematics over a line";
        mathBeyondAscii = true;
      } else if ((c == '^' || c == '_') && !math) {
        return std::string("'") + c + "' outside mathematics";
      } else if (c == '&' || c == '#') {
        return std::string("'") + c + "' in the text";
      }
    }
    if (math) return "mathematics is never ended";
    for (const Group& group : groups) {
      if (!group.plain) return "a group or environment is never closed";
    }
    return {};
  }

 private:
  std::string lastFault;

  static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  // hyperref reads \href's first argument, the link's target, with "$", "_"
  // and "~" as plain characters; a backslash still escapes the
  // next. Returns the index of the brace that closes it.
  std::size_t linkTarget(std::string_view doc, std::size_t open) {
    for (std::size_t i = open + 1; i < doc.size(); ++i) {
      if (doc[i] == '\\') {
        ++i;
      } else if (doc[i] == '{') {
        lastFault = "a brace in a link's target";
        return i;
      } else if (doc[i] == '}') {
        return i;
      }
    }
    lastFault = "a link's target is not closed";
    return doc.size() - 1;
  }

  // Reads the command at `at`; returns the index of its last character.
  std::size_t command(std::string_view doc, std::size_t at) {
    std::size_t end = at + 1;
    if (end >= doc.size()) return at;
    if (doc[end] == '\\') {
      const std::size_t next = doc.find_first_not_of(" \n", end + 1);
      if (next != std::string_view::npos && doc[next] == '[') {
        lastFault = "a '[' after a line break is read as its length";
      }
    }
    if (!isLetter(doc[end])) return end;
    while (end < doc.size() && isLetter(doc[end])) ++end;
    const std::string_view name = doc.substr(at + 1, end - at - 1);
    if (name == "href" && end < doc.size() && doc[end] == '{') return linkTarget(doc, end);
    if ((name != "begin" && name != "end") || end >= doc.size() || doc[end] != '{') return end - 1;
    const std::size_t close = doc.find('}', end);
    if (close == std::string_view::npos) return std::string_view::npos;
    std::string environment(doc.substr(end + 1, close - end - 1));
    if (math) lastFault = "mathematics meets \\" + std::string(name) + "{" + environment + "}";
    // \end{document} ends TeX's run before LaTeX compares the groups: plain
    // braces still open there only bring TeX's warning.
    if (name == "end" && environment == "document") {
      while (!groups.empty() && groups.back().plain) groups.pop_back();
    }
    if (name == "begin") {
      if (environment == "document") inDocument = true;
      groups.push_back({std::move(environment), math});
    } else if (groups.empty() || groups.back().environment != environment) {
      lastFault = "\\end{" + environment + "} closes another group";
    } else {
      groups.pop_back();
    }
    return close;
  }
};

// Whether the output of `format` is judged here, and if so its fault.
std::string outputFault(std::string_view doc, Format format) {
  if (format == Format::Latex) return LatexScan{}.fault(doc);
  return kolvo::test::xmlFault(doc, kolvo::test::Nesting::Checked);
}

// Whether an element of the user's own markup may stand in the input: "<"
// before a letter or "/".
bool holdsUserElements(std::string_view input) {
  for (std::size_t at = input.find('<'); at != std::string_view::npos && at + 1 < input.size();
       at = input.find('<', at + 1)) {
    const char next = input[at + 1];
    if (next == '/' || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) return true;
  }
  return false;
}

bool judged(Format format, TextMode mode, std::string_view input) {
  // The checker follows the elements of the tags' texts, not those of the
  // user's own markup that markup mode keeps. DocBook balances a line where
  // they cross ("<x>%bs</x>%be"); in the other XML formats such inputs are
  // not judged.
  if (kolvo::isXml(kolvo::fileSyntax(format))) {
    return mode == TextMode::Typed || format == Format::DocBook || !holdsUserElements(input);
  }
  // In markup mode a "\" is the user's own LaTeX command, which the checker
  // only warns about: what it does is beyond any check.
  return format == Format::Latex &&
         (mode == TextMode::Typed || input.find('\\') == std::string_view::npos);
}

// The checker passes over lines on which it judges no tag can form; on
// every line of the input that judgement must agree with the rows
// themselves, followed in order on that line.
void expectReplayMissesNothing(std::string_view input, Format format, TextMode mode) {
  kolvo::check::CheckOptions options;
  options.mode = mode;
  std::vector<Finding> unused;
  kolvo::LineReader reader(input, mode == TextMode::Typed ? kolvo::kWholeLines : kolvo::kMaxPiece);
  std::string piece;
  while (reader.next(piece)) {
    const kolvo::check::LineContext line(piece, 1, 1, options, unused);
    const kolvo::check::FormedLine all = kolvo::check::replayEveryTagRow(piece, format, mode);
    const kolvo::check::FormedLine& passed = line.formed(format);
    if (passed.tags.size() != all.tags.size() || passed.rewritten != all.rewritten) {
      fail("the checker passed over a line on which the rows form a tag");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Format format = kolvo::kAllFormats[data[0] % kolvo::kFormatCount];
  const TextMode mode = data[1] / 6 % 2 == 1 ? TextMode::Typed : TextMode::Markup;
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::vector<Finding> all = checkText(input, kolvo::check::FormatSet::all(), mode);
  const std::vector<Finding> one = checkText(input, kolvo::check::FormatSet::of(format), mode);
  expectWellShaped(all, input);
  expectWellShaped(one, input);
  expectErrorsAmong(one, all);
  expectReplayMissesNothing(input, format, mode);

  if (hasError(one) || !judged(format, mode, input)) return 0;
  const std::string doc = kolvo::convertText(input, format, 's', nullptr, mode);
  const std::string fault = outputFault(doc, format);
  if (!fault.empty()) fail("no error was found, yet the output will not open", fault);
  return 0;
}
