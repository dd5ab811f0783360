// HTML: every input line is a line of the body, ended by a break unless the
// line is centred (its <center> element breaks the line already).
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kHtmlFormat = {
    "<html>\n<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n",
    "  <br /> \n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"", " <br />\n"},
    {"", " \n"},
    "</body></html>\n",
};

// Typed text is HTML5: a doctype, the encoding, a title made of the first
// line's text, CSS for what the markup's body attributes and <center> did;
// its tags give spans with CSS (typed_tag_texts.cpp) whose elements are
// balanced on each line.
const FlowingFormat kHtmlTypedFormat = {
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"UTF-8\">\n",
    "  <br /> \n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"", " <br />\n"},
    {"<div style=\"text-align: center\">", "</div>\n"},
    "</body>\n</html>\n",
    {},
    true,
    {"<title>",
     "</title>\n<style>body { background: #fff; color: #000; font-size: 16px; }</style>\n"
     "</head>\n<body>\n"},
    {},
    false,
    {"<div dir=\"rtl\">", "</div>\n"},
    {"<div dir=\"rtl\" style=\"text-align: center\">", "</div>\n"},
};

}  // namespace kolvo
