// LaTeX: every input line ends with a forced line break, except a centred
// line, whose center environment ends the line already.
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kLatexFormat = {
    "\\documentclass[12pt]{book} \n"
    "\\pagestyle {empty} \n"
    "\\begin{document} \n"
    "\\noindent\n",
    "  \\\\ \n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"", " \\\\ \n"},
    {"", " \n"},
    "\\end{document} \n",
};

}  // namespace kolvo
