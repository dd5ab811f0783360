#include "writers/paged/fallback_run.hpp"

#include <charconv>
#include <cstdlib>
#include <iterator>

#include "markup/run_marks.hpp"

namespace kolvo::paged {
namespace {

// "12" -> 12; the sizes of the tag texts are whole points.
std::uint64_t points(std::string_view size) {
  std::uint64_t value = 0;
  std::from_chars(size.data(), size.data() + size.size(), value);
  return value;
}

void appendDecimal(std::string& out, std::uint64_t value) {
  char digits[20];
  const std::to_chars_result end = std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(std::begin(digits), end.ptr);
}

// The names of the fallback fonts: "K0" in PDF, "KolvoK0p1" in PostScript.
constexpr std::string_view kPdfResourcePrefix = "K";
constexpr std::string_view kPostScriptPrefix = "KolvoK";
constexpr std::string_view kPostScriptPage = "p";

}  // namespace

std::string pdfFallbackResource(std::size_t font) {
  std::string name(kPdfResourcePrefix);
  appendDecimal(name, font);
  return name;
}

std::string postScriptFallbackName(std::size_t font, std::size_t page) {
  std::string name(kPostScriptPrefix);
  appendDecimal(name, font);
  name += kPostScriptPage;
  appendDecimal(name, page);
  return name;
}

FallbackRun::FallbackRun(std::string& scratch, Format format, const FontInForce& inForce,
                         std::uint16_t font)
    : text_(scratch), format_(format), inForce_(inForce), font_(font) {
  text_.clear();
  if (format_ == Format::Pdf) {
    text_ += ") Tj /";
    text_ += kPdfResourcePrefix;
    appendDecimal(text_, font_);
    text_ += ' ';
    text_ += inForce_.size;
    text_ += " Tf <";
  } else {
    text_ += ") ";
    text_ += inForce_.show;
  }
}

void FallbackRun::selectPage(std::size_t page) {
  flush();
  if (page_ != SIZE_MAX) {
    text_ += "> ";
    text_ += inForce_.show;
  }
  page_ = page;
  text_ += " /";
  text_ += kPostScriptPrefix;
  appendDecimal(text_, font_);
  text_ += kPostScriptPage;
  appendDecimal(text_, page);
  text_ += ' ';
  text_ += inForce_.size;
  text_ += " selectfont <";
}

void FallbackRun::finish(std::string& out) {
  flush();
  if (format_ == Format::Pdf) {
    text_ += "> Tj /";
    text_ += inForce_.font;
    text_ += ' ';
    text_ += inForce_.size;
    text_ += " Tf (";
  } else {
    text_ += "> ";
    text_ += inForce_.show;
    text_ += " /";
    text_ += inForce_.font;
    text_ += ' ';
    text_ += inForce_.size;
    text_ += " selectfont (";
  }
  const std::uint64_t width = (advances_ * points(inForce_.size) + 500) / 1000;
  out.push_back(kRunMark);
  appendDecimal(out, width);
  out.push_back(kRunMark);
  out += text_;
  out.push_back(kRunMark);
}

}  // namespace kolvo::paged
