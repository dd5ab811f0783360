// DocBook 5: every input line is a paragraph, its tags' elements balanced
// (in markup only where the line would not be well-formed). Markup keeps
// the book it has always written; typed text is an article of paragraphs, as the schema
// allows (a book may not hold paragraphs), titled with the first line's
// text as the schema asks, with the tags' elements balanced.
#include "writers/flowing_writer.hpp"

namespace kolvo {
namespace {

#define KOLVO_DOCBOOK_DECLARATION "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"

constexpr FlowingFormat docBookIn(std::string_view prologue, std::string_view epilogue,
                                  bool typed) {
  return {
      prologue,
      "<para> </para>\n",
      kSmallTopGapLines,
      kLargeTopGapLines,
      {"<para>", "</para>\n"},
      {"<para role=\"center\">", "</para>\n"},
      epilogue,
      {},
      true,
      typed ? LineForm{"<title>", "</title>\n"} : LineForm{},
      {},
      false,
      {"<para dir=\"rtl\">", "</para>\n"},
      {"<para role=\"center\" dir=\"rtl\">", "</para>\n"},
  };
}

}  // namespace

const FlowingFormat kDocBookFormat = docBookIn(
    KOLVO_DOCBOOK_DECLARATION
    "<book xml:id=\"simple_book\" xmlns=\"http://docbook.org/ns/docbook\" version=\"5.0\">\n",
    "</book>\n", false);

const FlowingFormat kDocBookTypedFormat = docBookIn(
    KOLVO_DOCBOOK_DECLARATION
    "<article xmlns=\"http://docbook.org/ns/docbook\" version=\"5.0\">\n",
    "</article>\n", true);

#undef KOLVO_DOCBOOK_DECLARATION

}  // namespace kolvo
