// RTF: every input line is a left-aligned paragraph; a centring tag inside
// the line switches the paragraph to centred.
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kRtfFormat = {
    "{\\rtf1\\ansi\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Times New Roman;"
    "\\f1\\fnil\\fcharset2 Symbol;\\f2\\fnil\\fcharset0 Courier;}}\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green255\\blue0;"
    "\\red180\\green0\\blue180;\\red0\\green0\\blue180;\\red180\\green180\\blue0;"
    "\\red255\\green0\\blue255;\\red0\\green0\\blue255;\\red192\\green0\\blue0;"
    "\\red0\\green180\\blue0;}\n"
    "\\pard\\f0\\fs24\n",
    "  \\par \n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"\\pard\\ql ", " \\par\n"},
    {"\\pard\\ql ", " \\par\n"},
    "}\n",
    {},
    false,
    {},
    {},
    false,
    // A centring tag's \\qc still centres it.
    {"\\pard\\rtlpar\\qr ", " \\par\n"},
    {"\\pard\\rtlpar\\qr ", " \\par\n"},
};

}  // namespace kolvo
