// LaTeX: every input line ends with a forced line break, except a centred
// line, whose center environment ends the line already.
#include "writers/flowing_writer.hpp"
#include "writers/latex_engine_preamble.hpp"

namespace kolvo {
namespace {

#define KOLVO_LATEX_CLASS "\\documentclass[12pt]{book} \n"
#define KOLVO_LATEX_START "\\pagestyle {empty} \n\\begin{document} \n\\noindent\n"

constexpr FlowingFormat latexWithPrologue(std::string_view prologue, bool typed,
                                          std::string_view prologueEnd = {}) {
  return {
      prologue,
      "  \\\\ \n",
      kSmallTopGapLines,
      kLargeTopGapLines,
      {"", " \\\\ \n"},
      {"", " \n"},
      "\\end{document} \n",
      {"{}", "\\mbox{}"},
      typed,
      {},
      prologueEnd,
      !typed,
  };
}

}  // namespace

const FlowingFormat kLatexFormat = latexWithPrologue(KOLVO_LATEX_CLASS KOLVO_LATEX_START, false);

// Typed text holds any character: T1 fonts set the ASCII ones that OT1
// lacks (and the accented letters as single glyphs), textcomp the symbols
// of TS1, and Latin Modern has both in outline form. Its tags' groups are
// balanced: closed at each line's end and opened again on the next, a "}"
// that closes nothing left out. The scripts the text has come after
// Latin Modern (latexScriptPackages).
//
// A right-to-left line goes whole into \kolvoRightToLeft{...}, which
// lualatex and xelatex set as a paragraph of its own that runs right to
// left, and pdflatex as any line (latexEngineBranches); either way the
// reader is left where a paragraph has ended, as after a centred line.
constexpr FlowingFormat typedLatex() {
  FlowingFormat format = latexWithPrologue(KOLVO_LATEX_CLASS
                                           "\\usepackage[T1]{fontenc}\n"
                                           "\\usepackage{textcomp}\n"
                                           "\\usepackage{lmodern}\n",
                                           true, "\\raggedbottom\n" KOLVO_LATEX_START);
  format.rightToLeft = {"\\kolvoRightToLeft{", "}\n"};
  format.rightToLeftCentred = format.centred;
  format.rightToLeftEndsParagraph = true;
  return format;
}

const FlowingFormat kLatexTypedFormat = typedLatex();

std::string latexScriptPackages(LatexScripts scripts) {
  // Text that T1 and TS1 set alone keeps the preamble it always had, which
  // every engine reads alike.
  std::string packages = scripts.empty() ? std::string() : latexEngineBranches(scripts);
  // Last, as hyperref asks; its links drawn like the text around them.
  if (scripts.mayHoldLinks) packages += "\\usepackage[hidelinks]{hyperref}\n";
  return packages;
}

#undef KOLVO_LATEX_START
#undef KOLVO_LATEX_CLASS

}  // namespace kolvo
