// HTML: every input line is a line of the body, ended by a break unless the
// line is centred (its <center> element breaks the line already).
#include "writers/flowing_writer.hpp"

namespace kolvo {

namespace {

#define KOLVO_HTML_BODY "<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n"

constexpr FlowingFormat htmlWithPrologue(std::string_view prologue, bool balancesElements) {
  return {
      prologue,
      "  <br /> \n",
      kSmallTopGapLines,
      kLargeTopGapLines,
      {"", " <br />\n"},
      {"", " \n"},
      "</body></html>\n",
      {},
      balancesElements,
  };
}

}  // namespace

const FlowingFormat kHtmlFormat = htmlWithPrologue("<html>\n" KOLVO_HTML_BODY, false);

// Typed text may hold any character: the document says it is UTF-8, so that
// no browser guesses another encoding; its tags' elements are balanced.
const FlowingFormat kHtmlTypedFormat =
    htmlWithPrologue("<html>\n<head><meta charset=\"UTF-8\"></head>\n" KOLVO_HTML_BODY, true);

#undef KOLVO_HTML_BODY

}  // namespace kolvo
