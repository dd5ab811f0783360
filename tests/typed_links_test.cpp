// Typed text shows addresses as links in each flowing format: the markup
// around the escaped text, the target escaped for where it stands, and
// nothing of it taken for the user's text.
#include <gtest/gtest.h>

#include <string>

#include "driver/conversion.hpp"

namespace kolvo {
namespace {

std::string typed(std::string_view input, Format format) {
  return convertText(input, format, 's', nullptr, TextMode::Typed);
}

bool holds(const std::string& document, std::string_view part) {
  return document.find(part) != std::string::npos;
}

constexpr std::string_view kLine = "%bsgo https://x.org/a_b?c=1&d=%25#f%be, or ask me@x.org.\n";

TEST(TypedLinks, EachFlowingFormatWrapsTheAddressInItsLinkMarkup) {
  EXPECT_TRUE(holds(typed(kLine, Format::Html),
                    "<b>go <a href=\"https://x.org/a&#95;b?c=1&amp;d=&#37;25#f\">"
                    "https://x.org/a&#95;b?c=1&amp;d=&#37;25#f</a></b>, or ask "
                    "<a href=\"mailto:me@x.org\">me@x.org</a>."));
  EXPECT_TRUE(holds(typed(kLine, Format::DocBook),
                    "<link xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                    "xlink:href=\"mailto:me@x.org\">me@x.org</link>."));
  EXPECT_TRUE(holds(typed(kLine, Format::AbiWord), "<a xlink:href=\"mailto:me@x.org\">me@x.org</a>"));
  EXPECT_TRUE(holds(typed(kLine, Format::OpenDocument),
                    "xlink:type=\"simple\" xlink:href=\"mailto:me@x.org\">me@x.org</text:a>"));
  EXPECT_TRUE(holds(typed(kLine, Format::Rtf),
                    "{\\field{\\*\\fldinst{HYPERLINK \"https://x.org/a\\'5fb?c=1&d=\\'2525#f\"}}"
                    "{\\fldrslt{https://x.org/a\\'5fb?c=1&d=\\'2525#f}}}"));
  // LaTeX: hyperref's own escapes in the target ("#" by the clean-up, as
  // everywhere), the text as typed LaTeX shows it.
  const std::string latex = typed(kLine, Format::Latex);
  EXPECT_TRUE(holds(latex, "\\href{https://x.org/a_b?c=1\\&d=\\%25\\#f}{https://x.org/a\\_b?c=1\\&d="))
      << latex;
  EXPECT_TRUE(holds(latex, "\\usepackage[hidelinks]{hyperref}\n\\raggedbottom"));
}

TEST(TypedLinks, OnlyTypedTextInFlowingFormatsChanges) {
  // The preamble loads hyperref only for a text that may hold an address.
  EXPECT_FALSE(holds(typed("no address: here\n", Format::Latex), "hyperref"));
  // Markup is the user's own, and the page formats have no link markup.
  EXPECT_FALSE(holds(convertText(kLine, Format::Html), "<a href"));
  for (Format f : {Format::PostScript, Format::Pdf}) {
    EXPECT_TRUE(holds(typed("see https://x.org/a.\n", f), "(see https://x.org/a. )")) << formatName(f);
  }
}

TEST(TypedLinks, TheTitleTakesTheAddressNotItsMarkup) {
  const std::string html = typed("Home: https://x.org/\nmore\n", Format::Html);
  EXPECT_TRUE(holds(html, "<title>Home: https://x.org/</title>")) << html;
  EXPECT_TRUE(holds(typed("me@x.org\n", Format::DocBook), "<title>me@x.org</title>"));
}

}  // namespace
}  // namespace kolvo
