// DocBook 5: one book; every input line is a paragraph.
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kDocBookFormat = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<book xml:id=\"simple_book\" xmlns=\"http://docbook.org/ns/docbook\" version=\"5.0\">\n",
    "<para> </para>\n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"<para>", "</para>\n"},
    {"<para role=\"center\">", "</para>\n"},
    "</book>\n",
};

}  // namespace kolvo
