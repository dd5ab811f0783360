// HTML: every input line is a line of the body, ended by a break unless the
// line is centred (its <center> element breaks the line already).
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kHtmlFormat = {
    "<html>\n"
    "<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n",
    "  <br /> \n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"", " <br />\n"},
    {"", " \n"},
    "</body></html>\n",
};

}  // namespace kolvo
