#pragma once
// What a flowing format writes around its lines when the document carries
// metadata (--title and the like, or --escape): its constant prologue, the
// end of the prologue and the first line's title, each with the metadata
// put where the format keeps it.

#include <string>

#include "markup/format.hpp"
#include "writers/document_info.hpp"

namespace kolvo {

struct FlowingFormat;

struct MetadataTexts {
  std::string prologue;
  std::string prologueEnd;
  // Around the first line's text as the document's title; both empty: no
  // such title (one given on the command line is in the prologue).
  std::string titleBefore;
  std::string titleAfter;
};

// `texts` are the format's constant texts for `mode`.
MetadataTexts metadataTexts(const FlowingFormat& texts, Format format, TextMode mode,
                            const DocumentInfo& info);

}  // namespace kolvo
