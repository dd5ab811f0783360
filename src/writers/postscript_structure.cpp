#include "writers/postscript_structure.hpp"

#include "text/metadata_text.hpp"

namespace kolvo {
namespace {

std::string dimensions(const PaperSize& paper) {
  return std::to_string(paper.width) + ' ' + std::to_string(paper.height);
}

}  // namespace

std::string postScriptInfoComments(const DocumentInfo& info) {
  std::string text;
  const auto comment = [&](std::string_view keyword, const std::string& value) {
    if (value.empty()) return;
    // The keyword and the line feed take their room of the line.
    text += std::string(keyword) + dscText(value, kDscLineLength - keyword.size()) + '\n';
  };
  comment("%%Title: ", info.title);
  comment("%%For: ", info.author);
  comment("%%Creator: ", std::string(kProducer));
  if (info.created) comment("%%CreationDate: ", pdfDate(*info.created));
  return text;
}

std::string postScriptDocInfo(const DocumentInfo& info) {
  std::string entries;
  const auto entry = [&](std::string_view key, const std::string& value) {
    // A PDF text string in hex is a PostScript hex string too.
    if (!value.empty()) entries += " /" + std::string(key) + ' ' + pdfTextString(value);
  };
  entry("Title", info.title);
  entry("Author", info.author);
  entry("Subject", info.subject);
  entry("Keywords", info.keywords);
  if (entries.empty()) return {};
  return "/pdfmark where { pop [" + entries + " /DOCINFO pdfmark } if \n";
}

std::string postScriptHeader(const PaperSize& paper, const DocumentInfo* info) {
  std::string text = "%!PS-Adobe-3.0\n";
  text += info != nullptr ? postScriptInfoComments(*info) : "%%Creator: Kolvo\n";
  text += "%%LanguageLevel: 2\n";
  text += "%%BoundingBox: 0 0 " + dimensions(paper) + '\n';
  text += "%%DocumentMedia: ";
  text += paper.mediaName;
  text += ' ' + dimensions(paper) + " 0 () ()\n";
  text += "%%Pages: (atend)\n%%EndComments\n%%BeginProlog\n";
  return text;
}

std::string postScriptSetup(const PaperSize& paper, std::string_view fonts) {
  std::string text = "%%EndProlog\n%%BeginSetup\n[{\n%%BeginFeature: *PageSize ";
  text += paper.mediaName;
  text += "\n<< /PageSize [" + dimensions(paper) + "] >> setpagedevice\n";
  text += "%%EndFeature\n} stopped cleartomark\n";
  text += fonts;
  text += "%%EndSetup\n";
  return text;
}

std::string postScriptPageStart(std::uint64_t page, const paged::TextStyle& style) {
  const std::string number = std::to_string(page);
  std::string text = "%%Page: " + number + ' ' + number + "\n%%BeginPageSetup\n";
  text += '/';
  text += style.font;
  text += ' ';
  text += style.size;
  text += " selectfont\n";
  if (!style.colour.empty()) {
    text += style.colour;
    text += " setrgbcolor\n";
  }
  text += "%%EndPageSetup\n";
  return text;
}

std::string postScriptTrailer(std::uint64_t pages) {
  return "%%Trailer\n%%Pages: " + std::to_string(pages) + "\n%%EOF\n";
}

}  // namespace kolvo
