#include "writers/paged/fallback_run.hpp"

#include <charconv>
#include <cstdlib>

#include "markup/run_marks.hpp"

namespace kolvo::paged {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void appendHex(std::string& out, unsigned value, int digits) {
  char text[4];
  for (int i = 0; i < digits; ++i) text[i] = kHexDigits[value >> (4 * (digits - 1 - i)) & 0xF];
  out.append(text, static_cast<std::size_t>(digits));
}

// "12" -> 12; the sizes of the tag texts are whole points.
std::uint64_t points(std::string_view size) {
  std::uint64_t value = 0;
  std::from_chars(size.data(), size.data() + size.size(), value);
  return value;
}

}  // namespace

std::string pdfFallbackResource(std::size_t font) { return "K" + std::to_string(font); }

std::string postScriptFallbackName(std::size_t font, std::size_t page) {
  return "KolvoK" + std::to_string(font) + "p" + std::to_string(page);
}

FallbackRun::FallbackRun(std::string& scratch, Format format, const FontInForce& inForce,
                         std::uint16_t font)
    : text_(scratch), format_(format), inForce_(inForce), font_(font) {
  text_.clear();
  if (format_ == Format::Pdf) {
    text_ += ") Tj /";
    text_ += pdfFallbackResource(font_);
    text_ += ' ';
    text_ += inForce_.size;
    text_ += " Tf <";
  } else {
    text_ += ") ";
    text_ += inForce_.show;
  }
}

void FallbackRun::selectPage(std::size_t page) {
  if (page_ != SIZE_MAX) {
    text_ += "> ";
    text_ += inForce_.show;
  }
  page_ = page;
  text_ += " /";
  text_ += postScriptFallbackName(font_, page);
  text_ += ' ';
  text_ += inForce_.size;
  text_ += " selectfont <";
}

void FallbackRun::add(std::uint16_t code, std::uint32_t advance) {
  advances_ += advance;
  if (format_ == Format::Pdf) {
    appendHex(text_, code, 4);
    return;
  }
  if (code >> 8 != page_) selectPage(code >> 8);
  appendHex(text_, code & 0xFFU, 2);
}

void FallbackRun::finish(std::string& out) {
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
  out += std::to_string(width);
  out.push_back(kRunMark);
  out += text_;
  out.push_back(kRunMark);
}

}  // namespace kolvo::paged
