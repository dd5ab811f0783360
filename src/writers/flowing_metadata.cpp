#include "writers/flowing_metadata.hpp"

#include <stdexcept>
#include <string_view>

#include "text/metadata_text.hpp"
#include "writers/flowing_writer.hpp"

namespace kolvo {
namespace {

// `text` with `insertion` put before the first `anchor` (after it when
// `after`); the anchors are the format's own constant texts, so a missing
// one is a mistake in this file.
std::string inserted(std::string_view text, std::string_view anchor, std::string_view insertion,
                     bool after = false) {
  const std::size_t at = text.find(anchor);
  if (at == std::string_view::npos) throw std::logic_error("metadata anchor missing");
  const std::size_t cut = after ? at + anchor.size() : at;
  std::string out(text.substr(0, cut));
  out += insertion;
  out += text.substr(cut);
  return out;
}

std::string replaced(std::string_view text, std::string_view old, std::string_view with) {
  const std::size_t at = text.find(old);
  if (at == std::string_view::npos) throw std::logic_error("metadata anchor missing");
  return std::string(text.substr(0, at)) + std::string(with) +
         std::string(text.substr(at + old.size()));
}

// `before` + the escaped value + `after`, or nothing for an empty value.
std::string element(std::string_view before, const std::string& value, std::string_view after,
                    bool asciiOnly = false) {
  if (value.empty()) return {};
  return std::string(before) + xmlEscaped(value, asciiOnly) + std::string(after);
}

std::string languageAttribute(std::string_view name, const DocumentInfo& info) {
  if (info.language.empty()) return {};
  return " " + std::string(name) + "=\"" + xmlEscaped(info.language) + "\"";
}

MetadataTexts constantTexts(const FlowingFormat& texts) {
  return {std::string(texts.prologue), std::string(texts.prologueEnd),
          std::string(texts.firstLineTitle.before), std::string(texts.firstLineTitle.after)};
}

// The head's meta elements; in markup, whose text declares no encoding,
// in ASCII alone.
std::string htmlMetas(const DocumentInfo& info, bool asciiOnly) {
  return element("<meta name=\"author\" content=\"", info.author, "\">\n", asciiOnly) +
         element("<meta name=\"description\" content=\"", info.subject, "\">\n", asciiOnly) +
         element("<meta name=\"keywords\" content=\"", info.keywords, "\">\n", asciiOnly) +
         "<meta name=\"generator\" content=\"" + std::string(kProducer) + "\">\n";
}

MetadataTexts htmlTexts(const FlowingFormat& texts, TextMode mode, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  const std::string html = "<html" + languageAttribute("lang", info) + ">";
  if (mode == TextMode::Markup) {
    const std::string head = "<head>\n" + element("<title>", info.title, "</title>\n", true) +
                             htmlMetas(info, true) + "</head>\n";
    out.prologue = inserted(replaced(texts.prologue, "<html>", html), "<body", head);
    return out;
  }
  out.prologue = replaced(texts.prologue, "<html>", html);
  // The constant title's end closes the title and holds the rest of the head.
  out.titleAfter = inserted(texts.firstLineTitle.after, "<style>", htmlMetas(info, false));
  if (!info.title.empty()) {
    out.prologue += element("<title>", info.title, "") + out.titleAfter;
    out.titleBefore.clear();
    out.titleAfter.clear();
  }
  return out;
}

std::string docBookInfoRest(const DocumentInfo& info) {
  std::string rest = element("<author><personname>", info.author, "</personname></author>\n") +
                     element("<subjectset><subject><subjectterm>", info.subject,
                             "</subjectterm></subject></subjectset>\n");
  const std::vector<std::string> keywords = keywordList(info.keywords);
  if (!keywords.empty()) {
    rest += "<keywordset>";
    for (const std::string& keyword : keywords) rest += element("<keyword>", keyword, "</keyword>");
    rest += "</keywordset>\n";
  }
  return rest;
}

// An article must have a title: the first line's, unless one was given.
// No date: DocBook's <date> is the date a reader shows on the title page,
// not when the file was made.
MetadataTexts docBookTexts(const FlowingFormat& texts, TextMode mode, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  const std::string root = mode == TextMode::Typed ? "<article" : "<book";
  out.prologue = inserted(texts.prologue, root, languageAttribute("xml:lang", info), true);
  const std::string rest = docBookInfoRest(info);
  const bool titleFromLine = mode == TextMode::Typed && info.title.empty();
  if (titleFromLine) {
    out.titleBefore = "<info>\n<title>";
    out.titleAfter = "</title>\n" + rest + "</info>\n";
  } else if (!info.title.empty() || !rest.empty()) {
    out.prologue += "<info>\n" + element("<title>", info.title, "</title>\n") + rest + "</info>\n";
    out.titleBefore.clear();
    out.titleAfter.clear();
  }
  return out;
}

// hyperref puts the values into the PDF that pdflatex makes; it is loaded
// only for values given, for its date and producer are pdflatex's own.
// Without options: typed text with links has loaded it already (with
// hidelinks), and options the first load lacks would clash.
MetadataTexts latexTexts(const FlowingFormat& texts, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  if (!info.described()) return out;
  std::string setup;
  const auto key = [&](std::string_view name, const std::string& value) {
    if (value.empty()) return;
    setup += ",\n  " + std::string(name) + "={" + latexHyperrefText(value) + "}";
  };
  setup = "  pdfcreator={" + std::string(kProducer) + "}";
  key("pdftitle", info.title);
  key("pdfauthor", info.author);
  key("pdfsubject", info.subject);
  key("pdfkeywords", info.keywords);
  key("pdflang", info.language);
  const std::string hyperref = "\\usepackage{hyperref}\n\\hypersetup{\n" + setup + "}\n";
  if (texts.prologueEnd.empty()) {
    out.prologue = inserted(texts.prologue, "\\pagestyle", hyperref);
  } else {
    out.prologueEnd = hyperref + out.prologueEnd;
  }
  return out;
}

std::string rtfDate(std::int64_t seconds) {
  const UtcTime t = utcTimeOf(seconds);
  return "{\\creatim\\yr" + std::to_string(t.year) + "\\mo" + std::to_string(t.month) + "\\dy" +
         std::to_string(t.day) + "\\hr" + std::to_string(t.hour) + "\\min" +
         std::to_string(t.minute) + "\\sec" + std::to_string(t.second) + "}";
}

MetadataTexts rtfTexts(const FlowingFormat& texts, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  const auto field = [](std::string_view name, const std::string& value) {
    return value.empty() ? std::string() : "{\\" + std::string(name) + " " + rtfInfoText(value) + "}";
  };
  std::string group = "{\\*\\generator " + std::string(kProducer) + ";}\n{\\info" +
                      field("title", info.title) + field("author", info.author) +
                      field("subject", info.subject) + field("keywords", info.keywords);
  if (info.created) group += rtfDate(*info.created);
  group += "}\n";
  out.prologue = inserted(texts.prologue, "\\pard", group);
  return out;
}

MetadataTexts abiWordTexts(const FlowingFormat& texts, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  std::string entries = "<m key=\"abiword.generator\">" + std::string(kProducer) + "</m>\n" +
                        element("<m key=\"dc.title\">", info.title, "</m>\n") +
                        element("<m key=\"dc.creator\">", info.author, "</m>\n") +
                        element("<m key=\"dc.subject\">", info.subject, "</m>\n") +
                        element("<m key=\"abiword.keywords\">", info.keywords, "</m>\n") +
                        element("<m key=\"dc.language\">", info.language, "</m>\n");
  if (info.created) entries += "<m key=\"dc.date\">" + isoDateTime(*info.created) + "</m>\n";
  out.prologue = replaced(texts.prologue, "<m key=\"abiword.generator\">Kolvo</m>\n", entries);
  return out;
}

MetadataTexts openDocumentTexts(const FlowingFormat& texts, const DocumentInfo& info) {
  MetadataTexts out = constantTexts(texts);
  std::string meta = "<office:meta xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                     "<meta:generator>" + std::string(kProducer) + "</meta:generator>" +
                     element("<dc:title>", info.title, "</dc:title>") +
                     element("<meta:initial-creator>", info.author, "</meta:initial-creator>") +
                     element("<dc:creator>", info.author, "</dc:creator>") +
                     element("<dc:subject>", info.subject, "</dc:subject>") +
                     element("<dc:language>", info.language, "</dc:language>");
  for (const std::string& keyword : keywordList(info.keywords)) {
    meta += element("<meta:keyword>", keyword, "</meta:keyword>");
  }
  if (info.created) {
    meta += "<meta:creation-date>" + isoDateTime(*info.created).substr(0, 19) +
            "</meta:creation-date>";
  }
  out.prologue = replaced(texts.prologue,
                          "<office:meta><meta:generator>Kolvo</meta:generator></office:meta>",
                          meta + "</office:meta>");
  return out;
}

}  // namespace

MetadataTexts metadataTexts(const FlowingFormat& texts, Format format, TextMode mode,
                            const DocumentInfo& info) {
  switch (format) {
    case Format::Html:
      return htmlTexts(texts, mode, info);
    case Format::DocBook:
      return docBookTexts(texts, mode, info);
    case Format::Latex:
      return latexTexts(texts, info);
    case Format::Rtf:
      return rtfTexts(texts, info);
    case Format::AbiWord:
      return abiWordTexts(texts, info);
    case Format::OpenDocument:
      return openDocumentTexts(texts, info);
    case Format::PostScript:
    case Format::Pdf:
      break;
  }
  return constantTexts(texts);
}

}  // namespace kolvo
