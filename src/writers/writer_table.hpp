#pragma once
// How the writer of each format is made, one row per row of kFormats (kept
// here so that markup/ does not depend on the writers).

#include <array>
#include <cstddef>
#include <memory>

#include "markup/format.hpp"
#include "markup/opendocument_texts.hpp"
#include "writers/flowing_writer.hpp"
#include "writers/pdf_writer.hpp"
#include "writers/postscript_writer.hpp"

namespace kolvo {

struct WriterRow {
  Format format;
  // A flowing format is the shared FlowingWriter with its texts, in markup
  // and in typed mode; a paged format has a writer of its own that takes
  // the mode. Either both texts or the maker are set.
  const FlowingFormat* flowing;
  const FlowingFormat* typedFlowing;
  std::unique_ptr<Writer> (*makePaged)(OutputSink& out, LineMarks& marks, TextMode mode,
                                       const PaperSize* paper,
                                       const FallbackFonts* fallback,
                                       const paged::PageDesign* design,
                                       const DocumentInfo* info);
  // The prologue names every fallback font that typed text will draw with
  // (PostScript defines them there), so with fallback fonts the input is
  // read twice: first to give out their codes. (Typed PDF writes its
  // resource dictionary, which names them, after the pages.)
  bool fallbackFontsInPrologue;
};

// Typed text declares paragraph styles for right-to-left lines too.
constexpr FlowingFormat openDocumentIn(TextMode mode) {
  const bool typed = mode == TextMode::Typed;
  return {
      typed ? opendocument::kPrologueBeforeStylesEnd : opendocument::kPrologue,
      opendocument::kBlankLine,
      kSmallTopGapLines,
      kLargeTopGapLines,
      {opendocument::kPlainBefore, opendocument::kLineAfter},
      {opendocument::kCentredBefore, opendocument::kLineAfter},
      opendocument::kEpilogue,
      {},
      false,
      {},
      typed ? opendocument::kTypedPrologueEnd : std::string_view(),
      false,
      typed ? LineForm{opendocument::kRightToLeftBefore, opendocument::kLineAfter} : LineForm{},
      typed ? LineForm{opendocument::kRightToLeftCentredBefore, opendocument::kLineAfter}
            : LineForm{},
  };
}

inline constexpr FlowingFormat kOpenDocumentFormat = openDocumentIn(TextMode::Markup);
inline constexpr FlowingFormat kOpenDocumentTypedFormat = openDocumentIn(TextMode::Typed);

inline constexpr std::array<WriterRow, kFormatCount> kWriterTable = {{
    {Format::AbiWord, &kAbiWordFormat, &kAbiWordFormat, nullptr, false},
    {Format::DocBook, &kDocBookFormat, &kDocBookTypedFormat, nullptr, false},
    {Format::Html, &kHtmlFormat, &kHtmlTypedFormat, nullptr, false},
    {Format::Rtf, &kRtfFormat, &kRtfFormat, nullptr, false},
    {Format::Latex, &kLatexFormat, &kLatexTypedFormat, nullptr, false},
    {Format::PostScript, nullptr, nullptr, makePostScriptWriter, true},
    {Format::Pdf, nullptr, nullptr, makePdfWriter, false},
    {Format::OpenDocument, &kOpenDocumentFormat, &kOpenDocumentTypedFormat, nullptr, false},
}};

// Which of the two pointers is set is checked by the tests: with the
// sanitizers on, the compiler will not compare an object's address with null
// at compile time.
namespace writer_table_checks {
constexpr bool rowsFollowTheFormats() {
  for (std::size_t i = 0; i < kFormatCount; ++i) {
    if (kWriterTable[i].format != kFormats[i].format) return false;
  }
  return true;
}
}  // namespace writer_table_checks
static_assert(writer_table_checks::rowsFollowTheFormats(), "kWriterTable must follow kFormats");

}  // namespace kolvo
