// AbiWord: one section; every input line is a paragraph holding one text run.
#include "writers/flowing_writer.hpp"

namespace kolvo {

const FlowingFormat kAbiWordFormat = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE abiword PUBLIC \"-//ABISOURCE//DTD AWML 1.0 Strict//EN\" "
    "\"http://www.abisource.com/awml.dtd\">\n"
    "<abiword template=\"false\" styles=\"unlocked\""
    " xmlns:fo=\"http://www.w3.org/1999/XSL/Format\""
    " xmlns:svg=\"http://www.w3.org/2000/svg\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " fileformat=\"1.0\""
    " xmlns:awml=\"http://www.abisource.com/awml.dtd\""
    " xmlns=\"http://www.abisource.com/awml.dtd\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
    " version=\"0.99.2\" >\n"
    "<metadata>\n"
    "<m key=\"dc.format\">application/x-abiword</m>\n"
    "<m key=\"abiword.generator\">Kolvo</m>\n"
    "</metadata>\n"
    "<styles>\n"
    "<s type=\"P\" name=\"Normal\" followedby=\"Current Settings\" props=\"text-indent:0in; "
    "margin-top:0pt; margin-left:0pt; font-stretch:normal; line-height:1.0; text-align:left; "
    "font-variant:normal; lang:en-US; dom-dir:ltr; margin-bottom:0pt; text-decoration:none; "
    "font-weight:normal; bgcolor:transparent; color:000000; text-position:normal; "
    "font-size:12pt; margin-right:0pt; font-style:normal; widows:2; font-family:Times New "
    "Roman\"/>\n"
    "</styles>\n"
    "<pagesize pagetype=\"Letter\" orientation=\"portrait\" width=\"8.500000\" "
    "height=\"11.000000\" units=\"in\" page-scale=\"1.000000\"/>\n"
    "<section props=\"page-margin-footer:0.5in; page-margin-header:0.5in\"> \n",
    "<p><c> </c></p>\n",
    kSmallTopGapLines,
    kLargeTopGapLines,
    {"<p style=\"Normal\"><c>", "</c></p>\n"},
    {"<p style=\"Center\" props=\"text-align:center\"><c>", "</c></p>\n"},
    "</section>\n"
    "</abiword>\n",
    {},
    false,
    {},
    {},
    false,
    {"<p style=\"Normal\" props=\"dom-dir:rtl; text-align:right\"><c>", "</c></p>\n"},
    {"<p style=\"Center\" props=\"dom-dir:rtl; text-align:center\"><c>", "</c></p>\n"},
};

}  // namespace kolvo
