#pragma once
// A PDF document's metadata, in the two places readers look for it: the
// document information dictionary the trailer names, and an XMP packet the
// catalog names (/Metadata), which says the same in XML; and the catalog
// that names it, with the document's language and outline.

#include <cstdint>
#include <string>

#include "writers/document_info.hpp"

namespace kolvo {

// "<< /Title ... /CreationDate (D:...) >>": the values given, every text a
// UTF-16 text string (pdfTextString), the producer and creator Kolvo.
std::string pdfInfoDictionary(const DocumentInfo& info);

// The XMP packet: Dublin Core's title, creator, description, subject (the
// keywords one by one) and language, PDF's keywords and producer, the
// creator tool and creation date; the user's text escaped for XML.
std::string xmpPacket(const DocumentInfo& info);

// The numbers of the objects a catalog with metadata points to; 0: none.
struct PdfCatalogLinks {
  std::uint64_t metadata = 0;
  std::uint64_t outlines = 0;
};

// Object 1, the catalog, naming those and the document's language.
std::string pdfCatalog(const DocumentInfo& info, PdfCatalogLinks links);

}  // namespace kolvo
