#include "writers/pdf_metadata.hpp"

#include <string_view>
#include <vector>

#include "text/metadata_text.hpp"

namespace kolvo {

std::string pdfInfoDictionary(const DocumentInfo& info) {
  std::string text = "<<";
  const auto entry = [&](std::string_view key, const std::string& value) {
    if (value.empty()) return;
    text += " /" + std::string(key) + ' ' + pdfTextString(value);
  };
  entry("Title", info.title);
  entry("Author", info.author);
  entry("Subject", info.subject);
  entry("Keywords", info.keywords);
  entry("Creator", std::string(kProducer));
  entry("Producer", std::string(kProducer));
  if (info.created) text += " /CreationDate (" + pdfDate(*info.created) + ")";
  return text + " >>";
}

namespace {

// "<dc:NAME><rdf:KIND>" one <rdf:li> per value "</rdf:KIND></dc:NAME>\n";
// an Alt's item is the default language's.
std::string rdfList(std::string_view name, std::string_view kind,
                    const std::vector<std::string>& values) {
  if (values.empty()) return {};
  const std::string item = kind == "Alt" ? "<rdf:li xml:lang=\"x-default\">" : "<rdf:li>";
  std::string text = "<" + std::string(name) + "><rdf:" + std::string(kind) + ">";
  for (const std::string& value : values) text += item + xmlEscaped(value) + "</rdf:li>";
  return text + "</rdf:" + std::string(kind) + "></" + std::string(name) + ">\n";
}

std::vector<std::string> oneIfGiven(const std::string& value) {
  if (value.empty()) return {};
  return {value};
}

std::string simple(std::string_view name, const std::string& value) {
  if (value.empty()) return {};
  return "<" + std::string(name) + ">" + xmlEscaped(value) + "</" + std::string(name) + ">\n";
}

}  // namespace

std::string xmpPacket(const DocumentInfo& info) {
  std::string text =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
      " xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
      "<dc:format>application/pdf</dc:format>\n";
  text += rdfList("dc:title", "Alt", oneIfGiven(info.title));
  text += rdfList("dc:creator", "Seq", oneIfGiven(info.author));
  text += rdfList("dc:description", "Alt", oneIfGiven(info.subject));
  text += rdfList("dc:subject", "Bag", keywordList(info.keywords));
  text += rdfList("dc:language", "Bag", oneIfGiven(info.language));
  text += simple("pdf:Keywords", info.keywords);
  text += simple("pdf:Producer", std::string(kProducer));
  text += simple("xmp:CreatorTool", std::string(kProducer));
  if (info.created) text += simple("xmp:CreateDate", isoDateTime(*info.created));
  return text +
         "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
}

std::string pdfCatalog(const DocumentInfo& info, PdfCatalogLinks links) {
  std::string text = "1 0 obj << /Type /Catalog /Pages 2 0 R";
  if (links.outlines != 0) {
    text += " /Outlines " + std::to_string(links.outlines) + " 0 R /PageMode /UseOutlines";
  }
  if (links.metadata != 0) text += " /Metadata " + std::to_string(links.metadata) + " 0 R";
  // A language tag is letters, digits and hyphens: a literal string as it is.
  if (!info.language.empty()) text += " /Lang (" + info.language + ")";
  return text + " >> endobj\n";
}

}  // namespace kolvo
