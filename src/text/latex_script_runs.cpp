#include "text/latex_script_runs.hpp"

#include "text/latex_font_scripts.hpp"
#include "text/latex_greek.hpp"
#include "text/latex_unicode.hpp"

namespace kolvo {
namespace {

// One run: its end, whether a character of it needs the script's font,
// and for CJK the family every character of it takes.
struct ScriptRun {
  std::size_t end;
  bool ownFont = false;
  CjkFamily family = CjkFamily::Chinese;
};

// Whether the character at `at` belongs to the run: its script, and for CJK
// a font of the run's family.
bool continuesRun(std::string_view text, std::size_t at, LatexScript script,
                  LatexLineScripts& line, const ScriptRun& run) {
  const char32_t cp = nextCodePoint(text, at);
  if (latexScriptOf(cp) != script) return false;
  if (script != LatexScript::Cjk) return true;
  CjkFamily family{};
  return cjkFamilyFor(cp, line.preferredFamily(), family) && family == run.family;
}

// The run from `at`, whose first character is of `script` (and, for CJK,
// has a family). Blanks join it only between two of its characters, so
// that a tag or the line's end is never inside.
ScriptRun scanRun(LatexLineScripts& line, std::size_t at, LatexScript script, ScriptRun run) {
  const std::string_view text = line.line;
  while (at < text.size()) {
    std::size_t next = at;
    while (next < text.size() && text[next] == ' ') ++next;
    if (next == text.size() || !continuesRun(text, next, script, line, run)) break;
    const bool inARow = next == at;
    const char32_t cp = nextCodePoint(text, next);
    run.ownFont = run.ownFont || latexNeedsOwnFont(cp) || (script == LatexScript::Greek && inARow);
    at = next;
  }
  run.end = at;
  return run;
}

// The basic Greek letters of a run as their symbols, blanks as they are.
void appendGreekSymbols(std::string& out, std::string_view run) {
  for (std::size_t at = 0; at < run.size();) {
    if (run[at] == ' ') {
      out.push_back(' ');
      ++at;
      continue;
    }
    out.append(greekSymbolText(nextCodePoint(run, at)));
  }
}

// The preamble defines both macros for each engine (latexScriptPackages):
// pdflatex switches the encoding or opens the CJK environment, lualatex
// and xelatex set the run in the script's system font.
void appendInFont(std::string& out, std::string_view run, LatexScript script, CjkFamily family) {
  if (script == LatexScript::Cjk) {
    out.append("\\kolvoCjk{").append(cjkFamilyName(family)).append("}{");
    out.append(run).append("}");
    return;
  }
  out.append("\\kolvoScript{").append(latexScriptEncoding(script)).append("}{");
  out.append(run).append("}");
}

// Whether the character at `at` continues a run of the font script `row`:
// one of its characters, or a zero-width (non-)joiner, which shapes the
// letters around it and so must stay in their run and font.
bool continuesFontRun(std::string_view text, std::size_t at, std::size_t row) {
  const char32_t cp = nextCodePoint(text, at);
  if (cp == 0x200C || cp == 0x200D) return true;
  return latexShowsOnlyBeyondPdftex(cp) && latexFontScriptOf(cp) == row;
}

}  // namespace

void appendScriptRun(std::string& out, LatexLineScripts& line, std::size_t& at,
                     LatexScript script, EscapeStats& stats) {
  const std::string_view text = line.line;
  std::size_t next = at;
  const char32_t first = nextCodePoint(text, next);
  ScriptRun run{next, latexNeedsOwnFont(first)};
  if (script == LatexScript::Cjk && !cjkFamilyFor(first, line.preferredFamily(), run.family)) {
    out.push_back('?');
    ++stats.missingGlyphs;
    at = next;
    return;
  }
  run = scanRun(line, next, script, run);
  const std::string_view chars = text.substr(at, run.end - at);
  if (run.ownFont) {
    appendInFont(out, chars, script, run.family);
  } else {
    appendGreekSymbols(out, chars);
  }
  at = run.end;
}

void appendFontScriptRun(std::string& out, std::string_view text, std::size_t& at,
                         EscapeStats& stats) {
  const std::size_t start = at;
  const std::size_t row = latexFontScriptOf(nextCodePoint(text, at));
  std::string pdftexForm = "?";
  ++stats.missingGlyphs;
  while (at < text.size()) {
    std::size_t next = at;
    while (next < text.size() && text[next] == ' ') ++next;
    if (next == text.size() || !continuesFontRun(text, next, row)) break;
    pdftexForm.append(next - at, ' ');
    at = next;
    // A joiner T1 sets (the non-joiner) keeps the form it had.
    if (latexCanSet(nextCodePoint(text, next))) {
      pdftexForm.append(text.substr(at, next - at));
    } else {
      pdftexForm.push_back('?');
      ++stats.missingGlyphs;
    }
    at = next;
  }
  out.append("\\kolvoText{").append(kLatexFontScripts[row].name).append("}{");
  out.append(pdftexForm).append("}{").append(text.substr(start, at - start)).append("}");
}

}  // namespace kolvo
