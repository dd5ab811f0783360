#include "pipeline/typed_links.hpp"

#include <array>

#include "text/latex_text.hpp"
#include "text/rtf_text.hpp"
#include "text/xml_text.hpp"

namespace kolvo {
namespace {

// How a target is made safe inside its format's link markup.
enum class TargetEscape : unsigned char {
  None,   // the format has no links
  Xml,    // an attribute value in double quotes
  Rtf,    // a field instruction's quoted operand
  Latex,  // hyperref's \href: its own special characters escaped
};

struct LinkForm {
  std::string_view open;     // before the target
  std::string_view between;  // between the target and the text
  std::string_view close;    // after the text
  TargetEscape escape = TargetEscape::None;
};

// One row per format, in the order of Format.
constexpr std::array<LinkForm, kFormatCount> kLinkForms = {{
    {"<a xlink:href=\"", "\">", "</a>", TargetEscape::Xml},  // AbiWord
    {"<link xmlns:xlink=\"http://www.w3.org/1999/xlink\" xlink:href=\"", "\">", "</link>",
     TargetEscape::Xml},                                    // DocBook
    {"<a href=\"", "\">", "</a>", TargetEscape::Xml},      // HTML
    {"{\\field{\\*\\fldinst{HYPERLINK \"", "\"}}{\\fldrslt{", "}}}", TargetEscape::Rtf},
    {"\\href{", "}{", "}", TargetEscape::Latex},
    {{}, {}, {}, TargetEscape::None},  // PostScript
    {{}, {}, {}, TargetEscape::None},  // PDF: an annotation, not text
    {"<text:a xmlns:xlink=\"http://www.w3.org/1999/xlink\" xlink:type=\"simple\" xlink:href=\"",
     "\">", "</text:a>", TargetEscape::Xml},  // OpenDocument
}};

void appendEscaped(std::string_view text, TypedEscaper escape, std::string& out,
                   std::string& scratch, EscapeStats& stats) {
  if (escape(text, scratch, stats)) {
    out.append(scratch);
  } else {
    out.append(text);
  }
}

bool escapeXml(std::string_view text, std::string& out, EscapeStats&) {
  return escapeXmlText(text, out);
}

// "#" is left to the clean-up that escapes it everywhere in LaTeX.
void appendLatexTarget(std::string_view target, std::string& out) {
  for (const char c : target) {
    if (c == '%' || c == '&') out.push_back('\\');
    out.push_back(c);
  }
}

// Appends the start of `format`'s link to `target` to `out`.
void appendLinkStart(Format format, std::string_view target, std::string& out, EscapeStats& stats) {
  const LinkForm& form = kLinkForms[column(format)];
  out.append(form.open);
  std::string scratch;
  switch (form.escape) {
    case TargetEscape::Xml:
      appendEscaped(target, &escapeXml, out, scratch, stats);
      break;
    case TargetEscape::Rtf:
      appendEscaped(target, &escapeRtfText, out, scratch, stats);
      break;
    case TargetEscape::Latex:
      appendLatexTarget(target, out);
      break;
    case TargetEscape::None:
      break;
  }
  out.append(form.between);
}

}  // namespace

TypedEscaper typedEscaperOf(Format format) {
  switch (fileSyntax(format)) {
    case FileSyntax::Rtf: return &escapeRtfText;
    case FileSyntax::Latex: return &escapeLatexText;
    case FileSyntax::Xml:
    case FileSyntax::XmlRuns:
    case FileSyntax::Html:
    case FileSyntax::PageStrings: break;
  }
  return &escapeXml;
}

bool writesTypedLinks(Format format) {
  return kLinkForms[column(format)].escape != TargetEscape::None;
}

void escapeWithLinks(std::string_view line, const std::vector<FoundLink>& links, Format format,
                     TypedEscaper escape, std::string& out, EscapeStats& stats) {
  out.clear();
  std::string scratch;
  std::size_t copied = 0;
  for (const FoundLink& link : links) {
    appendEscaped(line.substr(copied, link.begin - copied), escape, out, scratch, stats);
    std::size_t markupStart = out.size();
    appendLinkStart(format, linkTarget(line, link), out, stats);
    stats.lineItems.addLinkMarkup(markupStart, out.size());
    appendEscaped(line.substr(link.begin, link.end - link.begin), escape, out, scratch, stats);
    markupStart = out.size();
    out.append(kLinkForms[column(format)].close);
    stats.lineItems.addLinkMarkup(markupStart, out.size());
    copied = link.end;
  }
  appendEscaped(line.substr(copied), escape, out, scratch, stats);
}

}  // namespace kolvo
