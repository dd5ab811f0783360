// LaTeX: every input line ends with a forced line break, except a centred
// line, whose center environment ends the line already.
#include "writers/flowing_writer.hpp"

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
const FlowingFormat kLatexTypedFormat = latexWithPrologue(
    KOLVO_LATEX_CLASS
    "\\usepackage[T1]{fontenc}\n"
    "\\usepackage{textcomp}\n"
    "\\usepackage{lmodern}\n",
    true, "\\raggedbottom\n" KOLVO_LATEX_START);

std::string latexScriptPackages(LatexScripts scripts) {
  // fontenc may be loaded again with more encodings; the last is the default.
  std::string encodings;
  if (scripts.has(LatexScript::Cyrillic)) encodings += "T2A,";
  if (scripts.has(LatexScript::Greek)) encodings += "LGR,";
  if (scripts.has(LatexScript::Vietnamese)) encodings += "T5,";
  std::string packages;
  if (!encodings.empty()) packages += "\\usepackage[" + encodings + "T1]{fontenc}\n";
  if (scripts.has(LatexScript::Cjk)) packages += "\\usepackage{CJKutf8}\n";
  // Last, as hyperref asks; its links drawn like the text around them.
  if (scripts.mayHoldLinks) packages += "\\usepackage[hidelinks]{hyperref}\n";
  return packages;
}

#undef KOLVO_LATEX_START
#undef KOLVO_LATEX_CLASS

}  // namespace kolvo
